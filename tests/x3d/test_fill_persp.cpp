// Perspective-correct fillers and the wireframe line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "x2d/x2d.h"
#include "x3drendertest.h"

namespace {

class Persp : public ::testing::Test {
 protected:
  RenderTestView view;
  void SetUp() override { view.init(); }
  void TearDown() override { x3dLineTable(1, 2); }
};

// Texel column seen at a pixel, and the true perspective u there (u/z and 1/z are
// affine on the screen).
double trueU(const x3dClipPolygon& p, int a, int b, int c, double x, double y) {
  const x3dVertex *A = &p.v[a], *B = &p.v[b], *C = &p.v[c];
  double area = (B->sx - A->sx) * (C->sy - A->sy) - (C->sx - A->sx) * (B->sy - A->sy);
  double lb = ((x - A->sx) * (C->sy - A->sy) - (C->sx - A->sx) * (y - A->sy)) / area;
  double lc = ((B->sx - A->sx) * (y - A->sy) - (x - A->sx) * (B->sy - A->sy)) / area;
  double la = 1 - lb - lc;
  double rz = la * A->rz + lb * B->rz + lc * C->rz;
  double uz = la * A->rz * A->u + lb * B->rz * B->u + lc * C->rz * C->u;
  return uz / rz;
}

// A tall thin triangle whose first rows span 33 pixels and a few rows further 32;
// the plane recedes to the right so u is far from affine.
TEST_F(Persp, RunsOf32And33StartExact) {
  const std::vector<uint32_t> tex = coordTexture();
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  p.v[0] = screenVertex(10.5f, 10.5f, 2.0f);
  p.v[1] = screenVertex(43.5f, 10.5f, 4.0f);
  p.v[2] = screenVertex(10.5f, 199.0f, 2.0f);
  p.v[0].u = 0, p.v[1].u = 250, p.v[2].u = 0;
  p.count = 3;
  x3dFillPersp(&p, view.target(), tex.data());
  int rows32 = 0, rows33 = 0;
  for (int y = 11; y < 40; y++) {
    int xs = -1, xe = -1;
    for (int x = 0; x < 320; x++)
      if (view.at(x, y) != 0) {
        if (xs < 0) xs = x;
        xe = x + 1;
      }
    if (xs < 0) continue;
    int n = xe - xs;
    rows32 += n == 32;
    rows33 += n == 33;
    int prev = -1;
    for (int x = xs; x < xe; x++) {
      int got = view.at(x, y) & 255;
      EXPECT_GE(got, prev) << "u runs backwards at " << x << "," << y;
      prev = got;
      // Run starts (every 32nd pixel) sit on exact perspective values.
      if ((x - xs) % 32 == 0) {
        EXPECT_NEAR(got, trueU(p, 0, 1, 2, x, y), 1.0) << "row " << y << " x " << x;
      }
    }
    // The 33rd pixel is a one-pixel remainder taking the whole difference: exact too.
    if (n == 33) {
      EXPECT_NEAR(view.at(xs + 32, y) & 255, trueU(p, 0, 1, 2, xs + 32, y), 1.0);
    }
  }
  EXPECT_GT(rows32, 0);
  EXPECT_GT(rows33, 0);
}

// A floor seen at a grazing angle: neighbouring pixels across a run boundary never
// jump more than the steps inside the runs do (no seams).
TEST_F(Persp, GrazingPlaneHasNoSeams) {
  const std::vector<uint32_t> tex = coordTexture();
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  // A floor y = -1 from z = 1.5 to z = 60, 40 units wide.
  const float xz[4][2] = {{-20, 1.5f}, {20, 1.5f}, {20, 60}, {-20, 60}};
  const float uv[4][2] = {{0, 0}, {255, 0}, {255, 255}, {0, 255}};
  for (int i = 0; i < 4; i++) {
    x3dVertex& v = p.v[i];
    v.pos[0] = xz[i][0], v.pos[1] = -1.0f, v.pos[2] = xz[i][1];
    v.u = uv[i][0], v.v = uv[i][1];
  }
  p.count = 4;
  // Side-plane clipping first, as the pipeline would.
  for (int i = 0; i < 4; i++) p.v[i].flags = x3dOutcode(p.v[i].pos[0], p.v[i].pos[1], p.v[i].pos[2]);
  x3dClipPolygon a, b;
  x3dClipLeft(&p, &a);
  x3dClipRight(&a, &b);
  x3dClipBottom(&b, &a);
  ASSERT_GE(a.count, 3);
  x3dFillPersp(&a, view.target(), tex.data());
  int checked = 0;
  for (int y = 0; y < 200; y++) {
    for (int x = 1; x < 320; x++) {
      uint32_t l = view.at(x - 1, y), r = view.at(x, y);
      if (!l || !r) continue;
      int du = static_cast<int>(r & 255) - static_cast<int>(l & 255);
      EXPECT_GE(du, -1) << x << "," << y;  // u grows to the right: no step back at a boundary
      EXPECT_LE(du, 3) << x << "," << y;
      checked++;
    }
  }
  EXPECT_GT(checked, 5000);
}

TEST_F(Persp, LitAndFogLimits) {
  std::vector<uint32_t> tex(65536, 0x33FFFFFF);
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  struct Row {
    float level;
    uint32_t lit;
  } rows[] = {
      {300.0f, 0xFEFEFE},                      // above 255: drawn at 255, one step darker than the texel
      {255.0f, 0xFEFEFE}, {128.0f, 0x7F7F7F},  // (128 x 255) >> 8
      {0.0f, 0},                               // at or below 0: black
      {-20.0f, 0},
  };
  for (const Row& r : rows) {
    x3dClipPolygon p = screenTriangle(sx, sy, 4.0f);
    for (int i = 0; i < 3; i++) p.v[i].intensity = r.level;
    view.clear();
    x3dFillPerspLit(&p, view.target(), tex.data());
    EXPECT_EQ(view.at(70, 50), r.lit) << r.level;
  }
  x3dBuildFogTable(10, 20, 30);
  tex.assign(65536, 0x00C86432);  // 200, 100, 50
  for (float level : {300.0f, 255.0f, 0.0f, -5.0f}) {
    x3dClipPolygon p = screenTriangle(sx, sy, 4.0f);
    for (int i = 0; i < 3; i++) p.v[i].intensity = level;
    view.clear();
    x3dFillPerspFog(&p, view.target(), tex.data());
    uint32_t want = level <= 0 ? 0x00C86432u
                               : (uint32_t)(200 / 256.0f + 10 * 255 / 256.0f) << 16 |
                                     (uint32_t)(100 / 256.0f + 20 * 255 / 256.0f) << 8 |
                                     (uint32_t)(50 / 256.0f + 30 * 255 / 256.0f);
    EXPECT_EQ(view.at(70, 50), want) << level;
  }
}

TEST_F(Persp, ZMembersCompareDepth) {
  const std::vector<uint32_t> tex(65536, 0x00ABCDEF);
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  x3dClipPolygon p = screenTriangle(sx, sy, 8.0f);
  x3dFillPerspZ(&p, view.target(), tex.data());
  EXPECT_EQ(view.at(70, 50), 0xABCDEFu);
  EXPECT_NEAR(x3dZBuffer[50 * 320 + 70], 8 << 16, 8);
  x3dClipPolygon q = screenTriangle(sx, sy, 8.0f);
  const std::vector<uint32_t> tex2(65536, 0x00010101);
  x3dFillPerspAddZ(&q, view.target(), tex2.data());  // equal depth: drawn
  EXPECT_EQ(view.at(70, 50), 0xACCEF0u);
  x3dClipPolygon r = screenTriangle(sx, sy, 9.0f);
  x3dFillPerspZ(&r, view.target(), tex2.data());  // farther: hidden
  EXPECT_EQ(view.at(70, 50), 0xACCEF0u);
}

// ---- wireframe ----

TEST_F(Persp, LineOfLengthZeroDrawsNothing) {
  x3dDrawLine(40, 40, 40, 40, 0xFFFFFF, view.target());
  for (uint32_t px : view.pixels) ASSERT_EQ(px, 0u);
}

TEST_F(Persp, HorizontalLineWithFaintNeighbours) {
  x3dDrawLine(100, 50, 110, 50, 0xFFFFFF, view.target());
  // Table mode 1, shift 2: entry 0 = 63 on the line, entry 128 = 21 beside it.
  const uint32_t on = 0x3E3E3E;    // floor(63 x 255 / 256) = 62
  const uint32_t side = 0x141414;  // floor(21 x 255 / 256) = 20
  for (int x = 100; x < 110; x++) {
    EXPECT_EQ(view.at(x, 50), on) << x;
    EXPECT_EQ(view.at(x, 49), side) << x;
    EXPECT_EQ(view.at(x, 51), side) << x;
  }
  EXPECT_EQ(view.at(110, 50), 0u);  // the end point is not drawn
  EXPECT_EQ(view.at(99, 50), 0u);
  int count = 0;
  for (uint32_t px : view.pixels) count += px != 0;
  EXPECT_EQ(count, 30);
}

TEST_F(Persp, PlainLinesInModeZero) {
  x3dLineTable(0, 0);
  x3dDrawLine(10, 10, 20, 15, 0xFF123456, view.target());
  int count = 0;
  for (uint32_t px : view.pixels) {
    if (px) {
      EXPECT_EQ(px, 0x123456u);
    }
    count += px != 0;
  }
  EXPECT_EQ(count, 10);
  EXPECT_EQ(view.at(10, 10), 0x123456u);
}

// Lines whose footprint leaves the view are clipped pixel by pixel.
TEST_F(Persp, LinesNeverWriteOutsideTheView) {
  std::vector<uint32_t> big(320 * 260, 0x55555555);
  uint32_t* target = big.data() + 320 * 30;
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> d(-500, 800);
  for (int i = 0; i < 300; i++) x3dDrawLine(d(rng), d(rng), d(rng), d(rng), 0xFFFFFF, target);
  x3dDrawLine(0, 0, 319, 0, 0xFFFFFF, target);      // neighbours above row 0
  x3dDrawLine(0, 199, 319, 199, 0xFFFFFF, target);  // and below row 199
  for (int i = 0; i < 320 * 30; i++) ASSERT_EQ(big[i], 0x55555555u);
  for (int i = 320 * 230; i < 320 * 260; i++) ASSERT_EQ(big[i], 0x55555555u);
}

TEST_F(Persp, WireDrawsEveryFanEdge) {
  float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
  x3dClipPolygon p = screenTriangle(sx, sy, 5.0f);
  x3dLineTable(0, 0);
  x3dDrawWire(&p, 255, 0, 0, view.target());
  // Wire projection (2-pixel margin) of the three corners: all are line ends.
  int count = 0;
  for (uint32_t px : view.pixels) count += px == 0xFF0000u;
  EXPECT_GT(count, 250);
  EXPECT_LT(count, 330);
}

}  // namespace
