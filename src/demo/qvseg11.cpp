// Segment 11: a warped, turning plane under a scene, blended into the last frame for trails.
#include <cmath>
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvseg8to15.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"

static const QvSeg11State kSeg11Start = {0, 0.0f};
QvSeg11State qvSeg11 = kSeg11Start;

static const double kAngleSpeed = 0.085;  // counter steps (1024 to a turn) per ms
static const double kSceneSpeed = 0.085;  // scene frames per ms
static const int32_t kWarpW = 320, kWarpH = 140, kWarpTop = 30;

void qvWarpSteps(int32_t counter, int32_t* c, int32_t* s) {
  const double kScale = 160000.0;  // 16.16 step length: about 2.4 texels per pixel
  double angle = counter * 2.0 * M_PI / 1024.0;
  *c = (int32_t)(std::cos(angle) * kScale);
  *s = (int32_t)(std::sin(angle) * kScale);
}

void qvSeg11Reset() { qvSeg11 = kSeg11Start; }

void qvSeg11Frame() {
  QvSeg11State& st = qvSeg11;
  uint32_t* work = workSprite->pixels;
  std::memset(work, 0, QV_VIEW_PIXELS * 4);
  st.angle += (int32_t)(frameTime * kAngleSpeed);
  int32_t c, s;
  qvWarpSteps(st.angle, &c, &s);
  fxWarp(kWarpW, kWarpH, 0, kWarpTop, c, s, -s, c, texture4, work);

  st.sceneTime = qvSceneWrap((float)(st.sceneTime + frameTime * kSceneSpeed));
  qvRenderScene(st.sceneTime, work);
  emc2Sprite->DrawLayerNoClip(14, 23, work);

  // The view keeps the last frame: each new one is blended half into it.
  fxBlend50(work, view, QV_VIEW_PIXELS);
}
