// The converter on a 320 x 240 frame buffer (0x00RRGGBB) into each screen format,
// against memcpy of the same bytes; SSE2 and scalar rows of 32->16 side by side.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "hermes/hermes.h"
#include "hermes/hermes_internal.h"

namespace {

const int W = 320, H = 240;

void present(benchmark::State& state, HermesFormat dest, int simd) {
  Hermes_Init();
  hermesInstallKernels(!simd);
  std::vector<uint32_t> src(W * H);
  for (int i = 0; i < W * H; i++) src[i] = (uint32_t)i * 2654435761u & 0xFFFFFF;
  std::vector<uint8_t> dst((size_t)W * H * 4);
  HermesFormat s = {0xFF0000, 0xFF00, 0xFF, 0, 32, 0, 0, 0};
  HermesHandle conv = Hermes_ConverterInstance(0);
  Hermes_ConverterRequest(conv, &s, &dest);
  const int pitch = W * dest.bits / 8;
  for (auto _ : state) {
    Hermes_ConverterCopy(conv, src.data(), 0, 0, W, H, W * 4, dst.data(), 0, 0, W, H, pitch);
    benchmark::DoNotOptimize(dst.data());
  }
  Hermes_ConverterReturn(conv);
  hermesInstallKernels(false);
  state.SetBytesProcessed(state.iterations() * W * H * 4);
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint32_t> src(W * H, 0x123456), dst(W * H);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), W * H * 4);
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(state.iterations() * W * H * 4);
}
BENCHMARK(BM_Memcpy);

void BM_Convert32to32(benchmark::State& s) { present(s, {0xFF0000, 0xFF00, 0xFF, 0, 32, 0, 0, 0}, 1); }
void BM_Convert32to16Sse2(benchmark::State& s) { present(s, {0xF800, 0x07E0, 0x1F, 0, 16, 0, 0, 0}, 1); }
void BM_Convert32to16Scalar(benchmark::State& s) { present(s, {0xF800, 0x07E0, 0x1F, 0, 16, 0, 0, 0}, 0); }
void BM_Convert32to24(benchmark::State& s) { present(s, {0xFF0000, 0xFF00, 0xFF, 0, 24, 0, 0, 0}, 1); }
void BM_Convert32toBGR32Generic(benchmark::State& s) { present(s, {0xFF, 0xFF00, 0xFF0000, 0, 32, 0, 0, 0}, 1); }
BENCHMARK(BM_Convert32to32);
BENCHMARK(BM_Convert32to16Sse2);
BENCHMARK(BM_Convert32to16Scalar);
BENCHMARK(BM_Convert32to24);
BENCHMARK(BM_Convert32toBGR32Generic);

}  // namespace
