// The music clock and the chain of fifteen timeline segments: end conditions, pacing,
// hand-overs, and the counts and hashes of what was presented.
#pragma once
#include <cstdint>

enum : int32_t { QV_SEGMENTS = 15 };

// How a segment paces its frames.
enum QvPacing : int32_t {
  QV_PACE_WAIT,    // busy-waits (calling the music clock) until the minimum frame time has passed
  QV_PACE_NOWAIT,  // below 50 ms calls the clock once, measures again and goes on
  QV_PACE_OWN,     // the segment's frame paces itself (the animation segment)
};

// Hand-over actions, done in this order before the next segment is registered.
enum : uint32_t {
  QV_HAND_CLEAR_PRESENT = 1,  // clear the view and present it once more
  QV_HAND_COPY_WORK = 2,      // copy the view into workSprite (the frozen last frame)
};

struct QvSegmentDef {
  void (*frame)();  // draws one frame after the pacing; the timeline presents it
  void (*reset)();  // puts the segment's own state at its initial values
  QvPacing pacing;
  uint32_t minFrame;  // ms (QV_PACE_WAIT and QV_PACE_OWN)
  // Ends when (order >= endOrder and row >= endRow) or (order == altOrder and row >= altRow).
  int32_t endOrder, endRow;
  int32_t altOrder, altRow;  // altOrder -1: no second condition
  uint32_t handOver;         // QV_HAND_*
  const char* nextScene;     // made current at the hand-over, null when the scene stays
  const char* scene;         // the scene this segment renders, null for none
};
extern const QvSegmentDef qvSegments[QV_SEGMENTS];

// True once the music position (order, row) ends segment k (0-based).
bool qvSegmentEnded(int32_t k, int32_t order, int32_t row);
// The segment that plays at the start of an order: the first whose end has not come.
int32_t qvSegmentForOrder(int32_t order);

void musicClockTimer(uint32_t count);

// How the clock counts rows without a module: by the backend (headless per call, sdl in real
// time), one row per call (64 calls an order), or one row per row time of the module.
enum QvCounting : int32_t { QV_COUNT_BY_BACKEND, QV_COUNT_PER_CALL, QV_COUNT_REAL_TIME };
// Before qvTimelineStart, which settles the mode and reads the module's row time.
void qvSetCounting(QvCounting mode);

// Pacing of the current frame: frameTime becomes the ms since the last frame, after waiting
// up to minFrame; lastFrameTick becomes now.
void qvPaceWait(uint32_t minFrame);
void qvPaceNoWait();

// Registers the music clock and the segment that owns startOrder (after the music is loaded).
void qvTimelineStart(int32_t startOrder, bool loop);
// Moves the show by step segments (viewer keys): the music to the position the target segment
// starts at, the segments put back at their start as --start-order starts them. Nothing before
// the first frame or past the first or last segment.
void qvTimelineSkip(int32_t step);
// Called by the last segment at the end of the music: quits, or with --loop starts the
// presentation again after this frame has been presented.
void qvPresentationEnd();

// What the frame observers (frame dumps, captures) are told: after every frame a segment
// presents, and at each hand-over before the next segment draws.
struct QvFrameEvent {
  int32_t segment;  // 0-based
  uint32_t frame;   // frames the segment has presented, this one included
  uint32_t passMs;  // ms since the first frame of the pass
  bool handOver;    // the segment has just ended; its last frame is the one presented before
};
// One watcher of the presentation; any callback may be null.
struct QvObserver {
  void (*passStart)();                       // a pass starts (before its first frame)
  void (*present)();                         // a presented frame has been counted
  void (*frame)(const QvFrameEvent& event);  // a segment's frame or hand-over
};
enum : int32_t { QV_MAX_OBSERVERS = 8 };
// Observers are called in the order they joined; joining twice keeps the first place. False
// when the list is full. The observer must outlive its membership (usually a static).
bool qvAddObserver(const QvObserver* observer);
void qvRemoveObserver(const QvObserver* observer);
// The cadence of drawn frames: the real interval between presents and the time spent drawing
// and presenting each, in ms. intervals counts the frames that had one before them in the pass.
struct QvCadence {
  uint32_t frames, intervals;
  double meanMs, worstMs;          // interval
  double drawMeanMs, drawWorstMs;  // drawing and presenting
};
// Over the frames presented in the second up to the newest (zeros before the first).
QvCadence qvCadenceLastSecond();
// Where the drawing of a frame starts: the timeline marks it after the pacing, a segment that
// paces itself again after its own wait.
void qvMarkDrawStart();

// Milliseconds since the first frame of the pass (0 before it).
uint32_t qvPassTime();

// Pause: the music and its position hold, no segment draws, the last frame is presented
// again every 50 ms so the window keeps its picture; resuming continues without a jump.
extern bool qvPaused;
void qvSetPaused(bool paused);

// Counters of the run, for the log, the tests and the summary line.
struct QvRunStats {
  int32_t segment;         // 0-based index of the segment now playing
  uint32_t segmentFrames;  // frames drawn by it so far
  uint32_t presented;      // every presented frame of the run (start-up included)
  uint64_t hash;           // of the pixels of every presented frame (top bytes masked)
  int32_t pass;            // presentations completed (--loop)
  uint32_t passFrames;     // frames presented in the current pass
  uint64_t passHash;       // hash of them
};
extern QvRunStats qvStats;
// Starts the counts of a pass (just before its first frame) and tells the observers.
void qvBeginPass();
// Set from the start of the first pass on: presents belong to the presentation, not the start-up.
extern bool qvPresenting;
// Responder for the present-begin event: counts and hashes the frame buffer.
void qvHashPresentedFrame(void* record);
// The hash of a pass, continued over one frame buffer of n pixels.
uint64_t qvHashPixels(uint64_t hash, const uint32_t* pixels, int32_t n);
