// Stand-in frames until each segment draws its own: the segment's scene, or its tunnel.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "fx/fxtoolkit.h"

float standInTime[QV_SEGMENTS];
uint16_t standInOffset;  // the tunnels' texture offset, reset with segment 8

void qvStandIn(int32_t k) {
  if (qvSegments[k].pacing == QV_PACE_OWN) qvPaceWait(qvSegments[k].minFrame);
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  if (qvSegments[k].scene) {
    standInTime[k] = qvSceneWrap(standInTime[k] + frameTime * 0.03f);
    qvRenderScene(standInTime[k], view);
  } else {
    fxTunnelDraw(standInOffset, k == 9 ? texture6 : tunnel1Texture, view);
    standInOffset = (uint16_t)(standInOffset + 255);
  }
  if (k == QV_SEGMENTS - 1 && musicOrder >= 26) qvPresentationEnd();
}
