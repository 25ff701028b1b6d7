// Sprite operations of the plain and the packed class on a 320x200 view, both timed in
// the same iteration so that "speedup" (plain time over packed time) compares like with
// like; and each fade against a memcpy of the same 64,000 pixels.
// Argument: sprite size 0 = 64x64, 1 = 128x96, 2 = 320x200 (Fill and Clear only).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "x2d/x2d.h"
#include "x2d/x2dkernels.h"
#include "x2d/x2dspr.h"

namespace {

const int32_t sizes[3][2] = {{64, 64}, {128, 96}, {320, 200}};

struct Scene {
  std::vector<uint32_t> fb = std::vector<uint32_t>(320 * 240);
  uint32_t* view = fb.data() + 6400;  // line 20, as the parts draw
  std::vector<uint32_t> pristine = std::vector<uint32_t>(320 * 240);
  x2dSprite* plain[3] = {};
  x2dSprite* packed[3] = {};
};

// The same random content for both classes: mixed alpha, a key colour, a layer.
void fillSprite(x2dSprite* s, uint32_t seed) {
  std::mt19937 rng(seed);
  const int32_t n = s->width * s->height;
  s->alphaLayer = static_cast<uint8_t*>(std::malloc(n));
  for (int32_t i = 0; i < n; i++) {
    const uint32_t r = rng();
    s->pixels[i] = r % 4 == 0 ? (r & 0xFFFFFF) : r % 4 == 1 ? (r | 0xFF000000u) : r;
    s->alphaLayer[i] = static_cast<uint8_t>(rng());
  }
  s->color = s->pixels[7];
}

Scene& scene() {
  static Scene* sc = [] {
    auto* s = new Scene;
    x2dInit(320, 240);
    x2dSetClipWindow(0, 0, 320, 200);
    for (int i = 0; i < 3; i++) {
      x2dUseMMX = 0;
      s->plain[i] = x2dSpriteCreate(sizes[i][0], sizes[i][1]);
      x2dUseMMX = 1;
      s->packed[i] = x2dSpriteCreate(sizes[i][0], sizes[i][1]);
      fillSprite(s->plain[i], 5 + i);
      fillSprite(s->packed[i], 5 + i);
    }
    std::mt19937 rng(11);
    for (auto& p : s->pristine) p = rng();
    x2dInstallKernels(false);
    return s;
  }();
  return *sc;
}

// Thread CPU time, so that other processes on the machine do not count.
double nowUs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

template <class F>
double timeIt(F f, int reps) {
  const double t0 = nowUs();
  for (int i = 0; i < reps; i++) f();
  return (nowUs() - t0) / reps;
}

// fn(sprite, size, view) runs one operation. The view is restored before each batch of
// four calls so that repeated adds and blends do not drift towards saturated colours.
// Fill and Clear work on copies of the sprites so that the drawn ones keep their content.
template <class Op>
void compare(benchmark::State& state, Op fn) {
  Scene& sc = scene();
  const int32_t i = static_cast<int32_t>(state.range(0));
  x2dSprite* a = sc.plain[i];
  x2dSprite* b = sc.packed[i];
  const int32_t n = a->width * a->height;
  std::vector<uint32_t> keepA(a->pixels, a->pixels + n), keepB(b->pixels, b->pixels + n);
  double ta = 0, tb = 0;
  for (auto _ : state) {
    sc.fb = sc.pristine;
    ta += timeIt([&] { fn(a, sc.view); }, 4);
    sc.fb = sc.pristine;
    tb += timeIt([&] { fn(b, sc.view); }, 4);
    benchmark::DoNotOptimize(sc.fb.data());
    benchmark::ClobberMemory();
  }
  std::memcpy(a->pixels, keepA.data(), n * 4);
  std::memcpy(b->pixels, keepB.data(), n * 4);
  const double iters = static_cast<double>(state.iterations());
  state.counters["plain_us"] = ta / iters;
  state.counters["simd_us"] = tb / iters;
  state.counters["speedup"] = ta / tb;
}

#define X2D_COMPARE(name, body)                 \
  void BM_##name(benchmark::State& st) {        \
    compare(st, [](x2dSprite* s, uint32_t* v) { \
      (void)v;                                  \
      body;                                     \
    });                                         \
  }                                             \
  BENCHMARK(BM_##name)

// Drawn sprites lie wholly inside the view (x 100, y 50) unless the name says Clipped
// (crossing the left and bottom edges); scaled ones use 1.37 at (60, 20), clipped on the right.
X2D_COMPARE(Fill, s->Fill(0x00336699))->Arg(0)->Arg(1)->Arg(2);
X2D_COMPARE(Clear, s->Clear())->Arg(0)->Arg(1)->Arg(2);
X2D_COMPARE(Draw, s->Draw(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawClipped, s->Draw(-37, 150, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawNoClip, s->DrawNoClip(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAdd, s->DrawAdd(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAddNoClip, s->DrawAddNoClip(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawBlend, s->DrawBlend(100, 50, 100, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawBlendNoClip, s->DrawBlendNoClip(100, 50, 100, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawBlendScaled, s->DrawBlendScaled(60, 20, 1.37f, 100, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlpha, s->DrawAlpha(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlphaNoClip, s->DrawAlphaNoClip(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlphaScaled, s->DrawAlphaScaled(60, 20, 1.37f, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlphaLevel, s->DrawAlphaLevel(100, 50, 180, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlphaLevelNoClip, s->DrawAlphaLevelNoClip(100, 50, 180, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawAlphaLevelScaled, s->DrawAlphaLevelScaled(60, 20, 1.37f, 180, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawKey, s->DrawKey(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawKeyNoClip, s->DrawKeyNoClip(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawLayer, s->DrawLayer(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawLayerNoClip, s->DrawLayerNoClip(100, 50, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawLayerScaled, s->DrawLayerScaled(60, 20, 1.37f, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawLayerLevel, s->DrawLayerLevel(100, 50, 180, v))->Arg(0)->Arg(1);
X2D_COMPARE(DrawLayerLevelNoClip, s->DrawLayerLevelNoClip(100, 50, 180, v))->Arg(0)->Arg(1);

// A fade of the 64,000-pixel view on SSE2 and on the portable twin, against memcpy and memset.
template <bool White>
void BM_Fade(benchmark::State& state) {
  Scene& sc = scene();
  std::vector<uint32_t> copy(64000);
  double tSimd = 0, tPlain = 0, tCopy = 0, tSet = 0;
  auto fade = [&] { White ? x2dFadeToWhite(3, 64000, sc.view) : x2dFadeToBlack(3, 64000, sc.view); };
  for (auto _ : state) {
    x2dInstallKernels(false);
    tSimd += timeIt(fade, 8);
    x2dInstallKernels(true);
    tPlain += timeIt(fade, 8);
    tCopy += timeIt(
        [&] {
          std::memcpy(copy.data(), sc.view, 64000 * 4);
          benchmark::ClobberMemory();
        },
        8);
    tSet += timeIt(
        [&] {
          std::memset(copy.data(), 0, 64000 * 4);
          benchmark::ClobberMemory();
        },
        8);
    benchmark::DoNotOptimize(copy.data());
  }
  x2dInstallKernels(false);
  const double n = static_cast<double>(state.iterations());
  state.counters["simd_us"] = tSimd / n;
  state.counters["plain_us"] = tPlain / n;
  state.counters["memcpy_us"] = tCopy / n;
  state.counters["memset_us"] = tSet / n;
  state.counters["fade_per_memcpy"] = tSimd / tCopy;
}
BENCHMARK(BM_Fade<false>)->Name("BM_FadeToBlack");
BENCHMARK(BM_Fade<true>)->Name("BM_FadeToWhite");

}  // namespace
