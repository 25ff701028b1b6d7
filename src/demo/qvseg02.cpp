// Segment 2: the scene comes out of black once its time passes 170, and from 350 the group
// logo zooms in from nothing to full size in the middle of the view, then holds still.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"

static const float kRate = 0.0323f;      // scene frames per ms
static const float kSceneFrom = 170.0f;  // black until the scene time passes this
static const float kLogoFrom = 350.0f;   // the logo from this scene time on
static const float kZoomStep = 0.02f;    // logo scale per frame, up to 1.0
static const int32_t kFadeOrder = 2, kFadeAfterRow = 57;
static const int32_t kFadeStep = 25;  // per frame

QvSeg02State qvSeg02;

void qvSeg02Reset() { qvSeg02 = QvSeg02State(); }

static void seg2Logo() {
  x2dSprite* logo = logoSprite;
  if (qvSeg02.logoScale != 1.0f) {
    qvSeg02.logoScale += kZoomStep;
    if (qvSeg02.logoScale > 1.0f) qvSeg02.logoScale = 1.0f;
    float s = qvSeg02.logoScale;
    int32_t x = (QV_VIEW_W - (int32_t)((float)logo->width * s)) >> 1;
    int32_t y = (QV_VIEW_H - (int32_t)((float)logo->height * s)) >> 1;
    logo->DrawAlphaScaled(x, y, s, view);
  } else {
    logo->DrawAlphaNoClip((QV_VIEW_W - logo->width) >> 1, (QV_VIEW_H - logo->height) >> 1, view);
  }
}

void qvSeg02Frame() {
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  qvSeg02.time = qvSceneStop(qvSeg02.time + (float)frameTime * kRate);
  if (qvSeg02.time > kSceneFrom) qvRenderScene(qvSeg02.time, view);
  if (qvSeg02.time > kLogoFrom) seg2Logo();
  if (qvPastPosition(kFadeOrder, kFadeAfterRow)) qvFadeOut(&qvSeg02.fadeOut, kFadeStep);
}
