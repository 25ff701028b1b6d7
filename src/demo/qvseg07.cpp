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

QvSeg7State qvSeg7;

void qvSeg07Reset() { qvSeg7 = QvSeg7State(); }

static void seg7Ticker() {
  x2dClipWindow[1] = kTickerTop;
  x2dClipWindow[3] = kTickerBottom;
  qvSeg7.tickerY += (int32_t)((float)frameTime * kTickerRise);
  qvRepeatDraw(vantreSprite, kTickerX, &qvSeg7.tickerY, view);
  x2dClipWindow[1] = 0;
  x2dClipWindow[3] = QV_VIEW_H;
}

void qvSeg07Frame() {
  if (qvSeg7.fadeOut == 0) {
    std::memset(view, 0, QV_VIEW_PIXELS * 4);
    qvSeg7.time = qvSceneWrap(qvSeg7.time + (float)frameTime * kRate);
    qvRenderScene(qvSeg7.time, view);
    fxScale(view, thumbnail7->pixels, QV_VIEW_W, QV_VIEW_H, kThumbW, kThumbH);
    thumbnail7->DrawAddNoClip(kThumbX, kThumbY, view);
    seg7Ticker();
  }
  if (qvSeg7.fadeIn != 0) {
    qvSeg7.fadeIn = qvLevelDown(qvSeg7.fadeIn, kFadeInStep);
    workSprite->DrawBlendNoClip(0, 0, qvSeg7.fadeIn, view);
  }
  if (qvPastPosition(kFadeOrder, kFadeAfterRow)) {
    qvSeg7.fadeOut = qvLevelUp(qvSeg7.fadeOut, kFadeOutStep);
    x2dFadeToBlack(qvSeg7.fadeOut, QV_VIEW_PIXELS, view);
  }
}
