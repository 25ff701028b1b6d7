// Ray-cast tunnel, planes and sphere: grid sizes, the cell filler, symmetry, the depth
// coordinate, absolute angles, and rays that never meet their surface.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fx/xfdefcts.h"
#include "x3d/x3d.h"

namespace {

constexpr uint32_t SENTINEL = 0xff123456;  // no effect pixel has a non-zero top byte

std::vector<uint32_t> stripes() {
  std::vector<uint32_t> t(65536);
  for (uint32_t i = 0; i < 65536; i++) t[i] = ((i >> 8) << 16) | ((i & 255) << 8) | 0x80;
  return t;
}

class XFd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { x3dInit(320, 200, nullptr); }
  std::vector<uint32_t> tex = stripes();
};

TEST_F(XFd, GridSizes) {
  struct Row {
    int w, h, cols, rows;
  } rows[] = {
      {320, 200, 41, 26},  // 40 x 25 cells: exactly the picture
      {160, 104, 21, 14},  // 20 x 13 cells: 104 lines
      {160, 100, 21, 13},  // 20 x 12 cells: 96 lines, the last 4 untouched
  };
  for (const Row& r : rows) {
    xFdPlanes p(r.w, r.h, 256);
    EXPECT_EQ(p.fd.cols, r.cols);
    EXPECT_EQ(p.fd.rows, r.rows);
    EXPECT_FLOAT_EQ(p.fd.colStep, 1.0f / r.cols);
    EXPECT_EQ(p.fd.halfWidth, r.w / 2);
    EXPECT_EQ(p.fd.halfHeight, r.h / 2);
  }
}

TEST_F(XFd, LastLinesOf160x100AreNotDrawn) {
  xFdPlanes p(160, 100, 256);
  p.SetTexture(tex.data());
  p.SetPosition(0, 0, 10);
  p.SetAngles(0, 0, 0.3f);
  std::vector<uint32_t> view(160 * 100, SENTINEL);
  p.Render(view.data());
  int written = 0;
  for (int i = 0; i < 160 * 96; i++) written += view[i] != SENTINEL;
  EXPECT_GT(written, 160 * 96 / 2);
  for (int i = 160 * 96; i < 160 * 100; i++) ASSERT_EQ(view[i], SENTINEL) << i;
}

TEST_F(XFd, CellInterpolationAndShade) {
  xFdPlanes p(8, 8, 256);  // one cell
  ASSERT_EQ(p.fd.cols, 2);
  p.SetTexture(tex.data());
  xFdPoint** g = p.fd.grid;
  // u runs 8 texels across the cell (one per pixel), v 8 texels down; full light
  // just below 65536 (level 255) on the left, 32768 (level 128) on the right.
  g[0][0] = {0, 0, 65535};
  g[0][1] = {8 * 256, 0, 32768};
  g[1][0] = {0, 8 * 256, 65535};
  g[1][1] = {8 * 256, 8 * 256, 32768};
  std::vector<uint32_t> view(64, SENTINEL);
  xFdGridDraw(p.fd, view.data());
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) {
      // shade * 256 steps by (32768 - 65535) * 256 / 8 per pixel; level = bits 16-23.
      const int level = ((65535 * 256 + x * ((32768 - 65535) * 256 >> 3)) >> 16) & 255;
      const uint32_t t = tex[y * 256 + x];
      const uint32_t expect = (uint32_t)x3dShadeTable[level * 256 + ((t >> 16) & 255)] << 16 |
                              (uint32_t)x3dShadeTable[level * 256 + ((t >> 8) & 255)] << 8 |
                              x3dShadeTable[level * 256 + (t & 255)];
      ASSERT_EQ(view[y * 8 + x], expect) << x << "," << y;
    }
  EXPECT_EQ(view[0], (uint32_t)((0 << 16) | (0 << 8) | ((255 * 0x80) >> 8)));

  // A shade of exactly 65536 is level 256 & 255 = 0: nothing is written.
  for (int i = 0; i < 2; i++)
    for (int j = 0; j < 2; j++) g[i][j].shade = 65536;
  std::fill(view.begin(), view.end(), SENTINEL);
  xFdGridDraw(p.fd, view.data());
  for (uint32_t px : view) ASSERT_EQ(px, SENTINEL);
}

