// The music clock and the timeline: fifteen segment timers registered one at a time, each
// ending at its music position and handing over to the next.
#include "demo/qvtimeline.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/qvbass.h"
#include "demo/qvdemo.h"
#include "demo/qvmusic.h"
#include "demo/qvsegments.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"
#include "x2d/x2d.h"
#include "xmath/xrand.h"

static const uint64_t kHashStart = 0xcbf29ce484222325ull;

int32_t musicOrder = 0, musicRow = 0;
uint32_t lastFrameTick = 0;
uint32_t frameTime = 0;
uint8_t firstFrame = 1;
QvRunStats qvStats = {0, 0, 0, kHashStart, 0, 0, kHashStart};

static const int32_t kNever = INT_MAX;

// clang-format off
const QvSegmentDef qvSegments[QV_SEGMENTS] = {
  // frame        reset        pacing          min  end order/row  or at order/row  hand-over               next scene       renders
  {qvSeg01Frame, qvSeg01Reset, QV_PACE_WAIT,   50,  1, 6,         -1, 0,   0,                     "scene_2.x3d",  "scene_1.x3d"},
  {qvSeg02Frame, qvSeg02Reset, QV_PACE_WAIT,   50,  3, 0,         -1, 0,   QV_HAND_CLEAR_PRESENT, "scene_3.x3d",  "scene_2.x3d"},
  {qvSeg03Frame, qvSeg03Reset, QV_PACE_NOWAIT,  0,  6, 0,          5, 63,  0,                     "scene_4.x3d",  "scene_3.x3d"},
  {qvSeg04Frame, qvSeg04Reset, QV_PACE_WAIT,   50,  8, 0,         -1, 0,   0,                     "scene_5.x3d",  "scene_4.x3d"},
  {qvSeg05Frame, qvSeg05Reset, QV_PACE_NOWAIT,  0,  9, 0,         -1, 0,   0,                     "scene_6.x3d",  "scene_5.x3d"},
  {qvSeg06Frame, qvSeg06Reset, QV_PACE_NOWAIT,  0, 10, 0,         -1, 0,   QV_HAND_COPY_WORK,     "scene_7.x3d",  "scene_6.x3d"},
  {qvSeg07Frame, qvSeg07Reset, QV_PACE_WAIT,   50, 12, 0,         11, 63,  0,                     nullptr,        "scene_7.x3d"},
  {qvSeg08Frame, qvSeg08Reset, QV_PACE_WAIT,   25, 13, 0,         -1, 0,   QV_HAND_COPY_WORK,     nullptr,        nullptr},
  {qvSeg09Frame, qvSeg09Reset, QV_PACE_WAIT,   50, 14, 0,         -1, 0,   QV_HAND_COPY_WORK,     nullptr,        nullptr},
  {qvSeg10Frame, qvSeg10Reset, QV_PACE_WAIT,   25, 15, 0,         -1, 0,   0,                     "scene_11.x3d", nullptr},
  {qvSeg11Frame, qvSeg11Reset, QV_PACE_WAIT,   50, 16, 0,         -1, 0,   0,                     nullptr,        "scene_11.x3d"},
  {qvSeg12Frame, qvSeg12Reset, QV_PACE_WAIT,   50, 18, 0,         17, 55,  0,                     "scene_13.x3d", nullptr},
  {qvSeg13Frame, qvSeg13Reset, QV_PACE_OWN,    35, 20, 0,         -1, 0,   0,                     "scene_14.x3d", "scene_13.x3d"},
  {qvSeg14Frame, qvSeg14Reset, QV_PACE_WAIT,   50, 23, 0,         -1, 0,   QV_HAND_COPY_WORK,     nullptr,        "scene_14.x3d"},
  {qvSeg15Frame, qvSeg15Reset, QV_PACE_WAIT,   50, kNever, 0,     -1, 0,   0,                     nullptr,        nullptr},
};
// clang-format on

bool qvSegmentEnded(int32_t k, int32_t order, int32_t row) {
  const QvSegmentDef& s = qvSegments[k];
  return (order >= s.endOrder && row >= s.endRow) || (order == s.altOrder && row >= s.altRow);
}

int32_t qvSegmentForOrder(int32_t order) {
  // A segment whose end needs a row (segment 1: order 1 and row 6) is over for any later order.
  for (int32_t k = 0; k < QV_SEGMENTS; k++)
    if (!qvSegmentEnded(k, order, 0) && order <= qvSegments[k].endOrder) return k;
  return QV_SEGMENTS - 1;
}

