// Segment 14: the scene as an instrument panel: framed thumbnail, grid with a crosshair
// marker, a scale with its tick, two tickers, rising out of white.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

QvSeg14State qvSeg14;

static const uint32_t kWhite = 0xffffff;
static const double kSceneSpeed = 0.06;  // scene frames per ms
static const int32_t kThumbX = 220, kThumbY = 125;
// The grid covers 15..71 on both axes; the marker turns back outside 17..69.
static const int32_t kGrid = 15, kGridSpacing = 8, kGridLines = 8;
static const int32_t kMarkerLo = 17, kMarkerHi = 69;
static const int32_t kTickerStep = -15;  // lines per frame
static const int32_t kWhiteStep = 15;

void qvSeg14Reset() { qvSeg14 = QvSeg14State(); }

static void qvSeg14Lines(const QvMarker& m) {
  fxGrid(kGrid, kGrid, kGridSpacing, kGridLines, view);
  x2dHLine(15, 71, m.y, kWhite, view);
  x2dVLine(m.x, 15, 71, kWhite, view);
  // The scale below the grid, its tick following the marker's height.
  x2dHLine(110, 175, 165, kWhite, view);
  x2dVLine(m.y + 100, 160, 170, kWhite, view);
  // Frame around the thumbnail.
  x2dHLine(220, 300, 124, kWhite, view);
  x2dHLine(220, 300, 175, kWhite, view);
  x2dVLine(220, 124, 176, kWhite, view);
  x2dVLine(300, 124, 176, kWhite, view);
}

void qvSeg14Frame() {
  QvSeg14State& s = qvSeg14;
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  s.time = qvSceneWrap((float)(s.time + frameTime * kSceneSpeed));
  qvRenderScene(s.time, view);

  fxScale(view, thumbnail14->pixels, QV_VIEW_W, QV_VIEW_H, thumbnail14->width, thumbnail14->height);
  thumbnail14->DrawAddNoClip(kThumbX, kThumbY, view);

  qvMarkerMove(&s.marker, kMarkerLo, kMarkerHi, kMarkerLo, kMarkerHi);
  qvSeg14Lines(s.marker);

  qvTicker(vantreSprite, 15, &s.ticker1Y, 85, 175, view);
  s.ticker1Y += kTickerStep;
  qvTicker(vantreSprite, 230, &s.ticker2Y, 15, 105, view);
  s.ticker2Y += kTickerStep;

  qvFadeIn(&s.whiteFade, kWhiteStep, QV_FADE_WHITE);
}