TEST_F(XFd, FarSurfacesLeaveLevelZeroPixelsUnwritten) {
  // Planes 100000 away: every grid shade is 0, so no pixel is touched.
  xFdPlanes p(320, 200, 100000);
  p.SetTexture(tex.data());
  p.SetAngles(0.1f, 0.2f, 0.3f);
  std::vector<uint32_t> view(64000, SENTINEL);
  p.Render(view.data());
  for (uint32_t px : view) ASSERT_EQ(px, SENTINEL);
}

TEST_F(XFd, AngleCoordinateIsMirrored) {
  // Grid rows i and 26 - i hold rays mirrored in y; the tunnel's angle coordinate
  // |atan2(y, x)| is the same for both (within float rounding).
  xFdTunnel t(320, 200, 400);
  t.SetTexture(tex.data());
  std::vector<uint32_t> view(64000);
  t.Render(view.data());
  for (int i = 1; i <= 12; i++)
    for (int j = 0; j < 41; j++) {
      ASSERT_NEAR(t.fd.grid[i][j].v, t.fd.grid[26 - i][j].v, 3) << i << "," << j;
      ASSERT_NEAR(t.fd.grid[i][j].u, t.fd.grid[26 - i][j].u, 3) << i << "," << j;
    }
  EXPECT_NE(t.fd.grid[1][0].v, t.fd.grid[1][20].v);
  // The sphere turned a quarter about x: view y becomes depth, mirrored in z.
  xFdSphere s(320, 200, 600);
  s.SetTexture(tex.data());
  s.SetAngles(1.5707964f, 0, 0);
  s.Render(view.data());
  for (int i = 1; i <= 12; i++)
    for (int j = 0; j < 41; j++) ASSERT_NEAR(s.fd.grid[i][j].v, s.fd.grid[26 - i][j].v, 3) << i << "," << j;
}

TEST_F(XFd, DepthCoordinateMovesWithCameraZ) {
  // One unit of camera z is 8 units of depth, 8 x 51.2 = 409.6 coordinate units.
  std::vector<uint32_t> view(64000);
  xFdTunnel t(320, 200, 400);
  t.SetTexture(tex.data());
  xFdPlanes p(320, 200, 256);
  p.SetTexture(tex.data());
  std::vector<xFdPoint> before;
  t.SetPosition(0, 0, 5), t.Render(view.data());
  for (int j = 0; j < 41; j++) before.push_back(t.fd.grid[3][j]);
  p.SetPosition(0, 0, 5), p.Render(view.data());
  for (int j = 0; j < 41; j++) before.push_back(p.fd.grid[3][j]);
  t.SetPosition(0, 0, 6), t.Render(view.data());
  p.SetPosition(0, 0, 6), p.Render(view.data());
  for (int j = 0; j < 41; j++) {
    EXPECT_NEAR(t.fd.grid[3][j].u - before[j].u, 409.6, 1.0) << j;
    EXPECT_EQ(t.fd.grid[3][j].v, before[j].v) << j;
    EXPECT_NEAR(p.fd.grid[3][j].v - before[41 + j].v, 409.6, 1.0) << j;  // planes: depth is v
    EXPECT_EQ(p.fd.grid[3][j].u, before[41 + j].u) << j;
  }
}

