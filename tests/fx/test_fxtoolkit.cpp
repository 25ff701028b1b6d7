// Effect toolkit: tables, tunnel, rotozoom, warp, blend and scalers.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "fx/fxkernels.h"
#include "fx/fxtables.h"
#include "fx/fxtoolkit.h"

namespace {

// A texture whose texel names its own position: 0x00RRCC00 + marker, row R, column C.
std::vector<uint32_t> positionTexture() {
  std::vector<uint32_t> t(65536);
  for (uint32_t i = 0; i < 65536; i++) t[i] = ((i >> 8) << 16) | ((i & 255) << 8) | 0x5a;
  return t;
}

uint32_t texel(uint32_t row, uint32_t col) { return ((row & 255) << 16) | ((col & 255) << 8) | 0x5a; }

class FxTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fxBuildSinTables(); }
};

TEST_F(FxTables, SineAndCosineEntries) {
  struct Row {
    const int32_t* table;
    int32_t index;
    int32_t value;
  } rows[] = {
      {sin128, 0, 0},        // sin 0
      {sin128, 32, 65536},   // quarter turn: exactly 1.0 in 16.16
      {sin128, 16, 46340},   // sqrt(2)/2 * 65536 = 46340.95, truncated
      {sin128, 80, -46340},  // negative values truncate toward zero, not down
      {sin128, 64, 0},       // sin pi is 1.2e-16: truncates to 0
      {cos128, 0, 65536},    // cos 0
      {cos128, 64, -65536},  // half turn
      {cos128, 32, 0},       // cos pi/2 rounds to 0
      {sin256, 64, 256},     // quarter turn scaled by 256
      {sin256, 32, 181},     // 181.02
      {sin256, 160, -181},   // -181.02 toward zero
      {cos256, 128, -256},   // half turn
      {cos256, 255, 255},    // cos(2 pi * 255/256) * 256 = 255.92
  };
  for (const Row& r : rows) EXPECT_EQ(r.table[r.index], r.value) << "index " << r.index;
}

TEST(FxTunnel, TableRingsAndUntouchedPixels) {
  fxTunnelBuild();
  ASSERT_NE(tunnelDepth, nullptr);
  ASSERT_NE(tunnelAngle, nullptr);
  auto at = [](int x, int y) { return tunnelDepth[y * 320 + x] * 256 + tunnelAngle[y * 320 + x]; };
  // Depth bytes are ring / 3 for rings 0..199, so at most 66.
  for (int i = 0; i < 64000; i++) ASSERT_LE(tunnelDepth[i], 66) << i;
  // The unused tail of each table stays cleared.
  for (int i = 64000; i < 65000; i++) ASSERT_EQ(tunnelDepth[i] | tunnelAngle[i], 0) << i;
  // Ring 0 (radius 3 across, 0 down) writes (163, 100) at a quarter turn (angle 64);
  // ring 1 meets it there one step earlier (angle 63) and, drawn later, wins.
  EXPECT_EQ(at(163, 100), 63);
  // Far left on the middle line only the outer rings reach: ring 156's x is
  // trunc(160 - 159) = 1 at three quarters of a turn, depth 52, angle 192.
  EXPECT_EQ(tunnelDepth[100 * 320 + 1], 52);
  EXPECT_EQ(tunnelAngle[100 * 320 + 1], 192);
  // Top-left corner (188 pixels from the centre): rings reach it, depth 62..66.
  EXPECT_GE(tunnelDepth[0], 60);
  // Building again gives the same tables.
  std::vector<uint8_t> depth(tunnelDepth, tunnelDepth + 64000), angle(tunnelAngle, tunnelAngle + 64000);
  fxTunnelBuild();
  EXPECT_EQ(0, std::memcmp(depth.data(), tunnelDepth, 64000));
  EXPECT_EQ(0, std::memcmp(angle.data(), tunnelAngle, 64000));
}

