// Decode time of each picture format for a 256 x 256 picture, and conversion to
// 32 bits against a plain per-pixel loop.
#include <benchmark/benchmark.h>

extern "C" {}

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "assetgen/ag_jpeg.h"
#include "file/xfile.h"
#include "image/ximage.h"

namespace {

const int N = 256;

// Smooth shapes with a little noise, like a texture.
uint8_t sample(int x, int y, int c) {
  return (uint8_t)((x * (c + 1) + y * (3 - c) + ((x * y) >> 5) + (x ^ y) % 3) & 0xFF);
}

std::string makeTga() {
  std::string t(18, '\0');
  t[2] = 2, t[12] = (char)(N & 0xFF), t[13] = (char)(N >> 8), t[14] = (char)(N & 0xFF), t[15] = (char)(N >> 8),
  t[16] = 24;
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++)
      for (int c = 0; c < 3; c++) t += (char)sample(x, y, c);
  return t;
}

std::string makePcx() {
  std::string h(128, '\0');
  h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = 8;
  h[8] = (char)((N - 1) & 0xFF), h[9] = (char)((N - 1) >> 8), h[10] = h[8], h[11] = h[9];
  h[65] = 1, h[66] = (char)(N & 0xFF), h[67] = (char)(N >> 8);
  for (int y = 0; y < N; y++) {
    for (int x = 0; x < N;) {
      uint8_t v = (uint8_t)(sample(x, y, 0) & 0xF0);
      int run = 1;
      while (x + run < N && run < 63 && (sample(x + run, y, 0) & 0xF0) == v) run++;
      if (run > 1 || v >= 0xC0) h += (char)(0xC0 | run);
      h += (char)v;
      x += run;
    }
  }
  h += '\x0C';
  for (int i = 0; i < 768; i++) h += (char)i;
  return h;
}

std::string makeGif() {
  std::vector<uint8_t> data(N * N);
  for (int i = 0; i < N * N; i++) data[i] = (uint8_t)(sample(i % N, i / N, 1) & 0xF8);
  std::vector<int> codes, widths;
  std::map<std::pair<int, int>, int> dict;
  int width = 9, dnext = 258, enext = 258;
  bool first = true;
  auto emit = [&](int code) {
    codes.push_back(code), widths.push_back(width);
    if (code == 256) {
      width = 9, dnext = 258, first = true;
      return;
    }
    if (!first && dnext < 4096 && ++dnext == (1 << width) && width < 12) width++;
    first = false;
  };
  emit(256);
  int w = data[0];
  for (size_t i = 1; i < data.size(); i++) {
    auto it = dict.find({w, data[i]});
    if (it != dict.end()) {
      w = it->second;
      continue;
    }
    emit(w);
    dict[{w, data[i]}] = enext++;
    if (enext == 4096) emit(256), dict.clear(), enext = 258;
    w = data[i];
  }
  emit(w);
  emit(257);
  std::string bits;
  uint32_t acc = 0;
  int n = 0;
  for (size_t i = 0; i < codes.size(); i++)
    for (acc |= (uint32_t)codes[i] << n, n += widths[i]; n >= 8; n -= 8, acc >>= 8) bits += (char)acc;
  if (n) bits += (char)acc;
  std::string g = "GIF89a";
  g += (char)(N & 0xFF), g += (char)(N >> 8), g += (char)(N & 0xFF), g += (char)(N >> 8);
  g += (char)0xF7, g += '\0', g += '\0';
  for (int i = 0; i < 768; i++) g += (char)i;
  g += ",";
  g += std::string(4, '\0');
  g += (char)(N & 0xFF), g += (char)(N >> 8), g += (char)(N & 0xFF), g += (char)(N >> 8);
  g += '\0';
  g += '\x08';
  for (size_t at = 0; at < bits.size(); at += 255) {
    size_t k = std::min<size_t>(255, bits.size() - at);
    g += (char)k;
    g += bits.substr(at, k);
  }
  g += '\0';
  g += ';';
  return g;
}

