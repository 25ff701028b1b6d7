// Segment 13: a scene with the FLC animation laid over it and a row of thumbnails.
// The animation steps about every 120 ms, on its own clock, from order 18 on.
#include <cstring>

#include "demo/qvdemo.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "fx/fxtoolkit.h"
#include "image/xflc.h"
#include "platform/platform.h"
#include "x2d/x2d.h"
#include "x3d/x3danim.h"
#include "x3d/x3drender.h"

QvSeg13State qvSeg13;

static const uint32_t kMinFrame = 35;  // ms
static const uint32_t kWaitStep = 95;  // ms since the last step that make the wait note one
static const int64_t kStepTime = 120;  // ms between animation steps
static const int32_t kAnimOrder = 18;  // the animation plays from this order on
static const int32_t kBlankFrom = 80;  // frames after this one lose their top lines
static const int32_t kBlankLines = 20;
static const double kSceneSpeed = 0.143;  // scene frames per ms
static const int32_t kAnimX = 70, kAnimY = 10;
static const int32_t kRowY = 145, kRowPitch = 90, kRowCopies = 5;
static const int32_t kRowWrap = 330, kRowStep = 3;  // pixels per frame
static const int32_t kWhiteStep = 15;

void qvSeg13Reset() { qvSeg13 = QvSeg13State(); }

// The wait for the minimum frame time; inside it, a due animation step is noted with the
// time it fell due. Returns whether one was noted.
static bool qvSeg13Wait(QvSeg13State& s) {
  bool noted = false;
  frameTime = platGetTickCount() - lastFrameTick;
  while (frameTime < kMinFrame) {
    // A real clock sleeps until the frame, or an animation step to note, falls due (headless
    // this is nothing and the loop asks the clock as it always has).
    uint32_t due = lastFrameTick + kMinFrame, stepDue = s.animTick + kWaitStep + 1;
    if (musicOrder >= kAnimOrder && (int32_t)(stepDue - due) < 0) due = stepDue;
    platSleepUntilTick(due);
    uint32_t now = platGetTickCount();
    if (now - s.animTick > kWaitStep && musicOrder >= kAnimOrder) {
      noted = true;
      s.animTick = now;
    }
    frameTime = platGetTickCount() - lastFrameTick;
  }
  lastFrameTick = platGetTickCount();
  qvMarkDrawStart();
  return noted;
}

// Palette indices to 0x00RRGGBB pixels of the animation sprite.
static void qvSeg13Convert() {
  const uint8_t* index = xFlcState.pixels;
  const uint8_t* palette = xFlcState.palette;
  const int32_t n = (int32_t)xFlcState.width * xFlcState.height;
  uint32_t* out = animationSprite->pixels;
  for (int32_t i = 0; i < n; i++) {
    const uint8_t* rgb = palette + index[i] * 3;
    out[i] = (uint32_t)rgb[0] << 16 | (uint32_t)rgb[1] << 8 | rgb[2];
  }
}

static void qvSeg13Advance(QvSeg13State& s, bool notedInWait) {
  if (++s.animFrame >= xFlcState.frameCount) {
    s.animFrame = 0;
    xFlcRewind();
  } else if (s.animFrame > kBlankFrom) {
    int32_t lines = xFlcState.height < kBlankLines ? xFlcState.height : kBlankLines;
    std::memset(xFlcState.pixels, 0, (size_t)lines * xFlcState.width);
  }
  if (!notedInWait) s.animTick = platGetTickCount();
  xFlcFrameHeader header;
  xFlcReadFrameHeader(&header);
  xFlcDecodeFrame(&header);
  if (s.animFrame > 1) {
    qvSeg13Convert();
    s.visible = 1;
  }
}

static void qvSeg13Animation(QvSeg13State& s, bool notedInWait) {
  if (musicOrder < kAnimOrder) return;
  bool step = notedInWait;
  if (s.firstStep) {
    s.firstStep = 0;
    step = true;
  }
  // Signed: after a stall longer than the step time the step is simply due.
  int64_t since = (int64_t)(uint32_t)(platGetTickCount() - s.animTick);
  if (since > kStepTime - (int64_t)frameTime || step) qvSeg13Advance(s, notedInWait);
}

// The strip of thumbnails along the bottom, moving right one step per frame.
static void qvSeg13Row(QvSeg13State& s) {
  thumbnail13->DrawAdd(s.stripX, kRowY, view);
  if (s.stripX > 10)
    for (int32_t k = 1; k <= kRowCopies; k++) thumbnail13->DrawAdd(s.stripX - kRowPitch * k, kRowY, view);
  if (s.stripX > kRowWrap) s.stripX -= kRowPitch;
  s.stripX += kRowStep;
}

void qvSeg13Frame() {
  QvSeg13State& s = qvSeg13;
  if (s.animFrame == 0) xFlcRewind();
  bool notedInWait = qvSeg13Wait(s);
  qvSeg13Animation(s, notedInWait);

  // The scene is drawn unlit over the last frame.
  s.time = qvSceneWrap((float)(s.time + frameTime * kSceneSpeed));
  x3dSetFrame(s.time);
  x3dUpdateScene();
  x3dTransformScene();
  x3dRenderScene(view);

  if (musicOrder >= kAnimOrder && s.visible) {
    // The animation's background colour is the one at its first pixel: left out.
    animationSprite->color = animationSprite->pixels[0];
    animationSprite->DrawKeyNoClip(kAnimX, kAnimY, view);
  }

  fxScale(view, thumbnail13->pixels, QV_VIEW_W, QV_VIEW_H, thumbnail13->width, thumbnail13->height);
  pelun01->DrawLayerNoClip(20, 10, view);
  pelun01->DrawLayerNoClip(300 - pelun01->width, 10, view);
  qvSeg13Row(s);

  qvFadeIn(&s.whiteFade, kWhiteStep, QV_FADE_WHITE);
}