TEST(FxTunnel, RendererLooksUpAndKeepsZeroPixels) {
  fxTunnelBuild();
  std::vector<uint8_t> saveD(tunnelDepth, tunnelDepth + 65000), saveA(tunnelAngle, tunnelAngle + 65000);
  std::memset(tunnelDepth, 0, 65000);
  std::memset(tunnelAngle, 0, 65000);
  tunnelDepth[1] = 1;                          // d = 256: one texture row deeper
  tunnelAngle[2] = 7;                          // d = 7
  tunnelDepth[3] = 255, tunnelAngle[3] = 255;  // d = 65535: wraps with any offset > 0
  const std::vector<uint32_t> tex = positionTexture();
  std::vector<uint32_t> view(64000, 0xdeadbeef);
  fxTunnelDraw(0x0102, tex.data(), view.data());
  EXPECT_EQ(view[0], 0xdeadbeefu);  // both bytes 0: not written
  EXPECT_EQ(view[1], tex[0x0202]);
  EXPECT_EQ(view[2], tex[0x0109]);
  EXPECT_EQ(view[3], tex[(0x0102 + 65535) & 0xffff]);  // 16-bit wrap, = texel 0x0101
  EXPECT_EQ(view[63999], 0xdeadbeefu);
  std::memcpy(tunnelDepth, saveD.data(), 65000);
  std::memcpy(tunnelAngle, saveA.data(), 65000);

  // With the real tables: exactly the pixels whose entries are both 0 keep their value.
  std::fill(view.begin(), view.end(), 0xdeadbeefu);
  fxTunnelDraw(0, tex.data(), view.data());
  for (int i = 0; i < 64000; i++) {
    const bool zero = (tunnelDepth[i] | tunnelAngle[i]) == 0;
    ASSERT_EQ(view[i] == 0xdeadbeefu, zero) << i;
  }
}

TEST(FxRotozoom, UnitZoomStepsOneTexel) {
  fxBuildSinTables();
  const std::vector<uint32_t> tex = positionTexture();
  std::vector<uint32_t> out(320 * 3);
  fxRotozoom(320, 3, 256, 0, tex.data(), out.data());
  // Zoom 256, angle 0: u starts at 100 (0.39 texel) and steps 256; v starts at row 160
  // and each target row adds A + 256 = two texel rows.
  for (int c = 0; c < 320; c++) {
    ASSERT_EQ(out[c], texel(160, c)) << c;  // column wraps at 256
    ASSERT_EQ(out[320 + c], texel(162, c)) << c;
    ASSERT_EQ(out[640 + c], texel(164, c)) << c;
  }
  // Angle 256 is angle 0.
  std::vector<uint32_t> again(320 * 3);
  fxRotozoom(320, 3, 256, 256, tex.data(), again.data());
  EXPECT_EQ(out, again);
}

TEST(FxRotozoom, HalfTurnUsesArithmeticShiftsAndTruncatingDivision) {
  fxBuildSinTables();
  const std::vector<uint32_t> tex = positionTexture();
  std::vector<uint32_t> out(4 * 2);
  fxRotozoom(4, 2, 100, 128, tex.data(), out.data());
  // A = -256 * 100 / 256 = -100, B = 0. u0 = -10000 >> 8 = -40 -> column 255;
  // v0 = (-16000 >> 8) << 8 = -16128 -> row 193.
  const uint32_t expect[8] = {
      texel(193, 255), texel(193, 255), texel(193, 255), texel(193, 254),  // u -40, -140, -240, -340
      texel(193, 255), texel(193, 255), texel(193, 255), texel(193, 254),  // v += A + 256 = 156: same row
  };
  for (int i = 0; i < 8; i++) EXPECT_EQ(out[i], expect[i]) << i;
}

