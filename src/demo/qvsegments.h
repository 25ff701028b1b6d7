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

// Fades over the view, one step a frame. qvFadeOut: the level goes up by step (to 255), then
// the view is darkened by it. qvFadeIn: while the level is not 0 it goes down by step, then the
// view is darkened (or whitened) by it, or the frame before (workSprite) is blended over it.
enum QvFade { QV_FADE_BLACK, QV_FADE_WHITE, QV_FADE_WORK };
void qvFadeOut(int32_t* level, int32_t step);
void qvFadeIn(int32_t* level, int32_t step, QvFade kind);

// A strip that repeats downwards: draws `picture` with DrawAdd at (x, y) and, when
// y + height < 200, again at (x, y + height); then, once y + height < 0, y += height so the
// strip never runs out. Callers move y before or after, as their segment does.
void qvRepeatDraw(x2dSprite* picture, int32_t x, int32_t* y, uint32_t* target);

// A ticker: `picture` repeated downwards from (x, *y) as qvRepeatDraw does, showing only in
// lines top .. bottom - 1 (the clip window's top and bottom, put back at 0 and 200 after).
void qvTicker(x2dSprite* picture, int32_t x, int32_t* y, int32_t top, int32_t bottom, uint32_t* target);

// Two successive C run-time rand values, each modulo m, in this order: r1 then r2 (the jitter
// of the credits, the title, the framed window and the greetings).
void qvRandPair(int32_t m, int32_t* r1, int32_t* r2);

// An effect seen along its axis: moved to depth z, turned by roll about that axis, drawn.
template <class Effect>
void qvEffectAlong(Effect* effect, float z, float roll, uint32_t* target) {
  effect->SetPosition(0.0f, 0.0f, z);
  effect->SetAngles(0.0f, 0.0f, roll);
  effect->Render(target);
}

// Warp steps of a plane turned by `counter` (1024 to a turn): C, S = cos, sin x 160000.
void qvWarpSteps(int32_t counter, int32_t* c, int32_t* s);
// One axis of a marker bouncing between lo and hi: once past either end it is sent back
// inwards (whatever its speed says, so that an extra reversal cannot push it out), then moves.
void qvMarkerStep(int32_t* position, int32_t* speed, int32_t lo, int32_t hi);

// One frame of a marker inside x lo..hi, y lo..hi: one frame in fifty (a C run-time rand
// value) its horizontal speed turns; then each axis steps, y first.
struct QvMarker;
void qvMarkerMove(QvMarker* m, int32_t xLo, int32_t xHi, int32_t yLo, int32_t yHi);

// ---- The state each segment keeps from frame to frame ----
// Every segment starts from the initial values given here and goes back to them on a new
// pass (qvSegNNReset: qvSegNN = QvSegNNState()). Positions are view coordinates, levels
// 0..255, scene times in scene frames, angles of the rotating layers in 1/256 turns.
struct QvSeg01State {
  float time = 0.0f;
  int32_t fadeOut = 0;
  int32_t fadeIn = 255;
};
struct QvSeg02State {
  float time = 131.0f;
  float logoScale = 0.0f;  // 0.02 more per frame up to exactly 1.0
  int32_t fadeOut = 0;
};
struct QvSeg03State {
  float time = 0.0f;
  int32_t frameCounter = 0;
  int32_t backLevel = 0;    // blend of back02 over back01
  int32_t creditIndex = 1;  // picture 0..3 of the current credit series
  int32_t creditDirection = 1;
  int32_t creditLevel[4] = {255, 255, 255, 255};
};
struct QvSeg04State {
  float p = 0.0f, q = 0.0f;  // effect position and angle
  float time = 0.0f;
  int32_t fadeOut = 0;
};
struct QvSeg05State {
  float time = 0.0f;
  int32_t stripY = 0;
  int32_t fadeIn = 255;
};
struct QvSeg06State {
  float u = 0.0f, w = 0.0f;  // effect position and angle
  float time = 0.0f;
  bool textureFresh = false;  // textureSprite holds the frame before this segment's first
};
struct QvSeg07State {
  float time = 0.0f;
  int32_t tickerY = 0;
  int32_t fadeIn = 255;
  int32_t fadeOut = 0;
};
struct QvSeg08State {
  uint16_t offset = 0;   // tunnel texture offset: +256 one row deeper, +1 one angle step
  int32_t stripY = 200;  // top of the rising thumbnail strip
  int32_t fadeIn = 255;
};
struct QvSeg09State {
  float a = 0.0f, b = 0.0f;  // effect phases: sphere angle, plane position
  int32_t scrollY = 200;     // the scroller's top line
  int32_t fadeIn = 255;      // how much of segment 8's last frame still shows
};
struct QvSeg10State {
  uint16_t offset = 0;
  int32_t stripY = 0;  // the falling strip's lowest thumbnail
  int32_t fadeIn = 255, fadeOut = 0;
};
struct QvSeg11State {
  int32_t angle = 0;  // warp angle counter, 1024 to a turn
  float time = 0.0f;
};
struct QvSeg12State {
  uint8_t angle1 = 1, angle2 = 255;    // the two rotozoom layers
  float b = 0.0f, c = 0.0f, d = 0.0f;  // effect window phases
  int32_t scrollX = 320;
  int32_t fadeIn = 255;
};
struct QvSeg13State {
  float time = 0.0f;
  int32_t animFrame = 0;  // frames decoded since the last rewind; 0: rewind before the next
  uint32_t animTick = 0;  // tick of the last animation step
  uint8_t firstStep = 1;  // set until the first frame from order 18 on
  uint8_t visible = 0;    // set once a converted frame is in the animation sprite
  int32_t stripX = 0;     // the rightmost thumbnail of the row
  int32_t whiteFade = 255;
};
// A marker bouncing inside a box: position and speed on each axis.
struct QvMarker {
  int32_t y, ySpeed;
  int32_t x, xSpeed;
};
struct QvSeg14State {
  float time = 0.0f;
  QvMarker marker = {27, 2, 30, 1};
  int32_t ticker1Y = 85, ticker2Y = 15;
  int32_t whiteFade = 255;
};
struct QvSeg15State {
  int32_t warpAngle = 0;  // 1024 to a turn, as segment 11's
  uint8_t rotation = 0;   // rotozoom angle
  QvMarker marker = {37, 2, 265, 1};
  int32_t tickerY = 84;
  int32_t blend = 255;  // how much of segment 14's last frame still shows
  int32_t fadeOut = 0;
};
#define QV_SEGMENT_STATE(n) extern QvSeg##n##State qvSeg##n;
QV_SEGMENT_LIST(QV_SEGMENT_STATE)
#undef QV_SEGMENT_STATE

// True once the music is past (order, row): at that order a row above `row`, or a later order.
// Fades and clears that start at a position keep going on a frame drawn after the music has
// moved on into the next order (the pacing reads the clock after the end check).
bool qvPastPosition(int32_t order, int32_t row);
