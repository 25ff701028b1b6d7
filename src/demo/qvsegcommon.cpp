// Steps the segments share: rendering the current scene, the scene-time rules, level steps,
// strips and tickers, jitter, the warped plane's steps and the bouncing marker.
#include <cmath>
#include <cstdlib>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"
#include "x3d/x3danim.h"
#include "x3d/x3drender.h"
#include "xmath/xmath.h"
#include "xmath/xrand.h"

void qvRenderScene(float t, uint32_t* target) {
  x3dSetFrame(t);
  x3dUpdateScene();
  x3dTransformScene();
  x3dLightScene();
  x3dRenderScene(target);
}

float qvSceneWrap(float t) { return t > x3dActiveScene->endFrame ? 0.0f : t; }
float qvSceneStop(float t) { return t > x3dActiveScene->endFrame ? x3dActiveScene->endFrame : t; }

int32_t qvLevelUp(int32_t level, int32_t step) { return level + step > 255 ? 255 : level + step; }
int32_t qvLevelDown(int32_t level, int32_t step) { return level - step < 0 ? 0 : level - step; }

void qvFadeOut(int32_t* level, int32_t step) {
  *level = qvLevelUp(*level, step);
  x2dFadeToBlack(*level, QV_VIEW_PIXELS, view);
}

void qvFadeIn(int32_t* level, int32_t step, QvFade kind) {
  if (*level == 0) return;
  *level = qvLevelDown(*level, step);
  if (kind == QV_FADE_BLACK) x2dFadeToBlack(*level, QV_VIEW_PIXELS, view);
  else if (kind == QV_FADE_WHITE) x2dFadeToWhite(*level, QV_VIEW_PIXELS, view);
  else workSprite->DrawBlendNoClip(0, 0, *level, view);
}

void qvRepeatDraw(x2dSprite* picture, int32_t x, int32_t* y, uint32_t* target) {
  picture->DrawAdd(x, *y, target);
  if (*y + picture->height < QV_VIEW_H) picture->DrawAdd(x, *y + picture->height, target);
  if (*y + picture->height < 0) *y += picture->height;
}

void qvTicker(x2dSprite* picture, int32_t x, int32_t* y, int32_t top, int32_t bottom, uint32_t* target) {
  x2dClipWindow[1] = top;
  x2dClipWindow[3] = bottom;
  qvRepeatDraw(picture, x, y, target);
  x2dClipWindow[1] = 0;
  x2dClipWindow[3] = QV_VIEW_H;
}

void qvRandPair(int32_t m, int32_t* r1, int32_t* r2) {
  *r1 = xMathRand() % m;
  *r2 = xMathRand() % m;
}

bool qvPastPosition(int32_t order, int32_t row) {
  return musicOrder > order || (musicOrder == order && musicRow > row);
}

void qvWarpSteps(int32_t counter, int32_t* c, int32_t* s) {
  const double kScale = 160000.0;  // 16.16 step length: about 2.4 texels per pixel
  double angle = counter * 2.0 * M_PI / 1024.0;
  *c = (int32_t)(xMathCos(angle) * kScale);
  *s = (int32_t)(xMathSin(angle) * kScale);
}

void qvMarkerStep(int32_t* position, int32_t* speed, int32_t lo, int32_t hi) {
  if (*position > hi) *speed = -std::abs(*speed);
  else if (*position < lo) *speed = std::abs(*speed);
  *position += *speed;
}

void qvMarkerMove(QvMarker* m, int32_t xLo, int32_t xHi, int32_t yLo, int32_t yHi) {
  if (xMathRand() % 50 == 10) m->xSpeed = -m->xSpeed;
  qvMarkerStep(&m->y, &m->ySpeed, yLo, yHi);
  qvMarkerStep(&m->x, &m->xSpeed, xLo, xHi);
}