TEST(FxWarp, FillsOnlyItsRectangleColumnByColumn) {
  fxBuildSinTables();
  const std::vector<uint32_t> tex = positionTexture();
  std::vector<uint32_t> view(320 * 200, 1);
  // No column steps; rows step 2 texels in u and one texel (plus the wobble) in v.
  fxWarp(3, 5, 10, 20, 0, 0, 2 << 16, 1 << 16, tex.data(), view.data());
  for (int y = 0; y < 200; y++)
    for (int x = 0; x < 320; x++) {
      const bool inside = x >= 10 && x < 13 && y >= 20 && y < 25;
      if (!inside) {
        ASSERT_EQ(view[y * 320 + x], 1u) << x << "," << y;
      }
    }
  // Column j starts at u = (sum of cos128[0..j-1]) >> 8 and v = 0.
  int32_t v = 0;
  for (int k = 0; k < 5; k++) {
    EXPECT_EQ(view[(20 + k) * 320 + 10], texel(v >> 8, 2 * k)) << k;
    EXPECT_EQ(view[(20 + k) * 320 + 11], texel(v >> 8, 1 + 2 * k)) << k;  // cos128[0] = 1 texel
    v += (sin128[k] >> 8) + 256;
  }
}

TEST(FxWarp, NegativeRowStepsWrapBackwards) {
  fxBuildSinTables();
  const std::vector<uint32_t> tex = positionTexture();
  std::vector<uint32_t> view(320 * 200, 1);
  fxWarp(1, 3, 0, 0, 0, 0, -(1 << 16), 0, tex.data(), view.data());
  EXPECT_EQ(view[0], texel(0, 0));
  EXPECT_EQ(view[320], texel(0, 255));  // u = -256: one texel left of 0 wraps to 255
  EXPECT_EQ(view[640], texel(0, 254));  // v grows by sin128 >> 8 < 256: still row 0
}

TEST(FxBlend50, ChannelAveragesWithoutCarries) {
  struct Row {
    uint32_t target, source, result;
  } rows[] = {
      {0x00FF0001, 0x00010003, 0x00800002},  // (255 + 1) >> 1, 0, (1 + 3) >> 1
      {0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF},  // top byte cleared, channels stay 255
      {0x0000FF00, 0x00000100, 0x00008000},  // no carry into red
      {0x00000001, 0x00000000, 0x00000000},  // halves round down
      {0x00102030, 0x00102030, 0x00102030},  // blending a colour with itself
  };
  for (bool simd : {false, true}) {
    fxInstallKernels(!simd);
    for (const Row& r : rows) {
      uint32_t t = r.target;
      if (simd) {
        uint32_t t4[5] = {r.target, r.target, r.target, r.target, r.target}, s4[5];
        for (uint32_t& s : s4) s = r.source;
        fxBlend50(s4, t4, 5);
        for (uint32_t x : t4) EXPECT_EQ(x, r.result);
      } else {
        fxBlend50(&r.source, &t, 1);
        EXPECT_EQ(t, r.result);
      }
    }
  }
  fxInstallKernels(false);
}

TEST(FxBlend50, SimdTwinMatchesPlain) {
  std::mt19937 rng(6);
  std::vector<uint32_t> src(1003), a(1003), b;
  for (auto& x : src) x = rng();
  for (auto& x : a) x = rng();
  b = a;
  fxInstallKernels(true);
  fxBlend50(src.data(), a.data(), 1003);
  fxInstallKernels(false);
  fxBlend50(src.data(), b.data(), 1003);
  EXPECT_EQ(a, b);
  // Count 0 touches nothing.
  const std::vector<uint32_t> before = b;
  fxBlend50(src.data(), b.data(), 0);
  fxInstallKernels(true);
  fxBlend50(src.data(), b.data(), 0);
  fxInstallKernels(false);
  EXPECT_EQ(b, before);
}

std::vector<uint32_t> indexPicture(int w, int h) {
  std::vector<uint32_t> p(w * h);
  for (int i = 0; i < w * h; i++) p[i] = (uint32_t)i;
  return p;
}

TEST(FxScale, QuarterSizeTakesEveryFourthPixel) {
  const std::vector<uint32_t> src = indexPicture(320, 200);
  for (bool simd : {false, true}) {
    std::vector<uint32_t> out(80 * 50);
    fxInstallKernels(!simd);
    fxScale(src.data(), out.data(), 320, 200, 80, 50);
    for (int r = 0; r < 50; r++)
      for (int c = 0; c < 80; c++) ASSERT_EQ(out[r * 80 + c], (uint32_t)(4 * r * 320 + 4 * c)) << r << "," << c;
  }
  fxInstallKernels(false);
}

