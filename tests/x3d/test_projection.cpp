// The projection of the 320x200 view: square pixels, the horizontal field of view from the
// camera, and side planes that cut exactly at the view's edges.
#include <gtest/gtest.h>

#include <vector>

#include "x2d/x2d.h"
#include "x3d/x3drender.h"
#include "x3dtestscene.h"

namespace {

const uint32_t kBack = 0x00102030;

struct Box {
  int left = 320, top = 200, right = -1, bottom = -1;
};

// Renders one flat-lit sphere at `at` seen from the origin along +z; the box of what it drew.
Box drawSphere(const float at[3], float radius, float fov, std::vector<uint32_t>& px) {
  x3dInit(320, 200, nullptr);
  x2dInit(320, 240);
  x3dLineTable(1, 2);
  TestScene ts(true, 1000.0f);
  ts.sphere(24, 32, radius, ts.material(1, 255, 255, 255), at);
  const float l[3] = {0, 0, -10};
  ts.light(X3D_LIGHT_OMNI, l, 1.0f, 1.0f, 1.0f);
  const float eye[3] = {0, 0, 0}, look[3] = {0, 0, 1};
  ts.finish(eye, look, fov);
  px.assign(320 * 200, kBack);
  x3dTransformScene();
  x3dLightScene();
  x3dRenderScene(px.data());
  Box b;
  for (int y = 0; y < 200; y++)
    for (int x = 0; x < 320; x++)
      if (px[(size_t)y * 320 + x] != kBack) {
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
  return b;
}

TEST(Projection, SquarePixelsAndHorizontalFieldOfView) {
  x3dInit(320, 200, nullptr);
  x3dCamera c{};
  x3dCameraViewport(&c, 320, 200);
  x3dCameraProjection(&c, 90.0f);
  EXPECT_NEAR(c.projection[0][0], 1.0f, 1e-6);
  EXPECT_NEAR(c.projection[1][1], 1.6f, 1e-6);
  EXPECT_NEAR(c.sideSine, 1.0f / std::sqrt(2.0f), 0.004);
  EXPECT_NEAR(c.sideSineY, 1.0f / std::sqrt(1.6f * 1.6f + 1.0f), 0.004);

  // A sphere in the middle of the view is as wide as it is tall: about 2 x 160 x tan(asin(r / d)).
  std::vector<uint32_t> px;
  const float mid[3] = {0, 0, 100};
  Box b = drawSphere(mid, 20.0f, 90.0f, px);
  int w = b.right - b.left + 1, h = b.bottom - b.top + 1;
  EXPECT_NEAR(w, 65, 3);
  EXPECT_NEAR(h, w, 2) << "the sphere is " << w << " x " << h;
  EXPECT_NEAR((b.left + b.right) / 2.0, 159.5, 1.5);
  EXPECT_NEAR((b.top + b.bottom) / 2.0, 99.5, 1.5);
}

TEST(Projection, SidePlanesCutAtTheViewEdges) {
  std::vector<uint32_t> px;
  // With a 90 degree field, the top edge is at y = z / 1.6 (62.5 at z = 100). A sphere of
  // radius 10 whose centre lies 8 units beyond the top plane still reaches into the view.
  const float dy = 1.0f / std::sqrt(1.6f * 1.6f + 1.0f);  // y per unit of distance to the plane
  const float reaching[3] = {0, 62.5f + 8.0f / dy / 1.6f, 100};
  Box b = drawSphere(reaching, 10.0f, 90.0f, px);
  EXPECT_EQ(b.top, 0) << "clipped although it reaches into the view";
  EXPECT_GT(b.bottom, 0);
  // The same sphere wholly beyond the top plane draws nothing.
  const float beyond[3] = {0, 62.5f + 12.0f / dy / 1.6f, 100};
  b = drawSphere(beyond, 10.0f, 90.0f, px);
  EXPECT_EQ(b.bottom, -1);
  // Left and right planes at x = +-z: a sphere straddling the right edge reaches column 319.
  const float right[3] = {100, 0, 100};
  b = drawSphere(right, 10.0f, 90.0f, px);
  EXPECT_EQ(b.right, 319);
  EXPECT_LT(b.left, 319);
}

}  // namespace
