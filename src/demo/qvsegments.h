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

// Two successive C run-time rand values, each modulo m, in this order: r1 then r2 (the jitter
// of the credits and the title).
void qvRandPair(int32_t m, int32_t* r1, int32_t* r2);

// ---- State of segments 1 to 7 (initial values as given; the Reset functions restore them) ----
struct QvSeg1State {
  float time = 0.0f;
  int32_t fadeOut = 0;
  int32_t fadeIn = 255;
};
struct QvSeg2State {
  float time = 131.0f;
  float logoScale = 0.0f;  // 0.02 more per frame up to exactly 1.0
  int32_t fadeOut = 0;
};
struct QvSeg3State {
  float time = 0.0f;
  int32_t frameCounter = 0;
  int32_t backLevel = 0;    // blend of back02 over back01
  int32_t creditIndex = 1;  // picture 0..3 of the current credit series
  int32_t creditDirection = 1;
  int32_t creditLevel[4] = {255, 255, 255, 255};
};
struct QvSeg4State {
  float p = 0.0f, q = 0.0f;  // effect position and angle
  float time = 0.0f;
  int32_t fadeOut = 0;
};
struct QvSeg5State {
  float time = 0.0f;
  int32_t stripY = 0;
  int32_t fadeIn = 255;
};
struct QvSeg6State {
  float u = 0.0f, w = 0.0f;  // effect position and angle
  float time = 0.0f;
  bool textureFresh = false;  // textureSprite holds the frame before this segment's first
};
struct QvSeg7State {
  float time = 0.0f;
  int32_t tickerY = 0;
  int32_t fadeIn = 255;
  int32_t fadeOut = 0;
};
extern QvSeg1State qvSeg1;
extern QvSeg2State qvSeg2;
extern QvSeg3State qvSeg3;
extern QvSeg4State qvSeg4;
extern QvSeg5State qvSeg5;
extern QvSeg6State qvSeg6;
extern QvSeg7State qvSeg7;

// True once the music is past (order, row): at that order a row above `row`, or a later order.
// Fades and clears that start at a position keep going on a frame drawn after the music has
// moved on into the next order (the pacing reads the clock after the end check).
bool qvPastPosition(int32_t order, int32_t row);