// ---- Music clock and pacing -----------------------------------------------------------

// The counting clock without a module. Per call (headless runs, where the clock is called a
// fixed number of times per frame) or, on a real clock, one row per row time of the module from
// the first frame on, held while paused, so the presentation runs at its length.
static QvCounting qvCountMode = QV_COUNT_BY_BACKEND;
static bool qvCountRealTime = false;
static uint32_t qvCountRowMs = 120;
static bool qvCountRunning = false;
static uint32_t qvCountTick = 0;  // clock at the last catch-up
static uint64_t qvCountMs = 0;    // ms counted since the start order
static int32_t qvCountBase = 0;   // the start order

void qvSetCounting(QvCounting mode) { qvCountMode = mode; }

static void qvCountCatchUp() {
  uint32_t now = platPeekTickCount();
  if (qvCountRunning) qvCountMs += now - qvCountTick;
  qvCountTick = now;
}

static void qvCountRun(bool run) {
  qvCountCatchUp();
  qvCountRunning = run;
}

static void qvCountMove(int32_t order) {
  qvCountRunning = false;
  qvCountMs = 0;
  qvCountBase = order;
}

void musicClockTimer(uint32_t) {
  if (musicHandle) {
    uint32_t position = BASS_ChannelGetPosition(musicHandle);
    musicOrder = (int32_t)(position & 0xffff);
    musicRow = (int32_t)(position >> 16);
    return;
  }
  if (qvCountRealTime) {
    qvCountCatchUp();
    uint64_t rows = qvCountMs / qvCountRowMs + (uint64_t)qvCountBase * 64;
    musicOrder = rows / 64 > 40 ? 40 : (int32_t)(rows / 64);
    musicRow = (int32_t)(rows % 64);
    return;
  }
  // No module: count rows, one per call, 64 to an order.
  if (++musicRow > 63) {
    musicRow = 0;
    if (musicOrder < 40) musicOrder++;
  }
}

// On a real clock the thread sleeps until the frame is due and the loop below runs once: one
// clock read right before the frame. Headless the sleep is nothing and the loop asks the virtual
// clock (1 ms a query) exactly as often as it always has, so the frames are the same.
void qvPaceWait(uint32_t minFrame) {
  frameTime = platGetTickCount() - lastFrameTick;
  while (frameTime < minFrame) {
    platSleepUntilTick(lastFrameTick + minFrame);
    musicClockTimer(0);
    frameTime = platGetTickCount() - lastFrameTick;
  }
  lastFrameTick = platGetTickCount();
}

void qvPaceNoWait() {
  frameTime = platGetTickCount() - lastFrameTick;
  if (frameTime < 50) {
    musicClockTimer(0);
    frameTime = platGetTickCount() - lastFrameTick;
  }
  lastFrameTick = platGetTickCount();
}

// ---- Cadence: the real interval between drawn frames and the time drawing them --------------

enum : uint32_t { kCadenceKept = 256 };   // frames: over a second at any paced rate
static int64_t qvCadAt[kCadenceKept];     // us, when each frame had been presented
static uint32_t qvCadDraw[kCadenceKept];  // us drawing and presenting it
static uint32_t qvCadCount = 0;           // frames kept since the start of the pass
static int64_t qvCadLogAt = 0;            // us of the last cadence line in the log
static QvCadence qvCadSegment;            // sums of the current segment (means made on reading)

static void qvCadenceAdd(QvCadence* c, double intervalMs, double drawMs) {
  c->frames++;
  if (intervalMs >= 0) {
    c->intervals++;
    c->meanMs += intervalMs;
    if (intervalMs > c->worstMs) c->worstMs = intervalMs;
  }
  c->drawMeanMs += drawMs;
  if (drawMs > c->drawWorstMs) c->drawWorstMs = drawMs;
}

static QvCadence qvCadenceMeans(QvCadence c) {
  if (c.intervals) c.meanMs /= c.intervals;
  if (c.frames) c.drawMeanMs /= c.frames;
  return c;
}

QvCadence qvCadenceLastSecond() {
  QvCadence c = {};
  if (!qvCadCount) return c;
  int64_t newest = qvCadAt[(qvCadCount - 1) % kCadenceKept];
  uint32_t kept = qvCadCount < kCadenceKept ? qvCadCount : kCadenceKept;
  for (uint32_t k = 0; k < kept; k++) {
    uint32_t i = (qvCadCount - 1 - k) % kCadenceKept;
    if (newest - qvCadAt[i] >= 1000000) break;
    // The oldest frame kept of a pass has no interval before it.
    double interval =
        k + 1 < qvCadCount ? (double)(qvCadAt[i] - qvCadAt[(i + kCadenceKept - 1) % kCadenceKept]) / 1000 : -1;
    qvCadenceAdd(&c, interval, qvCadDraw[i] / 1000.0);
  }
  return qvCadenceMeans(c);
}

