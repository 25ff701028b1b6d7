// Segment 10: tunnel 2, running the other way, with a falling strip of its thumbnail.
#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

QvSeg10State qvSeg10;

static const uint16_t kOffsetStep = 255;  // subtracted: one row back, one angle step on
static const int32_t kStripX = 230;
static const int32_t kStripPitch = 60;
static const int32_t kStripCopies = 5;
static const int32_t kStripWrap = 140;   // once the second thumbnail is below this line
static const double kStripSpeed = 0.13;  // lines per ms
static const int32_t kFadeInStep = 25;
static const int32_t kFadeOutStep = 25;
static const int32_t kFadeOutOrder = 14, kFadeOutRow = 59;

void qvSeg10Reset() { qvSeg10 = QvSeg10State(); }

void qvSeg10Frame() {
  QvSeg10State& s = qvSeg10;
  fxTunnelDraw(s.offset, texture6, view);
  s.offset = (uint16_t)(s.offset - kOffsetStep);

  fxScale(view, thumbnail10->pixels, QV_VIEW_W, QV_VIEW_H, thumbnail10->width, thumbnail10->height);
  pelun01->DrawLayerNoClip(10, 10, view);

  for (int32_t k = 0; k < kStripCopies; k++) thumbnail10->DrawAdd(kStripX, s.stripY - kStripPitch * k, view);
  if (s.stripY - kStripPitch > kStripWrap) s.stripY -= kStripPitch;
  s.stripY += (int32_t)(frameTime * kStripSpeed);

  qvFadeIn(&s.fadeIn, kFadeInStep, QV_FADE_WORK);
  if (musicOrder == kFadeOutOrder && musicRow > kFadeOutRow) qvFadeOut(&s.fadeOut, kFadeOutStep);
}
