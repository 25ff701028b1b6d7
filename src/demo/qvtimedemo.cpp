// The timedemo: the program started headless, then every segment drawn a fixed number of
// frames at 20 ms of virtual time each (the music moves with it), each frame's drawing timed
// on the real clock. The ratio is the median frame over the median cache-warm memcpy of the
// view timed beside that segment's frames: both medians, so one interrupted frame or copy does
// not move it.
#include "demo/qvtimedemo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo/qvbass.h"
#include "demo/qvdemo.h"
#include "demo/qvoptions.h"
#include "demo/qvstartup.h"
#include "demo/qvtimeline.h"
#include "platform/plat_headless.h"
#include "video/xvideo.h"
#include "x2d/x2d.h"

namespace {

using Clock = std::chrono::steady_clock;

double qvMsSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct SegmentResult {
  int32_t segment;
  int32_t frames;
  double meanMs, medianMs, p99Ms, fps;
  double memcpyMs;  // the unit beside this segment's frames
  double ratio;     // median frame / memcpyMs
};

// The unit of the table: one memcpy of the 64,000-pixel view (256,000 bytes), in ms.
struct MemcpyUnit {
  double warmMs;  // median of many copies between the same two buffers (in the cache)
  double coldMs;  // median of copies that each touch buffers not used for a long while
};

double qvMedian(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// One sample: a batch of copies between the same two views (after one untimed copy that brings
// them into the cache), in ms per copy. A batch lasts tens of us, far above the clock's resolution.
double qvWarmCopyMs(std::vector<uint32_t>& a, std::vector<uint32_t>& b, int32_t batch) {
  std::memcpy(b.data(), a.data(), a.size() * 4);
  Clock::time_point t = Clock::now();
  for (int32_t k = 0; k < batch; k++) {
    a[(size_t)k] = (uint32_t)k;
    std::memcpy(b.data(), a.data(), a.size() * 4);
    asm volatile("" : : "r"(b.data()) : "memory");
  }
  return qvMsSince(t) / batch;
}

// Medians of many samples: they ignore the samples an interruption or a frequency step spoiled.
MemcpyUnit qvMeasureMemcpy() {
  const size_t view = QV_VIEW_PIXELS;
  const int32_t samples = 301;
  std::vector<uint32_t> a(view, 0x123456), b(view);
  std::vector<double> warm, cold;
  for (int32_t i = 0; i < samples; i++) warm.push_back(qvWarmCopyMs(a, b, 8));
  // Cold: 64 MiB of views (beyond any last-level cache), copied in turn from one half to the other.
  const size_t views = 256;
  std::vector<uint32_t> big(views * view, 0x654321);
  for (int32_t i = 0; i < samples; i++) {
    size_t from = (size_t)(i * 2) % views, to = (size_t)(i * 2 + 1) % views;
    Clock::time_point t = Clock::now();
    std::memcpy(big.data() + to * view, big.data() + from * view, view * 4);
    asm volatile("" : : "r"(big.data()) : "memory");
    cold.push_back(qvMsSince(t));
  }
  return {qvMedian(warm), qvMedian(cold)};
}
// Where segment k starts: the first position at which the one before it has ended.
uint32_t qvSegmentStart(int32_t k) {
  if (k == 0) return 0;
  const QvSegmentDef& p = qvSegments[k - 1];
  int32_t order = p.endOrder, row = p.endRow;
  if (p.altOrder >= 0 && (p.altOrder < order || (p.altOrder == order && p.altRow < row)))
    order = p.altOrder, row = p.altRow;
  return (uint32_t)order | (uint32_t)row << 16;
}

// The ratio's unit is measured beside the frames (a sample after each), so that a machine
// that slows down or speeds up while the timedemo runs (other programs, clock steps) moves both.
SegmentResult qvTimeSegment(int32_t k, int32_t frames) {
  static std::vector<uint32_t> a(QV_VIEW_PIXELS, 0x123456), b(QV_VIEW_PIXELS);
  // A few frames first, untimed: the segment's tables and textures come into the cache.
  const int32_t warmUp = frames < 10 ? frames : 10;
  const QvSegmentDef& s = qvSegments[k];
  s.reset();
  if (s.scene) qvUseScene(s.scene);
  uint32_t start = qvSegmentStart(k);
  musicOrder = (int32_t)(start & 0xffff), musicRow = (int32_t)(start >> 16);
  if (musicHandle) {
    BASS_ChannelSetPosition(musicHandle, start);
    BASS_Start();
  }
  std::vector<double> ms, unit;
  for (int32_t i = 0; i < warmUp + frames; i++) {
    platHeadlessAdvance(20);
    musicClockTimer(0);
    frameTime = 20;
    lastFrameTick = platPeekTickCount() - 20;
    Clock::time_point t = Clock::now();
    s.frame();
    if (i >= warmUp) ms.push_back(qvMsSince(t));
    xVideoPresent();
    if (i >= warmUp) unit.push_back(qvWarmCopyMs(a, b, 4));
  }
  if (musicHandle) BASS_Pause();
  double sum = 0;
  for (double v : ms) sum += v;
  std::sort(ms.begin(), ms.end());
  double mean = sum / frames, median = ms[(size_t)frames / 2], p99 = ms[(size_t)((frames - 1) * 99 / 100)];
  double memcpyMs = qvMedian(unit);
  return {k + 1, frames, mean, median, p99, mean > 0 ? 1000.0 / mean : 0, memcpyMs, median / memcpyMs};
}

// False, with a message, when the file could not be written whole.
bool qvWriteJson(const char* path, const std::vector<SegmentResult>& r, int32_t frames, double startupMs,
                 const MemcpyUnit& unit, const SegmentResult& worst, double median) {
  FILE* f = std::fopen(path, "w");
  if (!f) {
    std::fprintf(stderr, "quorvane: cannot write %s: %s\n", path, std::strerror(errno));
    return false;
  }
  std::fprintf(f, "{\n  \"framesPerSegment\": %d,\n  \"frameMs\": 20,\n  \"startupMs\": %.3f,\n", frames, startupMs);
  std::fprintf(f, "  \"memcpyViewMs\": %.6f,\n  \"memcpyViewColdMs\": %.6f,\n", unit.warmMs, unit.coldMs);
  std::fprintf(f, "  \"sprites\": \"%s\",\n  \"segments\": [\n", x2dUseMMX ? "packed" : "plain");
  for (size_t i = 0; i < r.size(); i++)
    std::fprintf(f,
                 "    {\"segment\": %d, \"frames\": %d, \"meanMs\": %.4f, \"medianMs\": %.4f, \"p99Ms\": %.4f, "
                 "\"fps\": %.1f, \"memcpyMs\": %.6f, \"xMemcpy\": %.2f}%s\n",
                 r[i].segment, r[i].frames, r[i].meanMs, r[i].medianMs, r[i].p99Ms, r[i].fps, r[i].memcpyMs, r[i].ratio,
                 i + 1 < r.size() ? "," : "");
  std::fprintf(f, "  ],\n  \"worst\": {\"segment\": %d, \"xMemcpy\": %.2f, \"medianMs\": %.4f},\n", worst.segment,
               worst.ratio, worst.medianMs);
  std::fprintf(f, "  \"medianXMemcpy\": %.2f\n}\n", median);
  bool ok = !std::ferror(f);
  if (std::fclose(f) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "quorvane: cannot write %s: %s\n", path, std::strerror(errno ? errno : EIO));
  return ok;
}

}  // namespace

int32_t qvTimedemo(qvOptions& o, std::chrono::steady_clock::time_point processStart) {
  // The plain sprite class is chosen by the processor probe, which asks the platform.
  if (o.scalar) platForceScalar(true);
  o.headless = true;
  o.displayGiven = true;
  o.fullScreen = 0;
  if (int32_t r = qvStartup(o)) return r;
  // The start-up ends with the first frame of the presentation.
  qvSegments[0].frame();
  xVideoPresent();
  double startupMs = qvMsSince(processStart);
  MemcpyUnit unit = qvMeasureMemcpy();
  int32_t frames = o.frames ? o.frames : 300;
  std::vector<SegmentResult> results;
  for (int32_t k = 0; k < QV_SEGMENTS; k++) results.push_back(qvTimeSegment(k, frames));
  std::printf("quorvane timedemo: %d frames per segment at 20 ms, %s sprites, start-up %.0f ms\n", frames,
              x2dUseMMX ? "packed" : "plain", startupMs);
  std::printf("unit: a memcpy of the view (250 KiB) takes %.4f ms in the cache, %.4f ms from memory (medians)\n",
              unit.warmMs, unit.coldMs);
  // x memcpy: the median frame over the memcpy timed beside the segment's frames (that column).
  std::printf("segment  frames   mean ms  median ms    p99 ms       fps  memcpy ms  x memcpy\n");
  for (const SegmentResult& r : results)
    std::printf("%7d  %6d  %8.3f  %9.3f  %8.3f  %8.1f  %9.4f  %8.1f\n", r.segment, r.frames, r.meanMs, r.medianMs,
                r.p99Ms, r.fps, r.memcpyMs, r.ratio);
  std::vector<SegmentResult> byRatio = results;
  std::sort(byRatio.begin(), byRatio.end(),
            [](const SegmentResult& a, const SegmentResult& b) { return a.ratio < b.ratio; });
  const SegmentResult& worst = byRatio.back();
  const SegmentResult& middle = byRatio[byRatio.size() / 2];
  double median = middle.ratio;
  std::printf("worst: segment %d at %.1fx memcpy (%.3f ms); median %.1fx memcpy (segment %d, %.3f ms)\n", worst.segment,
              worst.ratio, worst.medianMs, median, middle.segment, middle.medianMs);
  bool written = !o.timedemoJson || qvWriteJson(o.timedemoJson, results, frames, startupMs, unit, worst, median);
  BASS_Free();
  return written ? 0 : 1;
}