// "cadence of segment N: ..." (the whole segment) or "cadence, last second, segment N: ...".
static void qvCadenceLog(const char* what, const QvCadence& c) {
  xLog.Print(
      xFormat("cadence%s segment %d: %u frames, interval mean %.1f ms worst %.1f ms, draw mean %.2f ms worst "
              "%.2f ms",
              what, qvStats.segment + 1, c.frames, c.meanMs, c.worstMs, c.drawMeanMs, c.drawWorstMs));
}

static int64_t qvDrawnAt = 0;
void qvMarkDrawStart() { qvDrawnAt = platMicroseconds(); }

// A frame has been drawn (from drawnAt) and presented: kept, added to the segment's sums, and a
// line of the last second's cadence in the log every second.
static void qvCadenceFrame(int64_t drawnAt) {
  int64_t now = platMicroseconds();
  double interval = qvCadCount ? (double)(now - qvCadAt[(qvCadCount - 1) % kCadenceKept]) / 1000 : -1;
  qvCadAt[qvCadCount % kCadenceKept] = now;
  qvCadDraw[qvCadCount % kCadenceKept] = (uint32_t)(now - drawnAt);
  qvCadCount++;
  qvCadenceAdd(&qvCadSegment, interval, (double)(now - drawnAt) / 1000);
  if (qvCadCount == 1) qvCadLogAt = now;
  if (now - qvCadLogAt >= 1000000) {
    qvCadLogAt = now;
    qvCadenceLog(", last second,", qvCadenceLastSecond());
  }
}

// ---- Hashing the presented frames -----------------------------------------------------

uint64_t qvHashPixels(uint64_t hash, const uint32_t* pixels, int32_t n) {
  // FNV-1a over the 24 colour bits of each pixel (the top byte of the frame buffer has no meaning).
  for (int32_t i = 0; i < n; i++) hash = (hash ^ (pixels[i] & 0xffffffu)) * 0x100000001b3ull;
  return hash;
}

bool qvPresenting = false;

// ---- Observers ------------------------------------------------------------------------

static const QvObserver* qvObservers[QV_MAX_OBSERVERS];
static int32_t qvObserverCount = 0;

bool qvAddObserver(const QvObserver* observer) {
  for (int32_t i = 0; i < qvObserverCount; i++)
    if (qvObservers[i] == observer) return true;
  if (qvObserverCount == QV_MAX_OBSERVERS) return false;
  qvObservers[qvObserverCount++] = observer;
  return true;
}

void qvRemoveObserver(const QvObserver* observer) {
  for (int32_t i = 0; i < qvObserverCount; i++)
    if (qvObservers[i] == observer) {
      // Shift the later ones down so the order of the rest stays as they joined.
      for (int32_t j = i + 1; j < qvObserverCount; j++) qvObservers[j - 1] = qvObservers[j];
      qvObserverCount--;
      return;
    }
}

static void qvTellPassStart() {
  for (int32_t i = 0; i < qvObserverCount; i++)
    if (qvObservers[i]->passStart) qvObservers[i]->passStart();
}

static void qvTellPresent() {
  for (int32_t i = 0; i < qvObserverCount; i++)
    if (qvObservers[i]->present) qvObservers[i]->present();
}

static void qvTellFrame(const QvFrameEvent& event) {
  for (int32_t i = 0; i < qvObserverCount; i++)
    if (qvObservers[i]->frame) qvObservers[i]->frame(event);
}

void qvBeginPass() {
  qvPresenting = true;
  qvStats.passFrames = 0;
  qvStats.passHash = kHashStart;
  qvCadCount = 0;
  qvCadSegment = {};
  qvTellPassStart();
}

void qvHashPresentedFrame(void*) {
  if (!xVideoBuffer) return;
  const uint32_t* fb = (const uint32_t*)xVideoBuffer;
  qvStats.presented++;
  qvStats.passFrames++;
  qvStats.hash = qvHashPixels(qvStats.hash, fb, QV_BUFFER_PIXELS);
  qvStats.passHash = qvHashPixels(qvStats.passHash, fb, QV_BUFFER_PIXELS);
  qvTellPresent();
}

// ---- Segment timers -------------------------------------------------------------------

