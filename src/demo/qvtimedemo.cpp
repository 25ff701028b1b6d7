// The timedemo: the program started headless, then every segment drawn a fixed number of
// frames at 20 ms of virtual time each (the music moves with it), each frame's drawing timed
// on the real clock and compared with a memcpy of the view in the same run.
#include "demo/qvtimedemo.h"

#include <algorithm>
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
  double meanMs, p99Ms, fps, ratio;
};

// Mean time of a memcpy of the 64,000-pixel view, in ms.
double qvMemcpyMs() {
  std::vector<uint32_t> a(QV_VIEW_PIXELS, 0x123456), b(QV_VIEW_PIXELS);
  const int32_t n = 2000;
  Clock::time_point t = Clock::now();
  for (int32_t i = 0; i < n; i++) {
    a[(size_t)i % QV_VIEW_PIXELS] = (uint32_t)i;
    std::memcpy(b.data(), a.data(), QV_VIEW_PIXELS * 4);
    asm volatile("" : : "r"(b.data()) : "memory");
  }
  return qvMsSince(t) / n;
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

SegmentResult qvTimeSegment(int32_t k, int32_t frames, double memcpyMs) {
  const QvSegmentDef& s = qvSegments[k];
  s.reset();
  if (s.scene) qvUseScene(s.scene);
  uint32_t start = qvSegmentStart(k);
  musicOrder = (int32_t)(start & 0xffff), musicRow = (int32_t)(start >> 16);
  if (musicHandle) {
    BASS_ChannelSetPosition(musicHandle, start);
    BASS_Start();
  }
  std::vector<double> ms((size_t)frames);
  for (int32_t i = 0; i < frames; i++) {
    platHeadlessAdvance(20);
    musicClockTimer(0);
    frameTime = 20;
    lastFrameTick = platPeekTickCount() - 20;
    Clock::time_point t = Clock::now();
    s.frame();
    ms[(size_t)i] = qvMsSince(t);
    xVideoPresent();
  }
  if (musicHandle) BASS_Pause();
  double sum = 0;
  for (double v : ms) sum += v;
  std::sort(ms.begin(), ms.end());
  double mean = sum / frames, p99 = ms[(size_t)((frames - 1) * 99 / 100)];
  return {k + 1, frames, mean, p99, mean > 0 ? 1000.0 / mean : 0, mean / memcpyMs};
}

void qvWriteJson(const char* path, const std::vector<SegmentResult>& r, int32_t frames, double startupMs,
                 double memcpyMs, const SegmentResult& worst, double median) {
  FILE* f = std::fopen(path, "w");
  if (!f) {
    std::fprintf(stderr, "quorvane: cannot write %s\n", path);
    return;
  }
  std::fprintf(f, "{\n  \"framesPerSegment\": %d,\n  \"frameMs\": 20,\n  \"startupMs\": %.3f,\n", frames, startupMs);
  std::fprintf(f, "  \"memcpyViewMs\": %.6f,\n  \"sprites\": \"%s\",\n  \"segments\": [\n", memcpyMs,
               x2dUseMMX ? "packed" : "plain");
  for (size_t i = 0; i < r.size(); i++)
    std::fprintf(f,
                 "    {\"segment\": %d, \"frames\": %d, \"meanMs\": %.4f, \"p99Ms\": %.4f, \"fps\": %.1f, "
                 "\"xMemcpy\": %.2f}%s\n",
                 r[i].segment, r[i].frames, r[i].meanMs, r[i].p99Ms, r[i].fps, r[i].ratio, i + 1 < r.size() ? "," : "");
  std::fprintf(f, "  ],\n  \"worst\": {\"segment\": %d, \"xMemcpy\": %.2f},\n  \"medianXMemcpy\": %.2f\n}\n",
               worst.segment, worst.ratio, median);
  std::fclose(f);
}

}  // namespace

int32_t qvTimedemo(qvOptions& o, std::chrono::steady_clock::time_point processStart) {
  // The plain sprite class is chosen by the processor probe, which reads this.
  if (o.scalar) setenv("QV_SCALAR", "1", 1);
  o.headless = true;
  o.displayGiven = true;
  o.fullScreen = 0;
  if (int32_t r = qvStartup(o)) return r;
  // The start-up ends with the first frame of the presentation.
  qvSegments[0].frame();
  xVideoPresent();
  double startupMs = qvMsSince(processStart);
  double memcpyMs = qvMemcpyMs();
  int32_t frames = o.frames ? o.frames : 300;
  std::vector<SegmentResult> results;
  for (int32_t k = 0; k < QV_SEGMENTS; k++) results.push_back(qvTimeSegment(k, frames, memcpyMs));
  std::printf(
      "quorvane timedemo: %d frames per segment at 20 ms, %s sprites, start-up %.0f ms, memcpy of the view %.2f us\n",
      frames, x2dUseMMX ? "packed" : "plain", startupMs, memcpyMs * 1000);
  std::printf("segment  frames   mean ms    p99 ms       fps  x memcpy\n");
  for (const SegmentResult& r : results)
    std::printf("%7d  %6d  %8.3f  %8.3f  %8.1f  %8.1f\n", r.segment, r.frames, r.meanMs, r.p99Ms, r.fps, r.ratio);
  std::vector<SegmentResult> byRatio = results;
  std::sort(byRatio.begin(), byRatio.end(),
            [](const SegmentResult& a, const SegmentResult& b) { return a.ratio < b.ratio; });
  const SegmentResult& worst = byRatio.back();
  double median = byRatio[byRatio.size() / 2].ratio;
  std::printf("worst: segment %d at %.1fx memcpy; median %.1fx memcpy\n", worst.segment, worst.ratio, median);
  if (o.timedemoJson) qvWriteJson(o.timedemoJson, results, frames, startupMs, memcpyMs, worst, median);
  BASS_Free();
  return 0;
}
