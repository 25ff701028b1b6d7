#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "hermes/hermes.h"
#include "hermes/hermes_internal.h"

namespace {

struct NamedFormat {
  const char* name;
  HermesFormat f;
};

// Every layout the engine meets, plus the other byte orders.
const NamedFormat kFormats[] = {
    {"I8", {0, 0, 0, 0, 8, 1, 0, 0}},
    {"RGB555", {0x7C00, 0x03E0, 0x001F, 0, 16, 0, 0, 0}},
    {"RGB565", {0xF800, 0x07E0, 0x001F, 0, 16, 0, 0, 0}},
    {"BGR565", {0x001F, 0x07E0, 0xF800, 0, 16, 0, 0, 0}},
    {"ARGB1555", {0x7C00, 0x03E0, 0x001F, 0x8000, 16, 0, 0, 0}},
    {"BGR24", {0xFF0000, 0x00FF00, 0x0000FF, 0, 24, 0, 0, 0}},  // bytes blue, green, red
    {"RGB24", {0x0000FF, 0x00FF00, 0xFF0000, 0, 24, 0, 0, 0}},  // bytes red, green, blue
    {"XRGB32", {0xFF0000, 0x00FF00, 0x0000FF, 0, 32, 0, 0, 0}},
    {"XBGR32", {0x0000FF, 0x00FF00, 0xFF0000, 0, 32, 0, 0, 0}},
    {"ARGB32", {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, 32, 0, 0, 0}},
    {"RGBX32", {0xFF000000, 0x00FF0000, 0x0000FF00, 0, 32, 0, 0, 0}},
};

uint32_t readPixel(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; i++) v |= (uint32_t)p[i] << (8 * i);
  return v;
}

int lowBit(uint32_t m) {
  int s = 0;
  while (m && !(m & 1)) m >>= 1, s++;
  return s;
}
int bitCount(uint32_t m) {
  int n = 0;
  for (; m; m &= m - 1) n++;
  return n;
}

// Straightforward model: widen each channel to 8 bits (exact scale, rounded down), cut to the
// destination width; a destination alpha without a source alpha is opaque.
uint32_t referencePixel(uint32_t p, const HermesFormat& s, const HermesFormat& d, const uint32_t* palette) {
  HermesFormat src = s;
  if (s.indexed) {
    p = palette[p & 0xFF];
    src = HermesFormat{0xFF0000, 0xFF00, 0xFF, 0, 32, 0, 0, 0};
  }
  uint32_t sm[4] = {src.r, src.g, src.b, src.a}, dm[4] = {d.r, d.g, d.b, d.a};
  uint32_t out = 0;
  for (int c = 0; c < 4; c++) {
    if (!dm[c]) continue;
    if (!sm[c]) {
      out |= dm[c];
      continue;
    }
    int n = bitCount(sm[c]), m = bitCount(dm[c]);
    uint32_t v = (p & sm[c]) >> lowBit(sm[c]);
    uint32_t o;
    if (n == m) {
      o = v;
    } else {
      uint32_t v8 = n >= 8 ? v : (uint32_t)std::floor(v * 255.0 / ((1 << n) - 1) + 1e-9);
      o = v8 >> (8 - m);
    }
    out |= o << lowBit(dm[c]);
  }
  return out;
}

class HermesPairs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(Hermes_Init(), 0); }
  void TearDown() override {
    hermesInstallKernels(false);
    Hermes_Done();
  }
};

