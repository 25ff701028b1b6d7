// Segment 3: the scene over two cross-fading backgrounds, each frame blended 50/50 into the
// last (a trail of fading echoes), with the credits playing their four pictures back and
// forth and jittering by a few pixels. Runs as fast as the machine allows.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "fx/fxtoolkit.h"

static const float kRate = 0.029f;      // scene frames per ms
static const int32_t kBackStep = 10;    // back01 -> back02 per frame
static const int32_t kCreditFade = 15;  // credit level per frame once its row has come
static const int32_t kJitter = 10;      // credits move by 0..9 pixels

QvSeg03State qvSeg03;

void qvSeg03Reset() { qvSeg03 = QvSeg03State(); }

static void seg3Background() {
  uint32_t* work = workSprite->pixels;
  const x2dSprite* back = qvSeg03.backLevel == 255 ? back02 : back01;
  std::memcpy(work, back->pixels, QV_VIEW_PIXELS * 4);
  if (qvSeg03.backLevel != 0) back02->DrawBlendNoClip(0, 0, qvSeg03.backLevel, work);
}

// One credit picture with its level; the level then fades from `fadeRow` on.
static void seg3Credit(x2dSprite* const* series, int32_t slot, int32_t fadeRow, int32_t x, int32_t y) {
  x2dSprite* s = series[qvSeg03.creditIndex];
  s->DrawLayerLevelNoClip(x, y, qvSeg03.creditLevel[slot], view);
  if (musicRow >= fadeRow) qvSeg03.creditLevel[slot] = qvLevelDown(qvSeg03.creditLevel[slot], kCreditFade);
}

static void seg3Credits() {
  const int32_t order = musicOrder, row = musicRow, i = qvSeg03.creditIndex;
  int32_t r1, r2;
  if (order == 3) {
    qvRandPair(kJitter, &r1, &r2);
    creditFenwa[i]->DrawLayerNoClip(r2, QV_VIEW_H - creditFenwa[i]->height - r1, view);
  }
  if (order == 4 && row < 32) {
    qvRandPair(kJitter, &r1, &r2);
    seg3Credit(creditPdcode, 0, 19, r2, r1);
  }
  if (order == 4 && row > 30) {
    qvRandPair(kJitter, &r1, &r2);
    seg3Credit(creditRulmus, 1, 49, r2, QV_VIEW_H - creditRulmus[i]->height - r1);
  }
  if (order == 5 && row < 32) {
    qvRandPair(kJitter, &r1, &r2);
    seg3Credit(creditTirsk, 2, 17, r2, r1 + 2);
  }
  if (order == 5 && row > 30) {
    qvRandPair(kJitter, &r1, &r2);
    seg3Credit(creditDulmo, 3, 49, r2 - creditDulmo[i]->width + 310, QV_VIEW_H - creditDulmo[i]->height - r1);
  }
  if (qvPastPosition(5, 55)) std::memset(view, 0, QV_VIEW_PIXELS * 4);
}

// The four pictures of a series play back and forth, one per frame: 1, 2, 3, 2, 1, 0, 1, ...
static void seg3NextCredit() {
  // At either end the direction turns and the index steps back the way it came.
  if (qvSeg03.creditIndex >= 3 || qvSeg03.creditIndex < 1) qvSeg03.creditDirection = -qvSeg03.creditDirection;
  qvSeg03.creditIndex += qvSeg03.creditDirection;
}

void qvSeg03Frame() {
  // The view is not cleared: each frame is blended into the one before.
  qvSeg03.time = qvSceneWrap(qvSeg03.time + (float)frameTime * kRate);
  qvSeg03.frameCounter += 2;
  seg3Background();
  qvRenderScene(qvSeg03.time, workSprite->pixels);
  fxBlend50(workSprite->pixels, view, QV_VIEW_PIXELS);
  if (musicOrder >= 5 || (musicOrder == 4 && musicRow > 30))
    qvSeg03.backLevel = qvLevelUp(qvSeg03.backLevel, kBackStep);
  seg3Credits();
  if ((qvSeg03.frameCounter & 1) == 0) seg3NextCredit();
}
