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

enum RayKind { kTunnel, kPlanes, kSphere };

// One effect of w x h pixels and radius (or distance) r, its camera at (x, y).
void BM_Ray(benchmark::State& state, RayKind kind, int32_t w, int32_t h, int32_t r, float x, float y) {
  if (kind == kTunnel) {
    xFdTunnel fx(w, h, r);
    runEffect(state, fx, x, y);
  } else if (kind == kPlanes) {
    xFdPlanes fx(w, h, r);
    runEffect(state, fx, x, y);
  } else {
    xFdSphere fx(w, h, r);
    runEffect(state, fx, x, y);
  }
}
BENCHMARK_CAPTURE(BM_Ray, Tunnel320x200, kTunnel, 320, 200, 400, 0.0f, 0.0f);
BENCHMARK_CAPTURE(BM_Ray, Planes320x200, kPlanes, 320, 200, 256, 0.0f, 0.0f);
BENCHMARK_CAPTURE(BM_Ray, Sphere320x200, kSphere, 320, 200, 600, 1.0f, 1.0f);
BENCHMARK_CAPTURE(BM_Ray, Planes160x104, kPlanes, 160, 104, 256, 0.0f, 0.0f);

}  // namespace
