// Segment 8: tunnel 1 with a rising strip of its own thumbnail.
#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

QvSeg08State qvSeg08;

static const uint16_t kOffsetStep = 255;  // one row deeper, one angle step back
static const int32_t kStripX = 10;
static const int32_t kStripPitch = 60;  // a thumbnail every 60 lines
static const int32_t kStripCopies = 5;
static const double kStripSpeed = -0.13;  // lines per ms
static const int32_t kFadeInStep = 50;

void qvSeg08Reset() { qvSeg08 = QvSeg08State(); }

void qvSeg08Frame() {
  QvSeg08State& s = qvSeg08;
  // The view is not cleared: every pixel the tunnel tables cover is overwritten.
  fxTunnelDraw(s.offset, tunnel1Texture, view);
  s.offset = (uint16_t)(s.offset + kOffsetStep);

  fxScale(view, thumbnail8->pixels, QV_VIEW_W, QV_VIEW_H, thumbnail8->width, thumbnail8->height);
  pelun01->DrawLayerNoClip(279, 10, view);

  for (int32_t k = 0; k < kStripCopies; k++) thumbnail8->DrawAdd(kStripX, s.stripY + kStripPitch * k, view);
  if (s.stripY + kStripPitch < 0) s.stripY += kStripPitch;
  s.stripY += (int32_t)(frameTime * kStripSpeed);

  qvFadeIn(&s.fadeIn, kFadeInStep, QV_FADE_BLACK);
}
