// Fixed-point fillers: fill convention, degenerate triangles, and each kind
// against the floating-point reference rasteriser on random triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "x3drendertest.h"

namespace {

class Fill : public ::testing::Test {
 protected:
  RenderTestView view;
  std::mt19937 rng{1234};
  void SetUp() override { view.init(); }
  void TearDown() override {
    useLevelShadeTable(false);
    useLevelFogTable(false);
  }
  float rnd(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
  void randomTriangle(float sx[3], float sy[3], float lo = -10.0f) {
    for (int i = 0; i < 3; i++) sx[i] = rnd(lo, 330.0f), sy[i] = rnd(lo, 210.0f);
  }
};

// Random convex quads split along a diagonal: the two halves drawn additively
// with 1 per channel leave no pixel at 2, and no gap inside the quad.
TEST_F(Fill, SharedEdgeFillsEveryPixelOnce) {
  int checkedInside = 0;
  for (int iter = 0; iter < 300; iter++) {
    float cx = rnd(40, 280), cy = rnd(40, 160);
    float ang[4];
    for (float& a : ang) a = rnd(0, 6.2831853f);
    std::sort(ang, ang + 4);
    float qx[4], qy[4];
    for (int i = 0; i < 4; i++) {
      float r = rnd(5, 60);
      qx[i] = cx + r * std::cos(ang[i]);
      qy[i] = cy + r * std::sin(ang[i]);
    }
    // Convex only (all turns the same way).
    bool convex = true;
    double sign = 0;
    for (int i = 0; i < 4; i++) {
      int j = (i + 1) % 4, k = (i + 2) % 4;
      double c = (qx[j] - qx[i]) * (qy[k] - qy[j]) - (qy[j] - qy[i]) * (qx[k] - qx[j]);
      if (std::fabs(c) < 20) convex = false;
      if (sign == 0) sign = c;
      if (c * sign <= 0) convex = false;
    }
    if (!convex) continue;
    view.clear();
    int d = iter & 1;  // either diagonal
    int a0 = d, a1 = d + 1, a2 = (d + 2) % 4, b2 = (d + 3) % 4;
    float tx[3] = {qx[a0], qx[a1], qx[a2]}, ty[3] = {qy[a0], qy[a1], qy[a2]};
    float ux[3] = {qx[a2], qx[b2], qx[a0]}, uy[3] = {qy[a2], qy[b2], qy[a0]};
    x3dClipPolygon p1 = screenTriangle(tx, ty), p2 = screenTriangle(ux, uy);
    for (int i = 0; i < 3; i++) p1.v[i].intensity = p2.v[i].intensity = 255.0f;
    x3dFillGouraudAdd(&p1, view.target(), 0x010101);
    x3dFillGouraudAdd(&p2, view.target(), 0x010101);
    for (uint32_t px : view.pixels) ASSERT_LE(px, 0x010101u) << "pixel filled twice, iteration " << iter;
    // Outer edges as half-planes in 16.16-rounded positions.
    double ex[4], ey[4];
    for (int i = 0; i < 4; i++) {
      float sx = i == a0 ? p1.v[0].sx : i == a1 ? p1.v[1].sx : i == a2 ? p1.v[2].sx : p2.v[1].sx;
      float sy = i == a0 ? p1.v[0].sy : i == a1 ? p1.v[1].sy : i == a2 ? p1.v[2].sy : p2.v[1].sy;
      ex[i] = std::lrint(sx * 65536.0) / 65536.0;
      ey[i] = std::lrint(sy * 65536.0) / 65536.0;
    }
    for (int y = 0; y < 200; y++)
      for (int x = 0; x < 320; x++) {
        bool inside = true;
        for (int i = 0; i < 4 && inside; i++) {
          int j = (i + 1) % 4;
          double len = std::hypot(ex[j] - ex[i], ey[j] - ey[i]);
          double c = ((ex[j] - ex[i]) * (y - ey[i]) - (ey[j] - ey[i]) * (x - ex[i])) / len;
          if ((sign > 0 ? c : -c) < 0.01) inside = false;
        }
        if (inside) {
          checkedInside++;
          ASSERT_EQ(view.at(x, y), 0x010101u) << "gap at " << x << "," << y << " iteration " << iter;
        }
      }
  }
  EXPECT_GT(checkedInside, 10000);
}

TEST_F(Fill, DegenerateTrianglesDrawNothing) {
  const float lines[][6] = {
      {10, 50, 90, 20, 20, 20},            // all three on one scan line
      {10, 30, 50, 10, 30, 50},            // on one diagonal line
      {10.2f, 10.4f, 10.9f, 5, 6, 7},      // vertical sliver inside one column: no pixel centre
      {40, 40, 40, 10, 10, 10},            // a point
      {20, 60, 100, 30.1f, 30.5f, 30.9f},  // within one row: ceil(top) = ceil(bottom)
  };
  for (const auto& l : lines) {
    view.clear();
    x3dClipPolygon p = screenTriangle(l, l + 3);
    for (int i = 0; i < 3; i++) p.v[i].intensity = 255;
    x3dFillFlat(&p, view.target(), 255, 255, 255);
    x3dFillTex(&p, view.target(), coordTexture().data());
    for (uint32_t px : view.pixels) ASSERT_EQ(px, 0u);
  }
}

TEST_F(Fill, OneScanLineTriangle) {
  float sx[3] = {10.3f, 40.7f, 25.0f}, sy[3] = {10.5f, 10.5f, 11.5f};
  x3dClipPolygon p = screenTriangle(sx, sy);
  for (int i = 0; i < 3; i++) p.v[i].intensity = 255;
  x3dFillGouraud(&p, view.target(), 0xFFFFFF);
  int count = 0;
  for (int y = 0; y < 200; y++)
    for (int x = 0; x < 320; x++)
      if (view.at(x, y)) {
        EXPECT_EQ(y, 11);
        count++;
      }
  // Row 11 lies halfway down: the span runs from 17.65 to 33.35 (projected), so 16 pixels.
  EXPECT_NEAR(count, 16, 1);
  EXPECT_GT(count, 0);
}

// Coverage identical to the reference and the interpolated level within one step.
struct KindCase {
  const char* name;
  void (*draw)(x3dClipPolygon*, uint32_t*, const uint32_t*);
  int attr;  // 0: level from word 18 read in blue; 1: u (word 13) in blue, v in green
  bool levelShade, levelFog;
};
void gouraud(x3dClipPolygon* p, uint32_t* t, const uint32_t*) { x3dFillGouraud(p, t, 0xFFFFFF); }
void gouraudFog(x3dClipPolygon* p, uint32_t* t, const uint32_t*) { x3dFillGouraudFog(p, t, 0xFFFFFF); }

TEST_F(Fill, KindsMatchReference) {
  const std::vector<uint32_t> tex = coordTexture();
  const KindCase cases[] = {
      {"gouraud", gouraud, 0, true, false},         // channel = intensity level
      {"gouraud fog", gouraudFog, 0, false, true},  // channel = fog level (intensity word 13 at 255)
      {"texture", x3dFillTex, 1, false, false},
      {"lit texture", x3dFillTexLit, 1, false, false},  // intensity 255: texels unchanged
      {"texture fog", x3dFillTexFog, 0, false, true},
  };
  for (const KindCase& kc : cases) {
    useLevelShadeTable(kc.levelShade);
    useLevelFogTable(kc.levelFog);
    int compared = 0, ambiguous = 0;
    for (int iter = 0; iter < 150; iter++) {
      float sx[3], sy[3], lv[3], u[3], v[3];
      randomTriangle(sx, sy);
      x3dClipPolygon p = screenTriangle(sx, sy);
      for (int i = 0; i < 3; i++) {
        lv[i] = rnd(0, 255);
        u[i] = rnd(-400, 400);
        v[i] = rnd(-400, 400);
        p.v[i].u = kc.attr == 1 ? u[i] : 255.0f;
        p.v[i].v = v[i];
        p.v[i].intensity = kc.attr == 1 ? 255.0f : lv[i];
      }
      if (kc.attr == 1 && std::string(kc.name) == "lit texture")
        for (int i = 0; i < 3; i++) p.v[i].intensity = 255.0f;
      view.clear(0xFF000000);
      kc.draw(&p, view.target(), tex.data());
      float px[3] = {p.v[0].sx, p.v[1].sx, p.v[2].sx}, py[3] = {p.v[0].sy, p.v[1].sy, p.v[2].sy};
      std::vector<RefPixel> ref;
      if (!refRasterise(px, py, ref)) continue;
      std::vector<uint8_t> seen(320 * 200, 0);
      for (const RefPixel& r : ref) {
        if (r.x < 0 || r.y < 0 || r.x >= 320 || r.y >= 200) continue;
        seen[r.y * 320 + r.x] = 1;
        uint32_t got = view.at(r.x, r.y);
        bool drawn = got != 0xFF000000;
        if (r.ambiguous) {
          ambiguous++;
          continue;
        }
        ASSERT_EQ(drawn, r.covered) << kc.name << " coverage at " << r.x << "," << r.y << " iter " << iter;
        if (!drawn) continue;
        compared++;
        if (kc.attr == 0) {
          double want = r.bary[0] * lv[0] + r.bary[1] * lv[1] + r.bary[2] * lv[2];
          ASSERT_NEAR(static_cast<double>(got & 255), std::floor(want), 1.0) << kc.name;
        } else {
          double wu = r.bary[0] * u[0] + r.bary[1] * u[1] + r.bary[2] * u[2];
          double wv = r.bary[0] * v[0] + r.bary[1] * v[1] + r.bary[2] * v[2];
          int du = (static_cast<int>(got & 255) - static_cast<int>(std::floor(wu))) & 255;
          int dv = (static_cast<int>((got >> 8) & 255) - static_cast<int>(std::floor(wv))) & 255;
          ASSERT_TRUE(du <= 1 || du == 255) << kc.name << " u " << wu << " got " << (got & 255);
          ASSERT_TRUE(dv <= 1 || dv == 255) << kc.name << " v " << wv;
        }
      }
      // Nothing drawn outside the reference's neighbourhood.
      for (int i = 0; i < 320 * 200; i++)
        if (!seen[i]) {
          ASSERT_EQ(view.pixels[i], 0xFF000000u) << kc.name << " stray pixel " << i % 320 << "," << i / 320;
        }
    }
    EXPECT_GT(compared, 100000) << kc.name;
    EXPECT_LT(ambiguous * 100, compared) << kc.name;
  }
}

TEST_F(Fill, ZBufferHoldsInterpolatedDepth) {
  for (int iter = 0; iter < 60; iter++) {
    float sx[3], sy[3];
    randomTriangle(sx, sy);
    x3dClipPolygon p;
    std::memset(&p, 0, sizeof(p));
    float z[3];
    for (int i = 0; i < 3; i++) {
      z[i] = rnd(5, 200);
      p.v[i] = screenVertex(sx[i], sy[i], z[i]);
    }
    p.count = 3;
    view.clearZ();
    x3dFillFlatZ(&p, view.target(), 1, 2, 3);
    float px[3] = {p.v[0].sx, p.v[1].sx, p.v[2].sx}, py[3] = {p.v[0].sy, p.v[1].sy, p.v[2].sy};
    std::vector<RefPixel> ref;
    if (!refRasterise(px, py, ref)) continue;
    for (const RefPixel& r : ref) {
      if (r.ambiguous || !r.covered || r.x < 0 || r.y < 0 || r.x >= 320 || r.y >= 200) continue;
      double want = (r.bary[0] * z[0] + r.bary[1] * z[1] + r.bary[2] * z[2]) * 65536.0;
      ASSERT_NEAR(x3dZBuffer[r.y * 320 + r.x], want, 2048.0);  // 1/32 unit of depth
    }
  }
}

TEST_F(Fill, TextureWrapsAt256AndBelowZero) {
  const std::vector<uint32_t> tex = coordTexture();
  struct Row {
    float u, v;
    uint32_t col, row;
  } rows[] = {
      {300.0f, 10.0f, 44, 10},     // 300 - 256
      {-10.0f, 20.0f, 246, 20},    // wraps from the other side
      {5.5f, -1.5f, 5, 254},       // -1.5 -> floor -2 -> 254
      {556.0f, 1000.0f, 44, 232},  // two and three turns
  };
  for (const Row& r : rows) {
    float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
    x3dClipPolygon p = screenTriangle(sx, sy);
    for (int i = 0; i < 3; i++) p.v[i].u = r.u, p.v[i].v = r.v;
    view.clear();
    x3dFillTex(&p, view.target(), tex.data());
    EXPECT_EQ(view.at(70, 50), r.row << 8 | r.col) << r.u << "," << r.v;
  }
}

TEST_F(Fill, LitTextureAndFlatShading) {
  std::vector<uint32_t> tex(65536, 0x7FC88040);  // top byte 0x7F, r 200, g 128, b 64
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  struct Row {
    float level;
    uint32_t expect;
  } rows[] = {
      {255.0f, 0x7FC88040},                                // unchanged, top byte too
      {128.0f, 0x7F000000 | 100u << 16 | 64u << 8 | 32u},  // (128 x c) >> 8
      {0.0f, 0x7F000000},                                  // black, top byte stays
  };
  for (const Row& r : rows) {
    x3dClipPolygon p = screenTriangle(sx, sy);
    for (int i = 0; i < 3; i++) p.v[i].intensity = r.level;
    view.clear();
    x3dFillTexLit(&p, view.target(), tex.data());
    EXPECT_EQ(view.at(70, 50), r.expect) << r.level;
  }
  // Flat at 255 is one step darker: the shade table is always applied.
  x3dClipPolygon p = screenTriangle(sx, sy);
  for (int i = 0; i < 3; i++) p.v[i].intensity = 255.0f;
  view.clear();
  x3dFillFlat(&p, view.target(), 255, 128, 0);
  EXPECT_EQ(view.at(70, 50), 0xFE7F00u);
  // Flat uses the mean intensity, truncated: (100 + 200 + 60) / 3 = 120.
  p = screenTriangle(sx, sy);
  p.v[0].intensity = 100, p.v[1].intensity = 200, p.v[2].intensity = 60;
  x3dFillFlat(&p, view.target(), 200, 100, 255);
  EXPECT_EQ(view.at(70, 50), (120u * 200 >> 8) << 16 | (120u * 100 >> 8) << 8 | (120u * 255 >> 8));
}

TEST_F(Fill, FogLevels) {
  x3dBuildFogTable(200.0f, 100.0f, 50.0f);
  std::vector<uint32_t> tex(65536, 0x00408020);
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  auto fogged = [](uint32_t c, uint32_t f) {
    uint32_t out = 0;
    const uint32_t fogc[3] = {200, 100, 50};
    for (int k = 0; k < 3; k++) {
      uint32_t ch = (c >> (16 - 8 * k)) & 255;
      out |= static_cast<uint32_t>(ch * (1.0f - f / 256.0f) + fogc[k] * (f / 256.0f)) << (16 - 8 * k);
    }
    return out;
  };
  for (float fog : {0.0f, 1.0f}) {
    x3dClipPolygon p = screenTriangle(sx, sy);
    for (int i = 0; i < 3; i++) p.v[i].intensity = fog * 255.9f;  // word 18 as the pipeline fills it
    view.clear();
    x3dFillTexFog(&p, view.target(), tex.data());
    EXPECT_EQ(view.at(70, 50), fog == 0.0f ? 0x408020u : fogged(0x408020, 255)) << fog;
    // Gouraud with fog: intensity 255 in word 13 leaves the colour, then the fog.
    for (int i = 0; i < 3; i++) p.v[i].u = 255.0f;
    x3dFillGouraudFog(&p, view.target(), 0x408020);
    EXPECT_EQ(view.at(70, 50), fog == 0.0f ? 0x408020u : fogged(0x408020, 255)) << fog;
  }
}

TEST_F(Fill, CoplanarZSecondWinsNearerStays) {
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  x3dClipPolygon a = screenTriangle(sx, sy, 10.0f), b = screenTriangle(sx, sy, 10.0f);
  for (int i = 0; i < 3; i++) a.v[i].intensity = b.v[i].intensity = 255;
  x3dFillGouraudZ(&a, view.target(), 0x112233);
  x3dFillGouraudZ(&b, view.target(), 0x445566);
  EXPECT_EQ(view.at(70, 50), 0x445566u);
  x3dClipPolygon far = screenTriangle(sx, sy, 20.0f);
  for (int i = 0; i < 3; i++) far.v[i].intensity = 255;
  x3dFillGouraudZ(&far, view.target(), 0x778899);
  EXPECT_EQ(view.at(70, 50), 0x445566u);
  EXPECT_EQ(x3dZBuffer[50 * 320 + 70], 10 << 16);
}

TEST_F(Fill, AdditiveSaturatesAndKeepsTopByte) {
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  x3dClipPolygon p = screenTriangle(sx, sy);
  for (int i = 0; i < 3; i++) p.v[i].intensity = 255;
  view.clear(0xABF01080);
  x3dFillGouraudAdd(&p, view.target(), 0x202090);
  EXPECT_EQ(view.at(70, 50), 0xABFF30FFu);
  std::vector<uint32_t> tex(65536, 0xCC010101);  // the texel's top byte is not added
  x3dFillTexAdd(&p, view.target(), tex.data());
  EXPECT_EQ(view.at(70, 50), 0xABFF31FFu);
}

// Every member writes the same coverage; Z members respect a nearer depth.
TEST_F(Fill, AllMembersDraw) {
  const std::vector<uint32_t> tex(65536, 0x00102030);
  using TexFn = void (*)(x3dClipPolygon*, uint32_t*, const uint32_t*);
  const TexFn texFns[] = {x3dFillTex,      x3dFillTexAdd,      x3dFillTexZ,      x3dFillTexAddZ,
                          x3dFillTexLit,   x3dFillTexLitAdd,   x3dFillTexLitZ,   x3dFillTexLitAddZ,
                          x3dFillTexFog,   x3dFillTexFogAdd,   x3dFillTexFogZ,   x3dFillTexFogAddZ,
                          x3dFillPersp,    x3dFillPerspAdd,    x3dFillPerspZ,    x3dFillPerspAddZ,
                          x3dFillPerspLit, x3dFillPerspLitAdd, x3dFillPerspLitZ, x3dFillPerspLitAddZ,
                          x3dFillPerspFog, x3dFillPerspFogAdd, x3dFillPerspFogZ, x3dFillPerspFogAddZ};
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  x3dBuildFogTable(0, 0, 0);
  int idx = 0;
  for (TexFn fn : texFns) {
    x3dClipPolygon p = screenTriangle(sx, sy, 50.0f);
    for (int i = 0; i < 3; i++) p.v[i].intensity = 200;
    view.clear();
    view.clearZ();
    fn(&p, view.target(), tex.data());
    int count = 0;
    for (uint32_t px : view.pixels) count += px != 0;
    EXPECT_GT(count, 4800) << idx;
    EXPECT_LT(count, 5000) << idx;
    if (idx % 4 >= 2) {  // Z members: a nearer depth everywhere blocks them
      for (int i = 0; i < x3dPixelCount; i++) x3dZBuffer[i] = 1 << 16;
      view.clear();
      fn(&p, view.target(), tex.data());
      for (uint32_t px : view.pixels) ASSERT_EQ(px, 0u) << idx;
    }
    idx++;
  }
}

// Triangles far outside the view or with vertices at z = 0 never write outside it.
TEST_F(Fill, NothingWrittenOutsideTheView) {
  std::vector<uint32_t> big(320 * 260, 0x55555555);
  uint32_t* target = big.data() + 320 * 30;  // 30 guard rows above and below
  const std::vector<uint32_t> tex(65536, 0x00FFFFFF);
  for (int iter = 0; iter < 200; iter++) {
    float sx[3], sy[3];
    for (int i = 0; i < 3; i++) sx[i] = rnd(-3000, 3000), sy[i] = rnd(-3000, 3000);
    x3dClipPolygon p = screenTriangle(sx, sy);
    if (iter % 7 == 0) p.v[iter % 3].pos[2] = 0.0f;
    for (int i = 0; i < 3; i++) p.v[i].intensity = 255;
    x3dClipPolygon q = p;
    x3dFillTexLitZ(&q, target, tex.data());
    q = p;
    x3dFillPerspAdd(&q, target, tex.data());
    q = p;
    x3dFillFlat(&q, target, 1, 2, 3);
  }
  for (int i = 0; i < 320 * 30; i++) ASSERT_EQ(big[i], 0x55555555u);
  for (int i = 320 * 230; i < 320 * 260; i++) ASSERT_EQ(big[i], 0x55555555u);
}

}  // namespace