TEST_F(XFd, AnglesAreAbsolute) {
  xFdSphere a(320, 200, 600), b(320, 200, 600);
  a.SetTexture(tex.data()), b.SetTexture(tex.data());
  a.SetPosition(1, 1, 1), b.SetPosition(1, 1, 1);
  a.SetAngles(0.7f, 0.2f, 0.7f);
  b.SetAngles(0.7f, 0.2f, 0.7f);
  b.SetAngles(0.7f, 0.2f, 0.7f);
  std::vector<uint32_t> va(64000, 0), vb(64000, 0);
  a.Render(va.data()), b.Render(vb.data());
  EXPECT_EQ(va, vb);
  // And angle 0 brings back the unrotated corner rays.
  xFdTunnel t(320, 200, 300);
  const float c0 = t.fd.corner[2][0];
  t.SetAngles(1, 2, 3);
  t.SetAngles(0, 0, 0);
  EXPECT_FLOAT_EQ(t.fd.corner[2][0], c0);
  EXPECT_NEAR(c0, 160 / std::sqrt(160.0 * 160 + 100 * 100 + 128 * 128), 1e-6);
}

TEST_F(XFd, RaysThatNeverMeetTheSurface) {
  std::vector<uint32_t> view(64000, SENTINEL);
  // Planes: every ray level (D.y = 0); the hits are at infinity, so nothing lights up.
  xFdPlanes p(320, 200, 256);
  p.SetTexture(tex.data());
  for (auto& c : p.fd.corner) c[1] = 0.0f;
  p.Render(view.data());
  for (uint32_t px : view) ASSERT_EQ(px, SENTINEL);
  // Tunnel: every ray along the axis (0/0).
  xFdTunnel t(320, 200, 400);
  t.SetTexture(tex.data());
  for (auto& c : t.fd.corner) c[0] = c[1] = 0.0f, c[2] = 1.0f;
  t.Render(view.data());
  for (uint32_t px : view) ASSERT_EQ(px, SENTINEL);
  // A camera far outside the tunnel and the sphere: negative discriminants.
  t.SetAngles(0, 0.4f, 0);
  t.SetPosition(5000, -3000, 2);
  t.Render(view.data());
  xFdSphere s(320, 200, 600);
  s.SetTexture(tex.data());
  s.SetPosition(2000, 100, -4000);
  s.Render(view.data());
  for (int i = 0; i < s.fd.rows; i++)
    for (int j = 0; j < s.fd.cols; j++) ASSERT_GE(s.fd.grid[i][j].shade, 0);
}

TEST_F(XFd, RoundingHelpers) {
  EXPECT_EQ(xFdRound(2.5f), 2);  // nearest, ties to even
  EXPECT_EQ(xFdRound(3.5f), 4);
  EXPECT_EQ(xFdRound(-1.4f), -1);
  EXPECT_EQ(xFdRound(NAN), 0);
  EXPECT_EQ(xFdRound(INFINITY), 0);
  EXPECT_EQ(xFdRound(4294967296.0f + 65536.0f * 2), 131072);  // wraps modulo 2^32
  EXPECT_EQ(xFdShade(0.0f, 40.0f), 65536);
  EXPECT_EQ(xFdShade(10.0f, 40.0f), 65136);
  EXPECT_EQ(xFdShade(1639.0f, 40.0f), 0);  // 65560 > 65536: clamped
  EXPECT_EQ(xFdShade(INFINITY, 40.0f), 0);
  EXPECT_EQ(xFdShade(NAN, 40.0f), 0);
}

TEST_F(XFd, DestructorStepClearsTheGrid) {
  xFdGrid g;
  xFdGridInit(g, 320, 200);
  xFdGridFree(g);
  EXPECT_EQ(g.grid, nullptr);
  EXPECT_EQ(g.cols, 0);
  EXPECT_EQ(g.rows, 0);
  EXPECT_EQ(g.size, 0.0f);
}

TEST(XFdDeathTest, NullTextureIsAnAssertion) {
  EXPECT_EXIT(
      {
        xFdTunnel t(320, 200, 400);
        t.SetTexture(nullptr);
      },
      ::testing::ExitedWithCode(1), "Assertion failed\nFile Xfdefcts");
}

}  // namespace
