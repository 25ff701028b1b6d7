// The fifteen segments: each draws one frame of its own part of the presentation and can
// put its state back at its initial values (a new pass of the presentation).
#pragma once
#include <cstdint>

#include "x2d/x2dspr.h"

#define QV_SEGMENT_LIST(X) X(01) X(02) X(03) X(04) X(05) X(06) X(07) X(08) X(09) X(10) X(11) X(12) X(13) X(14) X(15)
#define QV_SEGMENT_DECLARE(n) \
  void qvSeg##n##Frame();     \
  void qvSeg##n##Reset();
QV_SEGMENT_LIST(QV_SEGMENT_DECLARE)
#undef QV_SEGMENT_DECLARE

// Renders the current scene at frame t into target: set frame, update, transform, light, render.
void qvRenderScene(float t, uint32_t* target);
// Scene time rules: after adding, past the scene's last frame it wraps to 0, or stops there.
float qvSceneWrap(float t);
float qvSceneStop(float t);
// Level steps clipped to 0..255.
int32_t qvLevelUp(int32_t level, int32_t step);
int32_t qvLevelDown(int32_t level, int32_t step);

// A strip that repeats downwards: draws `picture` with DrawAdd at (x, y) and, when
// y + height < 200, again at (x, y + height); then, once y + height < 0, y += height so the
// strip never runs out. Callers move y before or after, as their segment does.
void qvRepeatDraw(x2dSprite* picture, int32_t x, int32_t* y, uint32_t* target);

// A ticker: `picture` repeated downwards from (x, *y) as qvRepeatDraw does, showing only in
// lines top .. bottom - 1 (the clip window's top and bottom, put back at 0 and 200 after).
void qvTicker(x2dSprite* picture, int32_t x, int32_t* y, int32_t top, int32_t bottom, uint32_t* target);
