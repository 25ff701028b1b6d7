// Each segment's frame (drawing only: no pacing, no present) against a memcpy of the
// 64,000-pixel view in the same run. The program is started headless once, without music;
// every frame is drawn with a frame time of 20 ms. Read the ratio column ("x_memcpy").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "demo/qvdemo.h"
#include "demo/qvoptions.h"
#include "demo/qvstartup.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"

namespace {

double memcpyNs = 0;

// The program as the start-up leaves it, run from the build folder (where the assets are).
void startOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  const char* dir = std::getenv("QV_BINARY_DIR");
  if (chdir(dir ? dir : QV_BINARY_DIR_DEFAULT) != 0) std::abort();
  const char* argv[] = {"quorvane", "--headless", "--windowed", "--no-music"};
  qvOptions o;
  if (qvParseOptions(4, (char**)argv, &o) != 0 || qvStartup(o) != 0) std::abort();
}

void BM_ViewMemcpy(benchmark::State& state) {
  std::vector<uint32_t> a(QV_VIEW_PIXELS, 1), b(QV_VIEW_PIXELS);
  auto t0 = std::chrono::steady_clock::now();
  int64_t n = 0;
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), QV_VIEW_PIXELS * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
    n++;
  }
  memcpyNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() / (double)n;
}
BENCHMARK(BM_ViewMemcpy);

void BM_Segment(benchmark::State& state) {
  startOnce();
  const int32_t k = (int32_t)state.range(0);
  const QvSegmentDef& s = qvSegments[k];
  s.reset();
  if (s.scene) qvUseScene(s.scene);
  // A music position inside the segment, so order-driven steps (fades, credits, the
  // animation) run; the finale, which never ends, before its fade-out and quit.
  musicOrder = k == 0 ? 0 : k == QV_SEGMENTS - 1 ? 24 : s.endOrder - 1;
  musicRow = 16;
  frameTime = 20;
  auto t0 = std::chrono::steady_clock::now();
  int64_t n = 0;
  for (auto _ : state) {
    s.frame();
    benchmark::ClobberMemory();
    n++;
  }
  double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() / (double)n;
  if (memcpyNs > 0) state.counters["x_memcpy"] = ns / memcpyNs;
}
BENCHMARK(BM_Segment)->DenseRange(0, QV_SEGMENTS - 1)->Unit(benchmark::kMicrosecond);

}  // namespace
