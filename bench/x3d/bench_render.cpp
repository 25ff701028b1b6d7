// Renderer speed: each filler kind on one fixed mix of triangles, and whole
// frames (transform + light + render) of a scene of a few thousand faces, all
// against clearing the 320x200 view with memcpy in the same run. The "fps"
// counter is frames (or triangle mixes) per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "../../tests/x3d/x3dtestscene.h"
#include "x2d/x2d.h"
#include "x3d/raster/x3dfill.h"
#include "x3d/x3drender.h"

namespace {

struct Setup {
  x3dCamera camera{};
  std::vector<uint32_t> view = std::vector<uint32_t>(320 * 200, 0);
  std::vector<uint32_t> texture = std::vector<uint32_t>(65536);
  std::vector<x3dClipPolygon> mix;
  Setup() {
    x3dInit(320, 200, nullptr);
    x2dInit(320, 240);
    x3dInitZBuffer();
    x3dCameraViewport(&camera, 320, 200);
    x3dCameraProjection(&camera, 90.0f);
    x3dSetCamera(&camera);
    x3dBuildFogTable(40, 60, 90);
    for (int i = 0; i < 65536; i++) texture[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    // 400 triangles of 4 to 40 pixels a side at depths 5..50: roughly two screens of pixels.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> px(0, 300), py(0, 180), sz(4, 40), dz(5, 50), a(0, 255);
    for (int t = 0; t < 400; t++) {
      x3dClipPolygon p;
      std::memset(&p, 0, sizeof(p));
      float x = px(rng), y = py(rng), s = sz(rng), z = dz(rng);
      const float sx[3] = {x, x + s, x + s * 0.3f}, sy[3] = {y, y + s * 0.4f, y + s};
      for (int k = 0; k < 3; k++) {
        x3dVertex& v = p.v[k];
        v.pos[0] = (sx[k] + 0.5f - 160.0f) / 159.9f * z;
        v.pos[1] = (99.5f - sy[k]) / 99.9f * z;
        v.pos[2] = z;
        v.u = a(rng), v.v = a(rng), v.intensity = a(rng);
      }
      p.count = 3;
      mix.push_back(p);
    }
  }
};
Setup& S() {
  static Setup s;
  return s;
}

void BM_ClearMemcpy(benchmark::State& state) {
  Setup& s = S();
  static const std::vector<uint32_t> black(320 * 200, 0);
  for (auto _ : state) {
    std::memcpy(s.view.data(), black.data(), 320 * 200 * 4);
    benchmark::DoNotOptimize(s.view.data());
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ClearMemcpy);

template <class Fn>
void runMix(benchmark::State& state, Fn fn, bool z) {
  Setup& s = S();
  for (auto _ : state) {
    if (z)
      for (int i = 0; i < x3dPixelCount; i++) x3dZBuffer[i] = 0x7FFFFFFF;
    for (const x3dClipPolygon& p : s.mix) {
      x3dClipPolygon q = p;
      fn(&q, s.view.data());
    }
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

#define TEX_BENCH(name, z)                                                              \
  void BM_##name(benchmark::State& st) {                                                \
    runMix(                                                                             \
        st, [](x3dClipPolygon* p, uint32_t* t) { name(p, t, S().texture.data()); }, z); \
  }                                                                                     \
  BENCHMARK(BM_##name);
#define COL_BENCH(name, z)                                                    \
  void BM_##name(benchmark::State& st) {                                      \
    runMix(                                                                   \
        st, [](x3dClipPolygon* p, uint32_t* t) { name(p, t, 0x80C0FF); }, z); \
  }                                                                           \
  BENCHMARK(BM_##name);

void BM_x3dFillFlat(benchmark::State& st) {
  runMix(
      st, [](x3dClipPolygon* p, uint32_t* t) { x3dFillFlat(p, t, 200, 100, 50); }, false);
}
BENCHMARK(BM_x3dFillFlat);
void BM_x3dFillFlatAddZ(benchmark::State& st) {
  runMix(
      st, [](x3dClipPolygon* p, uint32_t* t) { x3dFillFlatAddZ(p, t, 200, 100, 50); }, true);
}
BENCHMARK(BM_x3dFillFlatAddZ);
COL_BENCH(x3dFillGouraud, false)
COL_BENCH(x3dFillGouraudZ, true)
COL_BENCH(x3dFillGouraudFog, false)
TEX_BENCH(x3dFillTex, false)
TEX_BENCH(x3dFillTexAdd, false)
TEX_BENCH(x3dFillTexZ, true)
TEX_BENCH(x3dFillTexLit, false)
TEX_BENCH(x3dFillTexFog, false)
TEX_BENCH(x3dFillPersp, false)
TEX_BENCH(x3dFillPerspLit, false)
TEX_BENCH(x3dFillPerspLitZ, true)
TEX_BENCH(x3dFillPerspFog, false)

void BM_Wire(benchmark::State& st) {
  runMix(
      st, [](x3dClipPolygon* p, uint32_t* t) { x3dDrawWire(p, 255, 200, 100, t); }, false);
}
BENCHMARK(BM_Wire);

// Whole frames: a textured floor, spheres and boxes, about 3000 faces, two lights and a flare.
void wholeScene(benchmark::State& state, bool zbuffer) {
  S();
  TestScene ts(zbuffer, 400.0f);
  const uint32_t* t0 = ts.texture(0);
  const uint32_t* t1 = ts.texture(1);
  const float pf[3] = {0, -8, 40};
  ts.floor(16, 8.0f, ts.material(8, 255, 255, 255, t0), pf);
  int n = 0;
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 3; j++) {
      const float at[3] = {-24.0f + i * 16, -2.0f + j * 3, 10.0f + j * 25};
      const int type = (n++ % 4 == 0) ? 2 : (n % 4 == 1) ? 5 : (n % 4 == 2) ? 6 : 13;
      ts.sphere(10, 12, 4.0f, ts.material(type, 200, 150, 90, t1), at);
    }
  const float l1[3] = {-30, 40, -30}, l2[3] = {20, 10, 20};
  ts.light(X3D_LIGHT_OMNI, l1, 1, 1, 1);
  ts.light(X3D_LIGHT_OMNI, l2, 0.5f, 0.7f, 1)->flare = ts.flare(64, 800.0f, 0xFFC080);
  const float eye[3] = {0, 12, -40}, look[3] = {0, 0, 20};
  ts.finish(eye, look, 70.0f);
  int faces = 0;
  for (const x3dObject& o : ts.objects) faces += o.faceCount;
  std::vector<uint32_t> fb(320 * 200);
  for (auto _ : state) {
    std::memset(fb.data(), 0, fb.size() * 4);
    x3dTransformScene();
    x3dLightScene();
    x3dRenderScene(fb.data());
    benchmark::ClobberMemory();
  }
  state.counters["faces"] = faces;
  state.counters["drawn"] = ts.scene.listCount;
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_SceneZBuffer(benchmark::State& st) { wholeScene(st, true); }
void BM_ScenePainter(benchmark::State& st) { wholeScene(st, false); }
BENCHMARK(BM_SceneZBuffer);
BENCHMARK(BM_ScenePainter);

}  // namespace