TEST(FxScale, MirroredScaleFlipsRows) {
  const std::vector<uint32_t> src = indexPicture(320, 200);
  for (bool simd : {false, true}) {
    std::vector<uint32_t> out(256 * 256);
    fxInstallKernels(!simd);
    fxScaleMirror(src.data(), out.data(), 320, 200, 256, 256);
    // stepX = 81920 (1.25 columns), stepY = 51200; row 0 <- (255 * 51200) >> 16 = 199.
    EXPECT_EQ(out[0], 199u * 320);
    EXPECT_EQ(out[1], 199u * 320 + 1);
    EXPECT_EQ(out[4], 199u * 320 + 5);
    EXPECT_EQ(out[255 * 256], 0u);  // last row <- source row 0
    EXPECT_EQ(out[255 * 256 + 255], (uint32_t)((255 * 81920) >> 16));
  }
  fxInstallKernels(false);
}

TEST(FxScale, SimdTwinMatchesPlain) {
  struct Size {
    int sw, sh, tw, th;
  } sizes[] = {
      {320, 200, 80, 50}, {320, 200, 256, 256}, {160, 100, 115, 87}, {320, 200, 320, 200},
      {7, 3, 13, 11},     {13, 11, 7, 3},       {1, 1, 5, 5},        {256, 256, 1, 1},
  };
  std::mt19937 rng(7);
  for (const Size& s : sizes) {
    std::vector<uint32_t> src(s.sw * s.sh);
    for (auto& x : src) x = rng();
    for (bool mirror : {false, true}) {
      std::vector<uint32_t> a(s.tw * s.th, 0), b(s.tw * s.th, 1);
      fxInstallKernels(true);
      fxKernels.scale(src.data(), a.data(), s.sw, s.sh, s.tw, s.th, mirror);
      fxInstallKernels(false);
      fxKernels.scale(src.data(), b.data(), s.sw, s.sh, s.tw, s.th, mirror);
      EXPECT_EQ(a, b) << s.sw << "x" << s.sh << " -> " << s.tw << "x" << s.th << (mirror ? " mirrored" : "");
    }
  }
  // A zero or negative size draws nothing.
  std::vector<uint32_t> src(4, 9), out(4, 3);
  fxInstallKernels(true);
  fxScale(src.data(), out.data(), 2, 2, 0, 2);
  fxInstallKernels(false);
  fxScale(src.data(), out.data(), 2, 2, 2, -1);
  EXPECT_EQ(out, std::vector<uint32_t>(4, 3));
}

}  // namespace

#include "x2d/x2d.h"

namespace {

TEST(FxGrid, LinePositionsAndClipping) {
  x2dInit(320, 240);
  x2dSetClipWindow(0, 0, 320, 200);
  std::vector<uint32_t> view(320 * 200, 0);
  fxGrid(15, 15, 8, 8, view.data());
  auto onLine = [](int p) { return p >= 15 && p <= 71 && (p - 15) % 8 == 0; };
  int white = 0;
  for (int y = 0; y < 200; y++)
    for (int x = 0; x < 320; x++) {
      const bool inBox = x >= 15 && x <= 71 && y >= 15 && y <= 71;
      const bool expect = inBox && (onLine(x) || onLine(y));
      white += view[y * 320 + x] != 0;
      ASSERT_EQ(view[y * 320 + x], expect ? 0xffffffu : 0u) << x << "," << y;
    }
  EXPECT_EQ(white, 8 * 57 + 8 * 57 - 64);  // 8 + 8 lines of 57 pixels, 64 crossings
  // A grid running off the view is clipped by the clip window.
  std::vector<uint32_t> edge(320 * 200, 0);
  fxGrid(300, 190, 8, 8, edge.data());
  EXPECT_EQ(edge[199 * 320 + 300], 0xffffffu);
  EXPECT_EQ(edge[190 * 320 + 319], 0xffffffu);
}

}  // namespace
