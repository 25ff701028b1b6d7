// The state each of segments 8 to 15 keeps from frame to frame. Every segment starts from
// its own block of initial values and goes back to it on a new pass (qvSegNNReset).
// Positions are view coordinates; levels 0..255; angles of the rotating layers in 1/256 turns.
#pragma once
#include <cstdint>

struct QvSeg08State {
  uint16_t offset;  // tunnel texture offset: +256 one row deeper, +1 one angle step
  int32_t stripY;   // top of the rising thumbnail strip
  int32_t fadeIn;
};

struct QvSeg09State {
  float a, b;       // effect phases: sphere angle, plane position
  int32_t scrollY;  // the scroller's top line
  int32_t fadeIn;   // how much of segment 8's last frame still shows
};

struct QvSeg10State {
  uint16_t offset;
  int32_t stripY;  // the falling strip's lowest thumbnail
  int32_t fadeIn, fadeOut;
};

struct QvSeg11State {
  int32_t angle;  // warp angle counter, 1024 to a turn
  float sceneTime;
};

struct QvSeg12State {
  uint8_t angle1, angle2;  // the two rotozoom layers
  float b, c, d;           // effect window phases
  int32_t scrollX;
  int32_t fadeIn;
};

struct QvSeg13State {
  float sceneTime;
  int32_t animFrame;  // frames decoded since the last rewind; 0: rewind before the next
  uint32_t animTick;  // tick of the last animation step
  uint8_t firstStep;  // set until the first frame from order 18 on
  uint8_t visible;    // set once a converted frame is in the animation sprite
  int32_t stripX;     // the rightmost thumbnail of the row
  int32_t whiteFade;
};

// A marker bouncing inside a box: position and speed on each axis.
struct QvMarker {
  int32_t y, ySpeed;
  int32_t x, xSpeed;
};

struct QvSeg14State {
  float sceneTime;
  QvMarker marker;
  int32_t ticker1Y, ticker2Y;
  int32_t whiteFade;
};

struct QvSeg15State {
  int32_t warpAngle;  // 1024 to a turn, as segment 11's
  uint8_t rotation;   // rotozoom angle
  QvMarker marker;
  int32_t tickerY;
  int32_t blend;  // how much of segment 14's last frame still shows
  int32_t fadeOut;
};

extern QvSeg08State qvSeg08;
extern QvSeg09State qvSeg09;
extern QvSeg10State qvSeg10;
extern QvSeg11State qvSeg11;
extern QvSeg12State qvSeg12;
extern QvSeg13State qvSeg13;
extern QvSeg14State qvSeg14;
extern QvSeg15State qvSeg15;

// Warp steps of a plane turned by `counter` (1024 to a turn): C, S = cos, sin x 160000.
void qvWarpSteps(int32_t counter, int32_t* c, int32_t* s);
// One axis of a marker bouncing between lo and hi: once past either end it is sent back
// inwards (whatever its speed says, so that an extra reversal cannot push it out), then moves.
void qvMarkerStep(int32_t* position, int32_t* speed, int32_t lo, int32_t hi);