static int32_t qvStartOrder = 0;
static bool qvLoop = false;
static bool qvRestartPending = false;
static uint32_t qvMusicStartTick = 0;  // tick of the first frame of the pass

static void qvSegmentPass(int32_t k);
template <int32_t K>
static void qvSegmentTimer(uint32_t) {
  qvSegmentPass(K);
}
static const xSysTimerProc kTimers[QV_SEGMENTS] = {
    qvSegmentTimer<0>,  qvSegmentTimer<1>,  qvSegmentTimer<2>,  qvSegmentTimer<3>,  qvSegmentTimer<4>,
    qvSegmentTimer<5>,  qvSegmentTimer<6>,  qvSegmentTimer<7>,  qvSegmentTimer<8>,  qvSegmentTimer<9>,
    qvSegmentTimer<10>, qvSegmentTimer<11>, qvSegmentTimer<12>, qvSegmentTimer<13>, qvSegmentTimer<14>,
};

uint32_t qvPassTime() { return firstFrame ? 0 : platPeekTickCount() - qvMusicStartTick; }

static void qvHandOver(int32_t k) {
  const QvSegmentDef& s = qvSegments[k];
  qvTellFrame({k, qvStats.segmentFrames, qvPassTime(), true});
  if (s.handOver & QV_HAND_CLEAR_PRESENT) {
    std::memset(view, 0, QV_VIEW_PIXELS * 4);
    xVideoPresent();
  }
  if (s.handOver & QV_HAND_COPY_WORK) std::memcpy(workSprite->pixels, view, QV_VIEW_PIXELS * 4);
  xLog.Print(xFormat("segment %d -> %d: order %d row %d, %u ms, %u frames", k + 1, k + 2, musicOrder, musicRow,
                     platPeekTickCount() - qvMusicStartTick, qvStats.segmentFrames));
  qvCadenceLog(" of", qvCadenceMeans(qvCadSegment));
  qvCadSegment = {};
  xSysRemoveTimer(kTimers[k]);
  if (k + 1 < QV_SEGMENTS) xSysAddTimer(kTimers[k + 1], 0);
  if (s.nextScene) qvUseScene(s.nextScene);
  qvStats.segment = k + 1;
  qvStats.segmentFrames = 0;
}

