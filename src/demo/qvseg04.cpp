// Segment 4: two tunnels moving in opposite directions added together, the scene over them
// and, from order 7, the shaking title.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"

static const float kTravel = 0.055f;  // effect position per ms
static const float kTurn = 0.002f;    // effect angle per ms
static const float kRate = 0.022f;    // scene frames per ms
static const int32_t kTitleOrder = 7;
static const int32_t kTitleX = 15, kTitleY = 50, kShake = 15;
static const int32_t kFadeOrder = 7, kFadeAfterRow = 56;
static const int32_t kFadeStep = 25;  // per frame

QvSeg04State qvSeg04;

void qvSeg04Reset() { qvSeg04 = QvSeg04State(); }

void qvSeg04Frame() {
  uint32_t* work = workSprite->pixels;
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  std::memset(work, 0, QV_VIEW_PIXELS * 4);
  qvSeg04.p += (float)frameTime * kTravel;
  qvSeg04.q += (float)frameTime * kTurn;
  qvEffectAlong(effectA, qvSeg04.p, qvSeg04.q, view);
  qvEffectAlong(effectB, -qvSeg04.p, -qvSeg04.q, work);
  workSprite->DrawAddNoClip(0, 0, view);
  qvSeg04.time = qvSceneWrap(qvSeg04.time + (float)frameTime * kRate);
  qvRenderScene(qvSeg04.time, view);
  if (musicOrder >= kTitleOrder) {
    int32_t r1, r2;
    qvRandPair(kShake, &r1, &r2);
    titleSprite->DrawAddNoClip(kTitleX + r2, kTitleY - r1, view);
  }
  if (qvPastPosition(kFadeOrder, kFadeAfterRow)) qvFadeOut(&qvSeg04.fadeOut, kFadeStep);
}
