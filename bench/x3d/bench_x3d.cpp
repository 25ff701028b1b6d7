// Table square root against the library call; spline evaluation playing forward.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "x3d/x3d.h"
#include "x3d/x3dspline.h"

static std::vector<float> Inputs() {
  std::vector<float> v(4096);
  float f = 0.001f;
  for (float& x : v) x = (f *= 1.0071f);
  return v;
}

static void BM_FastSqrt(benchmark::State& state) {
  std::vector<float> in = Inputs();
  for (auto _ : state) {
    float sum = 0;
    for (float x : in) sum += x3dFastSqrt(x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * in.size());
}
BENCHMARK(BM_FastSqrt);

static void BM_LibSqrt(benchmark::State& state) {
  std::vector<float> in = Inputs();
  for (auto _ : state) {
    float sum = 0;
    for (float x : in) sum += std::sqrt(x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * in.size());
}
BENCHMARK(BM_LibSqrt);

// A 64-key vector track evaluated at 1000 increasing frames (cursor search).
static void BM_SplineForward(benchmark::State& state) {
  std::vector<x3dKey> keys(64);
  for (int i = 0; i < 64; i++) {
    keys[i] = x3dKey{};
    keys[i].frame = i * 10.0f;
    keys[i].value[0] = std::sin(i * 0.3f);
  }
  x3dTrack t{};
  t.keyCount = 64;
  t.keys = keys.data();
  x3dTrackLink(&t);
  x3dSplineInit(&t);
  for (auto _ : state) {
    float v[3] = {0, 0, 0};
    for (int f = 0; f < 1000; f++) x3dSplineVector(&t, f * 0.63f, v);
    benchmark::DoNotOptimize(v[0]);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_SplineForward);