// Puts every segment back at its start and registers the first one again (--loop).
// Resident memory in KiB (0 when /proc cannot tell), logged at the end of each pass.
static uint32_t qvResidentKiB() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  unsigned long size = 0, resident = 0;
  if (f) {
    if (std::fscanf(f, "%lu %lu", &size, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return (uint32_t)(resident * (unsigned long)sysconf(_SC_PAGESIZE) / 1024);
}

static void qvRestart(int32_t k) {
  xLog.Print(xFormat("pass %d: %u frames, hash %016llx, %u ms, resident %u KiB", qvStats.pass + 1, qvStats.passFrames,
                     (unsigned long long)qvStats.passHash, qvPassTime(), qvResidentKiB()));
  qvStats.pass++;
  BASS_Pause();
  if (musicHandle) BASS_ChannelSetPosition(musicHandle, (uint32_t)qvStartOrder);
  qvCountMove(qvStartOrder);
  musicOrder = qvStartOrder;
  musicRow = 0;
  for (const QvSegmentDef& s : qvSegments) s.reset();
  qvResetSharedState();
  xMathSeed(xSysRandSeed);
  std::memset(xVideoBuffer, 0, QV_BUFFER_PIXELS * 4);
  firstFrame = 1;
  xSysRemoveTimer(kTimers[k]);
  int32_t first = qvSegmentForOrder(qvStartOrder);
  xSysAddTimer(kTimers[first], 0);
  if (qvSegments[first].scene) qvUseScene(qvSegments[first].scene);
  qvStats.segment = first;
  qvStats.segmentFrames = 0;
}

bool qvPaused = false;
static uint32_t qvPausedPresent = 0;

void qvSetPaused(bool paused) {
  if (paused == qvPaused) return;
  qvPaused = paused;
  bool started = !firstFrame;
  if (started && !musicHandle) qvCountRun(!paused);
  started = started && musicHandle;
  if (paused) {
    if (started) BASS_Pause();
    qvPausedPresent = platGetTickCount();
    return;
  }
  // The pause does not count as frame time: the next frame measures from now.
  lastFrameTick = platGetTickCount();
  if (started) BASS_Start();
}

static void qvSegmentPass(int32_t k) {
  const QvSegmentDef& s = qvSegments[k];
  if (qvPaused) {
    platSleepUntilTick(qvPausedPresent + 50);
    if (platGetTickCount() - qvPausedPresent >= 50) {
      qvPausedPresent = platGetTickCount();
      xVideoPresent();
    }
    return;
  }
  if (qvSegmentEnded(k, musicOrder, musicRow)) {
    qvHandOver(k);
    return;
  }
  // A pass starts one loop pass late, so that what the start-up (or the end of the last pass)
  // left in the message queue, such as a repaint, is handled before the pass's first frame.
  static bool armed = false;
  if (firstFrame && !armed) {
    armed = true;
    return;
  }
  armed = false;
  // The first frame of a pass is drawn at once, as if the last one were 51 ms ago; the pass's
  // counts start with it.
  if (firstFrame) {
    qvBeginPass();
    lastFrameTick = platGetTickCount() - 51;
  }
  if (s.pacing == QV_PACE_WAIT) qvPaceWait(s.minFrame);
  else if (s.pacing == QV_PACE_NOWAIT) qvPaceNoWait();
  qvMarkDrawStart();
  s.frame();
  xVideoPresent();
  qvCadenceFrame(qvDrawnAt);
  qvStats.segmentFrames++;
  if (firstFrame) {
    // The music was held since the start-up: it begins with the first visible frame.
    if (musicHandle) BASS_Start();
    else qvCountRun(true);
    firstFrame = 0;
    qvMusicStartTick = platPeekTickCount();
  }
  qvTellFrame({k, qvStats.segmentFrames, qvPassTime(), false});
  if (qvRestartPending) {
    qvRestartPending = false;
    qvRestart(k);
  }
}

void qvTimelineSkip(int32_t step) {
  int32_t from = qvStats.segment, k = from + step;
  if (firstFrame || k < 0 || k >= QV_SEGMENTS) return;
  // A segment starts where the one before it ends.
  int32_t order = k ? qvSegments[k - 1].endOrder : 0, row = k ? qvSegments[k - 1].endRow : 0;
  xLog.Print(xFormat("skip: segment %d -> %d: order %d row %d", from + 1, k + 1, order, row));
  if (musicHandle) BASS_ChannelSetPosition(musicHandle, (uint32_t)order | (uint32_t)row << 16);
  qvCountMove(order);
  qvCountMs = (uint64_t)row * qvCountRowMs;
  qvCountTick = platPeekTickCount();
  qvCountRunning = !qvPaused;
  musicOrder = order;
  musicRow = row;
  for (const QvSegmentDef& s : qvSegments) s.reset();
  qvResetSharedState();
  xMathSeed(xSysRandSeed);
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  qvCadSegment = {};
  xSysRemoveTimer(kTimers[from]);
  xSysAddTimer(kTimers[k], 0);
  if (qvSegments[k].scene) qvUseScene(qvSegments[k].scene);
  qvStats.segment = k;
  qvStats.segmentFrames = 0;
}

void qvPresentationEnd() {
  if (qvLoop) qvRestartPending = true;
  else xSysQuit();
}

// The end of the message loop (Escape, close, the last segment): the cadence of the segment then playing.
static void qvTimelineRunEvent(void* record) {
  if (*(const uint32_t*)record == 1 && qvCadSegment.frames) qvCadenceLog(" of", qvCadenceMeans(qvCadSegment));
}

void qvTimelineStart(int32_t startOrder, bool loop) {
  qvStartOrder = startOrder;
  qvLoop = loop;
  qvCountRealTime = qvCountMode == QV_COUNT_REAL_TIME ||
                    (qvCountMode == QV_COUNT_BY_BACKEND && platBackend() != PLAT_BACKEND_HEADLESS);
  if (!musicHandle && qvCountRealTime) {
    qvCountRowMs = qvMusicRowMs(QV_MUSIC_FILE);
    xLog.Print(xFormat("music clock: no module, a row every %u ms", qvCountRowMs));
  }
  qvCountMove(startOrder);
  musicOrder = startOrder;
  musicRow = 0;
  int32_t first = qvSegmentForOrder(startOrder);
  xLog.Print(xFormat("timeline: segment %d at order %d", first + 1, startOrder));
  qvStats.segment = first;
  qvStats.segmentFrames = 0;
  if (qvSegments[first].scene) qvUseScene(qvSegments[first].scene);
  xSysAddResponder(qvTimelineRunEvent, XSYS_RUN, 1);
  xSysAddTimer(musicClockTimer, 0);
  xSysAddTimer(kTimers[first], 0);
}