// Converts a rectangle of random pixels between two formats and compares every pixel
// with the model; bytes outside the destination rectangle must stay untouched.
void checkPair(const NamedFormat& sf, const NamedFormat& df, uint32_t seed) {
  SCOPED_TRACE(std::string(sf.name) + " -> " + df.name);
  std::mt19937 rng(seed);
  const int W = 37, H = 5, sx = 3, sy = 2, dx = 1, dy = 1;
  const int sb = sf.f.bits / 8, db = df.f.bits / 8;
  const int spitch = (W + sx + 5) * sb + 3, dpitch = (W + dx + 2) * db + 1;
  std::vector<uint8_t> src((size_t)spitch * (H + sy + 1));
  for (auto& b : src) b = (uint8_t)rng();
  std::vector<uint8_t> dst((size_t)dpitch * (H + dy + 1), 0xA5);
  std::vector<uint8_t> want = dst;
  uint32_t palette[256];
  for (auto& e : palette) e = rng() & 0xFFFFFF;

  HermesHandle conv = Hermes_ConverterInstance(0);
  ASSERT_NE(conv, 0);
  HermesFormat s = sf.f, d = df.f;
  ASSERT_NE(Hermes_ConverterRequest(conv, &s, &d), 0);
  HermesHandle pal = 0;
  if (s.indexed) {
    pal = Hermes_PaletteInstance();
    ASSERT_NE(pal, 0);
    Hermes_PaletteSet(pal, palette);
    ASSERT_NE(Hermes_ConverterPalette(conv, pal, pal), 0);
  }
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      uint32_t p = readPixel(&src[(size_t)(sy + y) * spitch + (sx + x) * sb], sb);
      // Identical formats are row copies: unused bits travel along.
      bool same = !std::strcmp(sf.name, df.name);
      uint32_t o = same ? p : referencePixel(p, s, d, palette);
      for (int i = 0; i < db; i++) want[(size_t)(dy + y) * dpitch + (dx + x) * db + i] = (uint8_t)(o >> (8 * i));
    }
  ASSERT_NE(Hermes_ConverterCopy(conv, src.data(), sx, sy, W, H, spitch, dst.data(), dx, dy, W, H, dpitch), 0);
  for (size_t i = 0; i < dst.size(); i++)
    ASSERT_EQ(dst[i], want[i]) << "byte " << i << " (row " << i / dpitch << ", column byte " << i % dpitch << ")";
  Hermes_ConverterReturn(conv);
  if (pal) Hermes_PaletteReturn(pal);
}

TEST_F(HermesPairs, EveryPairMatchesThePerPixelModel) {
  uint32_t seed = 1;
  for (int simd = 1; simd >= 0; simd--) {
    hermesInstallKernels(!simd);
    for (const NamedFormat& s : kFormats)
      for (const NamedFormat& d : kFormats) {
        if (d.f.indexed && !s.f.indexed) continue;  // no colour quantisation
        checkPair(s, d, seed++);
      }
  }
}

TEST_F(HermesPairs, SimdAndScalarRowsGiveTheSameBits) {
  // Long rows so the eight-pixel SSE2 steps run, with a tail of 5.
  const int W = 317;
  std::vector<uint32_t> src(W);
  std::mt19937 rng(7);
  for (auto& p : src) p = rng();
  for (const char* name : {"RGB565", "RGB555", "BGR565"}) {
    const NamedFormat* df = nullptr;
    for (const auto& f : kFormats)
      if (!std::strcmp(f.name, name)) df = &f;
    std::vector<uint16_t> a(W), b(W);
    HermesFormat s = kFormats[7].f, d = df->f;
    HermesHandle conv = Hermes_ConverterInstance(0);
    hermesInstallKernels(false);
    ASSERT_NE(Hermes_ConverterRequest(conv, &s, &d), 0);
    ASSERT_NE(Hermes_ConverterCopy(conv, src.data(), 0, 0, W, 1, W * 4, a.data(), 0, 0, W, 1, W * 2), 0);
    hermesInstallKernels(true);
    ASSERT_NE(Hermes_ConverterRequest(conv, &s, &d), 0);
    ASSERT_NE(Hermes_ConverterCopy(conv, src.data(), 0, 0, W, 1, W * 4, b.data(), 0, 0, W, 1, W * 2), 0);
    EXPECT_EQ(a, b) << name;
    Hermes_ConverterReturn(conv);
  }
}

// Known values of the channel rescaling (rows: source pixel, expected destination).
TEST_F(HermesPairs, ChannelWidthChanges) {
  struct Row {
    uint16_t in;
    uint32_t out;
  } rows[] = {
      {0x7FFF, 0xFFFFFF},                      // 5-bit 31 -> 255 in every channel
      {0x0000, 0x000000}, {0x4000, 0x830000},  // red 16 -> 131 (16 * 255 / 31 = 131.6, rounded down)
      {0x5400, 0xAC0000},                      // red 21 -> 172, where repeating the top bits would give 173
      {0x0020, 0x000800},                      // green 1 -> 8
      {0x0001, 0x000008},                      // blue 1 -> 8
  };
  HermesFormat s = kFormats[1].f, d = kFormats[7].f;
  HermesHandle conv = Hermes_ConverterInstance(0);
  ASSERT_NE(Hermes_ConverterRequest(conv, &s, &d), 0);
  for (const Row& r : rows) {
    uint32_t out = 0xDEADBEEF;
    uint16_t in = r.in;
    ASSERT_NE(Hermes_ConverterCopy(conv, &in, 0, 0, 1, 1, 2, &out, 0, 0, 1, 1, 4), 0);
    EXPECT_EQ(out, r.out) << std::hex << r.in;
  }
  Hermes_ConverterReturn(conv);
}

