// Segment 12: two rotating, zooming layers, a plane seen through a masked window, a scroller.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

QvSeg12State qvSeg12;

static const double kBSpeed = -0.0016, kCSpeed = 0.0006;  // window plane angles, radians per ms
static const double kDSpeed = 0.06;                       // window plane position per ms
static const int32_t kBackZoom = 100, kFrontZoom = 255;   // 256 = one texel per pixel
static const int32_t kFrontW = 190;
static const double kScrollSpeed = -0.2;                        // pixels per ms
static const double kAngle1Speed = 0.06, kAngle2Speed = -0.04;  // 1/256 turns per ms
static const int32_t kScrollY = 80;
static const int32_t kFadeInStep = 25;

void qvSeg12Reset() { qvSeg12 = QvSeg12State(); }

// The effect window: the plane scaled into the mask sprite, which then takes its opacity
// from the mask picture's alpha layer.
static void qvSeg12Window(QvSeg12State& s) {
  uint32_t* scratch = effectScratch->pixels;
  std::memset(scratch, 0, (size_t)effectScratch->width * effectScratch->height * 4);
  effectF->SetPosition(0.0f, 0.0f, s.d);
  effectF->SetAngles(s.c, 0.0f, s.b);
  effectF->Render(scratch);
  fxScale(scratch, maskSprite->pixels, effectScratch->width, effectScratch->height, maskSprite->width,
          maskSprite->height);
  const int32_t n = maskSprite->width * maskSprite->height;
  for (int32_t i = 0; i < n; i++)
    maskSprite->pixels[i] = (maskSprite->pixels[i] & 0xffffffu) | (uint32_t)maskSprite->alphaLayer[i] << 24;
}

void qvSeg12Frame() {
  QvSeg12State& s = qvSeg12;
  s.b = (float)(s.b + frameTime * kBSpeed);
  s.c = (float)(s.c + frameTime * kCSpeed);
  s.d = (float)(s.d + frameTime * kDSpeed);

  fxRotozoom(QV_VIEW_W, QV_VIEW_H, kBackZoom, s.angle1, texture4, view);  // covers the whole view
  fxRotozoom(kFrontW, QV_VIEW_H, kFrontZoom, s.angle2, texture7, rotationView->pixels);
  rotationView->DrawAddNoClip(0, 0, view);

  qvSeg12Window(s);
  maskSprite->DrawAlphaNoClip(177, 62, view);
  mmmSprite->DrawLayerNoClip(170, 60, view);
  scroll2Sprite->DrawLayer(s.scrollX, kScrollY, view);

  s.scrollX += (int32_t)(frameTime * kScrollSpeed);
  s.angle1 = (uint8_t)(s.angle1 + (int32_t)(frameTime * kAngle1Speed));
  s.angle2 = (uint8_t)(s.angle2 + (int32_t)(frameTime * kAngle2Speed));

  if (s.fadeIn != 0) {
    x2dFadeToBlack(s.fadeIn, QV_VIEW_PIXELS, view);
    s.fadeIn = qvLevelDown(s.fadeIn, kFadeInStep);
  }
}
