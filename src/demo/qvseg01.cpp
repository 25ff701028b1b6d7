// Segment 1: the opening scene, faded in from black and out again once the music reaches
// order 1. Its first frame is drawn without waiting; the music starts when it is shown
// (both done by the timeline around this frame).
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"

static const float kRate = 0.021f;      // scene frames per ms
static const float kFastFrom = 150.0f;  // past this scene frame ...
static const float kFastRate = 0.037f;  // ... this much more per ms
static const int32_t kFadeOutOrder = 1;
static const int32_t kFadeOutStep = 15;  // per frame
static const int32_t kFadeInStep = 25;   // per frame, from black

QvSeg01State qvSeg01;

void qvSeg01Reset() { qvSeg01 = QvSeg01State(); }

void qvSeg01Frame() {
  // Cleared on every frame, not only the first: the scene does not cover the whole view, and
  // its wire floor and crystals would otherwise smear into solid trails.
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  qvSeg01.time += (float)frameTime * kRate;
  if (qvSeg01.time > kFastFrom) qvSeg01.time += (float)frameTime * kFastRate;
  qvSeg01.time = qvSceneStop(qvSeg01.time);
  qvRenderScene(qvSeg01.time, view);
  if (musicOrder >= kFadeOutOrder) qvFadeOut(&qvSeg01.fadeOut, kFadeOutStep);
  qvFadeIn(&qvSeg01.fadeIn, kFadeInStep, QV_FADE_BLACK);
}
