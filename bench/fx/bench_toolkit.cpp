// Effect toolkit at the sizes the segments use. Compare within one run: the plain
// 64000-pixel texture lookup is the yardstick for the per-pixel effects.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "fx/fxtables.h"
#include "fx/fxkernels.h"
#include "fx/fxtoolkit.h"

namespace {

struct Pictures {
  std::vector<uint32_t> texture = std::vector<uint32_t>(65536);
  std::vector<uint32_t> view = std::vector<uint32_t>(64000);
  std::vector<uint32_t> other = std::vector<uint32_t>(64000);
  std::vector<uint16_t> index = std::vector<uint16_t>(64000);
  Pictures() {
    std::mt19937 rng(1);
    for (auto& t : texture) t = rng() & 0xffffff;
    for (auto& t : other) t = rng() & 0xffffff;
    for (auto& i : index) i = (uint16_t)rng();
    fxBuildSinTables();
    fxTunnelBuild();
  }
};
Pictures& pics() {
  static Pictures p;
  return p;
}

// The yardstick: one table-indexed texel per view pixel.
void BM_PlainLookup64000(benchmark::State& state) {
  Pictures& p = pics();
  for (auto _ : state) {
    const uint32_t* tex = p.texture.data();
    const uint16_t* idx = p.index.data();
    uint32_t* out = p.view.data();
    for (int i = 0; i < 64000; i++) out[i] = tex[idx[i]];
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 64000);
}
BENCHMARK(BM_PlainLookup64000);

void BM_TableTunnel320x200(benchmark::State& state) {
  Pictures& p = pics();
  uint16_t offset = 0;
  for (auto _ : state) {
    fxTunnelDraw(offset, p.texture.data(), p.view.data());
    offset += 255;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 64000);
}
BENCHMARK(BM_TableTunnel320x200);

void BM_Rotozoom320x200(benchmark::State& state) {
  Pictures& p = pics();
  int32_t angle = 0;
  for (auto _ : state) {
    fxRotozoom(320, 200, 100, angle++, p.texture.data(), p.view.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 64000);
}
BENCHMARK(BM_Rotozoom320x200);

void BM_Warp320x140(benchmark::State& state) {
  Pictures& p = pics();
  for (auto _ : state) {
    fxWarp(320, 140, 0, 30, 150000, 40000, -40000, 150000, p.texture.data(), p.view.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 320 * 140);
}
BENCHMARK(BM_Warp320x140);

void BM_Blend50(benchmark::State& state) {
  Pictures& p = pics();
  const bool simd = state.range(0) != 0;
  fxInstallKernels(!simd);
  for (auto _ : state) {
    fxBlend50(p.other.data(), p.view.data(), 64000);
    benchmark::ClobberMemory();
  }
  fxInstallKernels(false);
  state.SetLabel(simd ? "SSE2" : "plain");
  state.SetItemsProcessed(state.iterations() * 64000);
}
BENCHMARK(BM_Blend50)->Arg(0)->Arg(1);

// The segments' three scaler calls: thumbnail, mirrored live texture, mask window.
void BM_Scale(benchmark::State& state) {
  Pictures& p = pics();
  const bool simd = state.range(0) != 0;
  static std::vector<uint32_t> out(65536);
  fxInstallKernels(!simd);
  for (auto _ : state) {
    fxScale(p.other.data(), out.data(), 320, 200, 80, 50);
    fxScaleMirror(p.other.data(), out.data(), 320, 200, 256, 256);
    fxScale(p.other.data(), out.data(), 160, 100, 115, 87);
    benchmark::ClobberMemory();
  }
  fxInstallKernels(false);
  state.SetLabel(simd ? "SSE2" : "plain");
}
BENCHMARK(BM_Scale)->Arg(0)->Arg(1);

}  // namespace
