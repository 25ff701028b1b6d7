// Segment 15, the finale: warped plane, rotozoom, a second panel, the greetings; fades out
// at the end of the music and ends the presentation.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvmusic.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

QvSeg15State qvSeg15;

static const uint32_t kWhite = 0xffffff;
static const double kWarpSpeed = 0.072;      // counter steps (1024 to a turn) per ms
static const double kRotationSpeed = 0.029;  // 1/256 turns per ms
static const int32_t kWarpW = 320, kWarpH = 140, kWarpTop = 30;
static const int32_t kZoom = 255;
// Grid over 250..306 x 15..71; the marker turns back outside 262..304 x 17..69.
static const int32_t kGridX = 250, kGridY = 15, kGridSpacing = 8, kGridLines = 8;
static const int32_t kMarkerXLo = 262, kMarkerXHi = 304, kMarkerYLo = 17, kMarkerYHi = 69;
static const int32_t kTickerStep = -10;  // lines per frame
static const int32_t kBlendStep = 15;
static const int32_t kFadeOutOrder = 25, kFadeOutStep = 2;
static const int32_t kGreetJitter = 5;  // the second greetings picture moves by 0..4 pixels

void qvSeg15Reset() { qvSeg15 = QvSeg15State(); }

static void qvSeg15Panel(QvSeg15State& s) {
  fxGrid(kGridX, kGridY, kGridSpacing, kGridLines, view);
  qvMarkerMove(&s.marker, kMarkerXLo, kMarkerXHi, kMarkerYLo, kMarkerYHi);
  const QvMarker& m = s.marker;
  x2dHLine(250, 306, m.y, kWhite, view);
  x2dVLine(m.x, 15, 71, kWhite, view);
  qvTicker(vantreSprite, 250, &s.tickerY, 84, 174, view);
  s.tickerY += kTickerStep;
}

void qvSeg15Frame() {
  QvSeg15State& s = qvSeg15;
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  int32_t c, sn;
  qvWarpSteps(s.warpAngle, &c, &sn);
  fxWarp(kWarpW, kWarpH, 0, kWarpTop, c, sn, -sn, c, texture6, view);
  s.warpAngle += (int32_t)(frameTime * kWarpSpeed);

  // back01 is not shown again after segment 3: its pixels serve as the rotozoom's scratch.
  fxRotozoom(QV_VIEW_W, QV_VIEW_H, kZoom, s.rotation, finaleTexture, back01->pixels);
  back01->DrawAddNoClip(0, 0, view);

  s.rotation = (uint8_t)(s.rotation + (int32_t)(frameTime * kRotationSpeed));
  qvSeg15Panel(s);

  int32_t r1, r2;
  qvRandPair(kGreetJitter, &r1, &r2);
  greet1->DrawAddNoClip(10, 10, view);
  greet2->DrawAddNoClip(13 + r2, 13 + r1, view);

  qvFadeIn(&s.blend, kBlendStep, QV_FADE_WORK);
  if (musicOrder >= kFadeOutOrder) qvFadeOut(&s.fadeOut, kFadeOutStep);
  // The end of the music: this frame is still presented, then the loop ends (or starts over).
  if (musicOrder >= QV_END_ORDER) qvPresentationEnd();
}
