// Whole frames of hand-built scenes in both modes, compared pixel for pixel
// with the images stored in tests/data. After an intended change of the
// renderer, regenerate them with
//   QV_UPDATE_GOLDEN=1 build/tests/test_x3d --gtest_filter='RenderGolden.*'
// and look at the new pictures before committing them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/qvtest.h"
#include "x2d/x2d.h"
#include "x3d/x3drender.h"
#include "x3dtestscene.h"

namespace {

// Rotation about y by a, then about x by b, uniform scale s, at position p.
void pose(x3dObject& o, float a, float b, float s, const float p[3]) {
  float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  const float r[3][3] = {{ca, 0, sa}, {sa * sb, cb, -ca * sb}, {-sa * cb, sb, ca * cb}};
  for (int i = 0; i < 3; i++) {
    for (int j = 0; j < 3; j++) o.matrix[i][j] = r[i][j] * s;
    o.matrix[i][3] = p[i];
  }
}

class RenderGolden : public ::testing::Test {
 protected:
  std::vector<uint32_t> pixels;
  void SetUp() override {
    x3dInit(320, 200, nullptr);
    x2dInit(320, 240);
    x3dLineTable(1, 2);
    pixels.assign(320 * 200, 0x00102030);
  }
  void frame() {
    x3dTransformScene();
    x3dLightScene();
    x3dRenderScene(pixels.data());
  }
  void compare(const char* name) {
    std::string failure = qvGoldenCompare(name, pixels.data(), 320, 200, 320);
    if (!failure.empty()) FAIL() << failure;
    if (qvUpdatingGolden()) GTEST_SKIP() << "regenerated " << name;
    // A golden frame worth its name shows a real picture.
    int distinct = 0;
    std::vector<uint32_t> sorted(pixels);
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 1; i < sorted.size(); i++) distinct += sorted[i] != sorted[i - 1];
    EXPECT_GT(distinct, 200) << name;
  }
};

TEST_F(RenderGolden, ZBufferScene) {
  TestScene ts(true, 300.0f);
  const uint32_t* t0 = ts.texture(0);
  const uint32_t* t1 = ts.texture(1);
  const float o[3] = {0, 0, 0}, pBox[3] = {-9, 2, 10}, pSph[3] = {8, 1, 6}, pFloor[3] = {0, -6, 20},
              pAdd[3] = {0, 4, 0}, pWire[3] = {14, 9, 30};
  int box = ts.box(5.0f, ts.material(5, 255, 255, 255, t0), o);  // lit texture
  ts.sphere(12, 16, 6.0f, ts.material(2, 90, 200, 255), pSph);   // Gouraud
  ts.floor(8, 8.0f, ts.material(8, 255, 255, 255, t1), pFloor);  // perspective, lit
  ts.sphere(8, 12, 3.0f, ts.material(9, 120, 40, 10), pAdd);     // flat additive (pass 2)
  ts.box(3.0f, nullptr, pWire);                                  // no material: white wire
  const float l1[3] = {-20, 25, -30}, l2[3] = {25, 10, -10}, l3[3] = {0, 20, 15};
  ts.light(X3D_LIGHT_OMNI, l1, 0.9f, 0.8f, 0.7f);
  x3dLight* spot = ts.light(X3D_LIGHT_SPOT | X3D_LIGHT_ATTENUATED, l2, 0.2f, 0.5f, 1.0f);
  spot->target[0] = 8, spot->target[1] = 0, spot->target[2] = 6;
  spot->cosHotspot = std::cos(0.2f), spot->cosFalloff = std::cos(0.35f);
  spot->innerRange = 20, spot->outerRange = 60;
  ts.light(X3D_LIGHT_OMNI, l3, 0.3f, 0.3f, 0.3f)->flare = ts.flare(64, 900.0f, 0xFFC080);
  const float eye[3] = {0, 12, -45}, look[3] = {0, 0, 10};
  ts.finish(eye, look, 60.0f);
  pose(ts.scene.objects[box], 0.6f, 0.35f, 1.0f, pBox);
  frame();
  compare("render_zbuffer.png");
}

TEST_F(RenderGolden, PainterScene) {
  TestScene ts(false, 300.0f);
  const uint32_t* t0 = ts.texture(2);
  const uint32_t* t1 = ts.texture(3);
  const float o[3] = {0, 0, 0}, pEnv[3] = {-10, 2, 8}, pTex[3] = {9, 0, 4}, pFloor[3] = {0, -7, 20},
              pAdd[3] = {2, 6, -4}, pWire[3] = {-16, 10, 30}, pFlat[3] = {14, 10, 25};
  ts.sphere(12, 16, 6.0f, ts.material(6, 255, 255, 255, t0), pEnv);  // environment map, lit
  int box = ts.box(4.5f, ts.material(3, 255, 255, 255, t1), o);      // texture, unlit
  ts.floor(8, 8.0f, ts.material(7, 255, 255, 255, t0), pFloor);      // perspective, unlit
  ts.sphere(8, 12, 4.0f, ts.material(13, 255, 255, 255, t1), pAdd);  // lit texture, additive
  ts.sphere(6, 8, 4.0f, ts.material(0, 40, 255, 90), pWire);         // wireframe material
  ts.box(3.0f, nullptr, pFlat);                                      // no material: orange wire
  ts.sphere(6, 10, 3.0f, ts.material(1, 250, 220, 40), pFlat);       // flat inside the wire box
  const float l1[3] = {-25, 30, -25}, l2[3] = {20, 5, -5};
  ts.light(X3D_LIGHT_OMNI, l1, 1.0f, 0.9f, 0.8f);
  ts.light(X3D_LIGHT_OMNI, l2, 0.4f, 0.6f, 1.0f)->flare = ts.flare(48, 700.0f, 0x80C0FF);
  const float eye[3] = {0, 10, -42}, look[3] = {0, 0, 10};
  ts.finish(eye, look, 64.0f);
  pose(ts.scene.objects[box], -0.5f, 0.5f, 1.0f, pTex);
  frame();
  compare("render_painter.png");
}

TEST_F(RenderGolden, FogScene) {
  TestScene ts(false, 120.0f, true, 60.0f, 80.0f, 110.0f);
  const uint32_t* t0 = ts.texture(1);
  const float pFloor[3] = {0, -5, 50}, pA[3] = {-8, 0, 10}, pB[3] = {6, 2, 45}, pC[3] = {-4, 4, 80},
              pD[3] = {14, 3, 20};
  ts.floor(14, 8.0f, ts.material(8, 255, 255, 255, t0), pFloor);   // perspective with fog
  ts.sphere(10, 14, 5.0f, ts.material(2, 255, 120, 60), pA);       // Gouraud with fog
  ts.sphere(10, 14, 6.0f, ts.material(5, 255, 255, 255, t0), pB);  // texture with fog
  ts.sphere(10, 14, 8.0f, ts.material(1, 120, 255, 120), pC);      // flat: Gouraud with fog, far and faded
  ts.sphere(8, 12, 4.0f, ts.material(10, 90, 60, 200), pD);        // Gouraud fog, additive
  const float l1[3] = {-20, 40, -20};
  ts.light(X3D_LIGHT_OMNI, l1, 1.0f, 1.0f, 1.0f);
  const float eye[3] = {0, 6, -18}, look[3] = {0, 0, 40};
  ts.finish(eye, look, 70.0f);
  frame();
  compare("render_fog.png");
}

}  // namespace
