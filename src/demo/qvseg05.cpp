// Segment 5: the scene with a picture strip rising along the right edge and an emblem,
// faded in from black. Runs as fast as the machine allows.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"

static const float kRate = 0.065f;       // scene frames per ms
static const float kRise = -0.065f;      // strip pixels per ms (upwards)
static const int32_t kStripRight = 310;  // the strip ends at this column
static const int32_t kEmblemX = 10, kEmblemY = 10;
static const int32_t kFadeInStep = 25;  // per frame

QvSeg05State qvSeg05;

void qvSeg05Reset() { qvSeg05 = QvSeg05State(); }

void qvSeg05Frame() {
  // Cleared on every frame: where the scene leaves the view uncovered, the strip drawn with
  // DrawAdd would pile up frame after frame into a white band.
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  qvSeg05.time = qvSceneWrap(qvSeg05.time + (float)frameTime * kRate);
  qvRenderScene(qvSeg05.time, view);
  qvSeg05.stripY += (int32_t)((float)frameTime * kRise);
  qvRepeatDraw(vantreSprite, kStripRight - vantreSprite->width, &qvSeg05.stripY, view);
  pelun01->DrawLayerNoClip(kEmblemX, kEmblemY, view);
  if (qvSeg05.fadeIn != 0) {
    x2dFadeToBlack(qvSeg05.fadeIn, QV_VIEW_PIXELS, view);
    qvSeg05.fadeIn = qvLevelDown(qvSeg05.fadeIn, kFadeInStep);
  }
}
