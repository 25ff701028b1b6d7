// Cost of presenting the 320x240 32-bit frame buffer, against a plain memcpy of the same
// 307200 bytes measured in the same run. Counter x_memcpy = time per frame / memcpy time.
// BM_PresentSdl is the whole present through the sdl backend (conversion, upload, scaling,
// swap) without vsync: on the display in DISPLAY when there is one, else on SDL's dummy
// display (1024x768, software renderer).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/plat_headless.h"
#include "platform/plat_present.h"
#include "system/xsystem.h"
#include "video/xvideo.h"

static double benchMemcpyNs() {
  static double ns = 0;
  if (ns > 0) return ns;
  std::vector<uint8_t> a(320 * 240 * 4, 1), b(320 * 240 * 4);
  auto t0 = std::chrono::steady_clock::now();
  const int n = 2000;
  for (int i = 0; i < n; i++) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() / n;
  return ns;
}

static void benchFill() {
  for (int32_t i = 0; i < 320 * 240; i++) ((uint32_t*)xVideoBuffer)[i] = (uint32_t)(i * 2654435761u) & 0xffffff;
}

// Windowed on a desktop of the given depth: the shadow surface has the desktop's format.
static void benchStart(int32_t desktopBits) {
  PlatHeadlessConfig c;
  platHeadlessDefaults(&c);
  c.desktopBits = desktopBits;
  char err[200];
  if (!platHeadlessConfigure(&c, err, sizeof err) || !platInit(PLAT_BACKEND_HEADLESS, err, sizeof err)) std::abort();
  xSysInit("bench", nullptr, nullptr);
  xVideoInit();
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  benchFill();
}

static void benchStop() {
  xSysDone();
  xVideoResetForTests();
  platShutdown();
}

static void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> a(320 * 240 * 4, 1), b(320 * 240 * 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)a.size());
}

// The conversion step alone: frame buffer into the locked shadow surface.
static void BM_Convert(benchmark::State& state) {
  benchStart((int32_t)state.range(0));
  DDSurfaceDesc d;
  wlSurfLock(lpDDS_Shadow, nullptr, &d, DDLOCK_WAIT);
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    Hermes_ConverterCopy(xVideoConverter, xVideoBuffer, 0, 0, 320, 240, xVideoBufferPitch, d.surface, 0, 0, 320, 240,
                         d.pitch);
    benchmark::ClobberMemory();
  }
  double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() /
              (double)state.iterations();
  wlSurfUnlock(lpDDS_Shadow, nullptr);
  state.counters["x_memcpy"] = ns / benchMemcpyNs();
  state.SetBytesProcessed(state.iterations() * 320 * 240 * 4);
  benchStop();
}

// Times xVideoPresent over the benchmark's iterations, as a multiple of a memcpy of the frame.
static void benchTimePresents(benchmark::State& state) {
  auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) xVideoPresent();
  double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() /
              (double)state.iterations();
  state.counters["x_memcpy"] = ns / benchMemcpyNs();
}

// The whole presentation: events, lock, conversion, unlock, blit into the window.
static void BM_Present(benchmark::State& state) {
  benchStart((int32_t)state.range(0));
  benchTimePresents(state);
  benchStop();
}

// The sdl backend: args full screen (0 window at scale 3, 1 full screen at fit) and filter.
static void BM_PresentSdl(benchmark::State& state) {
  const char* x = std::getenv("DISPLAY");
  if (!(x && *x)) setenv("SDL_VIDEODRIVER", "dummy", 0);
  PlatPresentation p = {PLAT_SCALING_FIT, (PlatFilter)state.range(1), false, 0};
  platSetPresentation(&p);
  platSetWindowScale(3);
  char err[200];
  if (!platInit(PLAT_BACKEND_SDL, err, sizeof err)) {
    state.SkipWithError(err);
    return;
  }
  xSysInit("bench", nullptr, nullptr);
  xVideoInit();
  xVideoSetMode(320, 240, (int32_t)state.range(0), 32, 0xff0000, 0xff00, 0xff);
  benchFill();
  for (int32_t i = 0; i < 3; i++) xVideoPresent();  // textures and targets made
  benchTimePresents(state);
  benchStop();
  platPresentationDefaults(&p);
  platSetPresentation(&p);
  platSetWindowScale(0);
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Convert)->Arg(32)->Arg(16)->Arg(24)->ArgName("screen_bits");
BENCHMARK(BM_Present)->Arg(32)->Arg(16)->Arg(24)->ArgName("screen_bits");
BENCHMARK(BM_PresentSdl)
    ->ArgsProduct({{0, 1}, {PLAT_FILTER_NEAREST, PLAT_FILTER_SHARP, PLAT_FILTER_LINEAR}})
    ->ArgNames({"full", "filter"})
    ->Unit(benchmark::kMicrosecond);
