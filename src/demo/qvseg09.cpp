// Segment 9: a sphere behind a shaking, framed window onto a plane, and a scroller.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"

QvSeg09State qvSeg09;

static const double kSphereSpeed = -0.0008;         // radians per ms
static const double kPlaneSpeed = 0.033;            // plane units per ms
static const int32_t kWindowX = 34, kWindowY = 31;  // effect window inside its frame
static const int32_t kFrameY = -10;
static const int32_t kShake = 10;
static const int32_t kScrollX = 200;
static const double kScrollSpeed = -0.1599;
static const int32_t kFadeInStep = 25;

void qvSeg09Reset() { qvSeg09 = QvSeg09State(); }

void qvSeg09Frame() {
  QvSeg09State& s = qvSeg09;
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  s.a = (float)(s.a + frameTime * kSphereSpeed);
  s.b = (float)(s.b + frameTime * kPlaneSpeed);

  std::memset(effectView->pixels, 0, (size_t)effectView->width * effectView->height * 4);
  qvEffectAlong(effectE, s.b, -s.a, effectView->pixels);

  effectD->SetAngles(s.a, 0.0f, s.a);
  effectD->SetPosition(1.0f, 1.0f, 1.0f);
  effectD->Render(view);

  // The window and its frame shake together.
  int32_t j1, j2;
  qvRandPair(kShake, &j1, &j2);
  effectView->DrawAddNoClip(j1 + kWindowX, j2 + kWindowY, view);
  ramkaSprite->DrawLayer(j1, j2 + kFrameY, view);

  qvRepeatDraw(scroll1Sprite, kScrollX, &s.scrollY, view);
  s.scrollY += (int32_t)(frameTime * kScrollSpeed);

  qvFadeIn(&s.fadeIn, kFadeInStep, QV_FADE_WORK);
}
