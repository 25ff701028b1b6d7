// Segment 11: a warped, turning plane under a scene, blended into the last frame for trails.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"

QvSeg11State qvSeg11;

static const double kAngleSpeed = 0.085;  // counter steps (1024 to a turn) per ms
static const double kSceneSpeed = 0.085;  // scene frames per ms
static const int32_t kWarpW = 320, kWarpH = 140, kWarpTop = 30;

void qvSeg11Reset() { qvSeg11 = QvSeg11State(); }

void qvSeg11Frame() {
  QvSeg11State& st = qvSeg11;
  uint32_t* work = workSprite->pixels;
  std::memset(work, 0, QV_VIEW_PIXELS * 4);
  st.angle += (int32_t)(frameTime * kAngleSpeed);
  int32_t c, s;
  qvWarpSteps(st.angle, &c, &s);
  fxWarp(kWarpW, kWarpH, 0, kWarpTop, c, s, -s, c, texture4, work);

  st.time = qvSceneWrap((float)(st.time + frameTime * kSceneSpeed));
  qvRenderScene(st.time, work);
  emc2Sprite->DrawLayerNoClip(14, 23, work);

  // The view keeps the last frame: each new one is blended half into it.
  fxBlend50(work, view, QV_VIEW_PIXELS);
}