std::string makeJpeg() {
  std::vector<uint8_t> rgb(N * N * 3);
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++)
      for (int k = 0; k < 3; k++) rgb[3 * (y * N + x) + k] = sample(x, y, k);
  std::vector<uint8_t> bytes = agJpegEncode(rgb.data(), N, N, 85);
  return std::string(bytes.begin(), bytes.end());
}

void decode(benchmark::State& state, const std::string& bytes) {
  std::string name = "bench";
  xFileData fd = {name.data(), (int32_t)bytes.size(), (uint8_t*)bytes.data()};
  for (auto _ : state) {
    xImage img = {0, 0, 0, nullptr, nullptr};
    xImageLoad(&fd, img);
    benchmark::DoNotOptimize(img.pixels);
    std::free(img.pixels);
    std::free(img.palette);
  }
  state.SetItemsProcessed(state.iterations() * N * N);
}

// The picture is made outside the timed loop, once for each time the benchmark runs.
void BM_Decode(benchmark::State& s, std::string (*make)()) { decode(s, make()); }
BENCHMARK_CAPTURE(BM_Decode, Tga, makeTga);
BENCHMARK_CAPTURE(BM_Decode, Pcx, makePcx);
BENCHMARK_CAPTURE(BM_Decode, Gif, makeGif);
BENCHMARK_CAPTURE(BM_Decode, Jpeg, makeJpeg);

// xImageConvert to format 6 (allocation and the copy included) ...
void convert(benchmark::State& state, int32_t format, int bytes) {
  std::vector<uint8_t> src((size_t)N * N * bytes);
  for (size_t i = 0; i < src.size(); i++) src[i] = (uint8_t)(i * 7);
  std::vector<uint8_t> pal(768);
  for (int i = 0; i < 768; i++) pal[i] = (uint8_t)(i * 3);
  for (auto _ : state) {
    xImage img = {N, N, format, (uint8_t*)std::malloc(src.size()), nullptr};
    std::memcpy(img.pixels, src.data(), src.size());
    if (format == XIMAGE_INDEXED8) {
      img.palette = (uint8_t*)std::malloc(768);
      std::memcpy(img.palette, pal.data(), 768);
    }
    xImageConvert(&img, XIMAGE_XRGB32);
    benchmark::DoNotOptimize(img.pixels);
    std::free(img.pixels);
  }
  state.SetItemsProcessed(state.iterations() * N * N);
}
void BM_Convert8to32(benchmark::State& s) { convert(s, XIMAGE_INDEXED8, 1); }
void BM_Convert24to32(benchmark::State& s) { convert(s, XIMAGE_RGB24, 3); }
BENCHMARK(BM_Convert8to32);
BENCHMARK(BM_Convert24to32);

// ... against a plain per-pixel loop doing the same work (same copies and allocations).
void plain(benchmark::State& state, int bytes) {
  std::vector<uint8_t> src((size_t)N * N * bytes);
  for (size_t i = 0; i < src.size(); i++) src[i] = (uint8_t)(i * 7);
  std::vector<uint8_t> pal(768);
  for (int i = 0; i < 768; i++) pal[i] = (uint8_t)(i * 3);
  for (auto _ : state) {
    uint8_t* pixels = (uint8_t*)std::malloc(src.size());
    std::memcpy(pixels, src.data(), src.size());
    uint32_t* out = (uint32_t*)std::calloc((size_t)N * N, 4);
    for (int i = 0; i < N * N; i++) {
      const uint8_t* p = bytes == 1 ? &pal[3 * pixels[i]] : &pixels[3 * i];
      out[i] = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
    benchmark::DoNotOptimize(out);
    std::free(pixels);
    std::free(out);
  }
  state.SetItemsProcessed(state.iterations() * N * N);
}
void BM_PlainLoop8to32(benchmark::State& s) { plain(s, 1); }
void BM_PlainLoop24to32(benchmark::State& s) { plain(s, 3); }
BENCHMARK(BM_PlainLoop8to32);
BENCHMARK(BM_PlainLoop24to32);

}  // namespace
