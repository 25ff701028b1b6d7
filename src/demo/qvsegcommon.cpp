// Steps the segments share: rendering the current scene, the scene-time rules, level steps.
#include <cstdlib>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "x2d/x2d.h"
#include "x3d/x3danim.h"
#include "x3d/x3drender.h"

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
  *r1 = std::rand() % m;
  *r2 = std::rand() % m;
}

bool qvPastPosition(int32_t order, int32_t row) {
  return musicOrder > order || (musicOrder == order && musicRow > row);
}