TEST_F(HermesPairs, RefusesWhatItCannotDo) {
  HermesHandle conv = Hermes_ConverterInstance(0);
  HermesFormat good = kFormats[7].f;
  HermesFormat bad[] = {
      {0xFF0000, 0xFF00, 0xFF, 0, 12, 0, 0, 0},  // no such depth
      {0xFF0000, 0xFF00, 0xFF, 0, 16, 0, 0, 0},  // masks beyond 16 bits
      {0xF800, 0x0FE0, 0x001F, 0, 16, 0, 0, 0},  // overlapping masks
      {0xF100, 0x07E0, 0x001F, 0, 16, 0, 0, 0},  // red mask with a gap
      {0, 0x07E0, 0x001F, 0, 16, 0, 0, 0},       // no red
      {0, 0, 0, 0, 16, 1, 0, 0},                 // indexed but not 8 bits
  };
  for (HermesFormat& b : bad) {
    EXPECT_EQ(Hermes_ConverterRequest(conv, &b, &good), 0);
    EXPECT_EQ(Hermes_ConverterRequest(conv, &good, &b), 0);
  }
  HermesFormat indexed = kFormats[0].f;
  EXPECT_EQ(Hermes_ConverterRequest(conv, &good, &indexed), 0);  // would need quantising
  uint32_t px[4] = {};
  EXPECT_EQ(Hermes_ConverterCopy(conv, px, 0, 0, 1, 1, 4, px, 0, 0, 1, 1, 4), 0);  // refused request
  ASSERT_NE(Hermes_ConverterRequest(conv, &indexed, &good), 0);
  uint8_t idx = 0;
  EXPECT_EQ(Hermes_ConverterCopy(conv, &idx, 0, 0, 1, 1, 1, px, 0, 0, 1, 1, 4), 0);  // no palette yet
  ASSERT_NE(Hermes_ConverterRequest(conv, &good, &good), 0);
  EXPECT_EQ(Hermes_ConverterCopy(conv, px, 0, 0, 2, 1, 8, px, 0, 0, 1, 1, 4), 0);  // no scaling
  EXPECT_EQ(Hermes_ConverterCopy(conv, nullptr, 0, 0, 1, 1, 4, px, 0, 0, 1, 1, 4), 0);
  EXPECT_EQ(Hermes_ConverterPalette(conv, 999, 0), 0);
  Hermes_ConverterReturn(conv);
  EXPECT_EQ(Hermes_ConverterRequest(conv, &good, &good), 0);  // returned handle is dead
  EXPECT_EQ(Hermes_ConverterRequest(0, &good, &good), 0);
}

TEST_F(HermesPairs, HandlesRunOutAndComeBack) {
  std::vector<HermesHandle> hs;
  for (;;) {
    HermesHandle h = Hermes_ConverterInstance(0);
    if (!h) break;
    hs.push_back(h);
    ASSERT_LT(hs.size(), 10000u);
  }
  EXPECT_GE(hs.size(), 8u);
  Hermes_ConverterReturn(hs[3]);
  EXPECT_EQ(Hermes_ConverterInstance(0), hs[3]);
  for (HermesHandle h : hs) Hermes_ConverterReturn(h);
  HermesHandle p = Hermes_PaletteInstance();
  EXPECT_NE(p, 0);
  Hermes_PaletteReturn(p);
}

TEST_F(HermesPairs, PaletteChangesApplyToTheNextCopy) {
  HermesHandle conv = Hermes_ConverterInstance(0), pal = Hermes_PaletteInstance();
  HermesFormat s = kFormats[0].f, d = kFormats[7].f;
  ASSERT_NE(Hermes_ConverterRequest(conv, &s, &d), 0);
  ASSERT_NE(Hermes_ConverterPalette(conv, pal, pal), 0);
  uint32_t table[256] = {};
  table[5] = 0x123456;
  Hermes_PaletteSet(pal, table);
  uint8_t idx = 5;
  uint32_t out = 0;
  ASSERT_NE(Hermes_ConverterCopy(conv, &idx, 0, 0, 1, 1, 1, &out, 0, 0, 1, 1, 4), 0);
  EXPECT_EQ(out, 0x123456u);
  table[5] = 0xABCDEF;
  Hermes_PaletteSet(pal, table);
  ASSERT_NE(Hermes_ConverterCopy(conv, &idx, 0, 0, 1, 1, 1, &out, 0, 0, 1, 1, 4), 0);
  EXPECT_EQ(out, 0xABCDEFu);
  Hermes_ConverterReturn(conv);
  Hermes_PaletteReturn(pal);
}

}  // namespace
