// Segment 7: the scene with its own thumbnail and a ten-line ticker, dissolving in from the
// last frame of segment 6; at the end the frozen frame darkens a little more every frame.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

static const float kRate = 0.022f;  // scene frames per ms
static const int32_t kThumbW = 80, kThumbH = 50, kThumbX = 10, kThumbY = 120;
static const int32_t kTickerTop = 175, kTickerBottom = 185;  // lines 175..184
static const int32_t kTickerX = 20;
static const float kTickerRise = -0.025f;  // pixels per ms (upwards)
static const int32_t kFadeInStep = 25;     // per frame
static const int32_t kFadeOrder = 11, kFadeAfterRow = 57;
static const int32_t kFadeOutStep = 15;  // per frame

QvSeg07State qvSeg07;

void qvSeg07Reset() { qvSeg07 = QvSeg07State(); }

void qvSeg07Frame() {
  if (qvSeg07.fadeOut == 0) {
    std::memset(view, 0, QV_VIEW_PIXELS * 4);
    qvSeg07.time = qvSceneWrap(qvSeg07.time + (float)frameTime * kRate);
    qvRenderScene(qvSeg07.time, view);
    fxScale(view, thumbnail7->pixels, QV_VIEW_W, QV_VIEW_H, kThumbW, kThumbH);
    thumbnail7->DrawAddNoClip(kThumbX, kThumbY, view);
    qvSeg07.tickerY += (int32_t)((float)frameTime * kTickerRise);
    qvTicker(vantreSprite, kTickerX, &qvSeg07.tickerY, kTickerTop, kTickerBottom, view);
  }
  qvFadeIn(&qvSeg07.fadeIn, kFadeInStep, QV_FADE_WORK);
  if (qvPastPosition(kFadeOrder, kFadeAfterRow)) qvFadeOut(&qvSeg07.fadeOut, kFadeOutStep);
}
