// Ray-cast effects at the presentation's sizes; compare with BM_PlainLookup64000 of the
// same run (bench_toolkit.cpp), a plain 64000-pixel texture lookup.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "fx/xfdefcts.h"
#include "x3d/x3d.h"

namespace {

struct RayCastSetup {
  std::vector<uint32_t> texture = std::vector<uint32_t>(65536);
  std::vector<uint32_t> view = std::vector<uint32_t>(64000);
  RayCastSetup() {
    std::mt19937 rng(2);
    for (auto& t : texture) t = rng() & 0xffffff;
    x3dInit(320, 200, nullptr);
  }
};
RayCastSetup& setup() {
  static RayCastSetup s;
  return s;
}

// Each frame moves and turns the camera as the segments do.
template <typename Effect>
void runEffect(benchmark::State& state, Effect& fx, float x, float y) {
  RayCastSetup& s = setup();
  fx.SetTexture(s.texture.data());
  float z = 0, a = 0;
  for (auto _ : state) {
    fx.SetPosition(x, y, z);
    fx.SetAngles(0, 0, a);
    fx.Render(s.view.data());
    z += 2.75f, a += 0.1f;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * fx.fd.width * fx.fd.height);
}

void BM_RayTunnel320x200(benchmark::State& state) {
  xFdTunnel fx(320, 200, 400);
  runEffect(state, fx, 0, 0);
}
BENCHMARK(BM_RayTunnel320x200);

void BM_RayPlanes320x200(benchmark::State& state) {
  xFdPlanes fx(320, 200, 256);
  runEffect(state, fx, 0, 0);
}
BENCHMARK(BM_RayPlanes320x200);

void BM_RaySphere320x200(benchmark::State& state) {
  xFdSphere fx(320, 200, 600);
  runEffect(state, fx, 1, 1);
}
BENCHMARK(BM_RaySphere320x200);

void BM_RayPlanes160x104(benchmark::State& state) {
  xFdPlanes fx(160, 104, 256);
  runEffect(state, fx, 0, 0);
}
BENCHMARK(BM_RayPlanes160x104);

}  // namespace
