// Transform, culling, lighting, depth sort, scene rendering and lens flares.
#include <gtest/gtest.h>

#include <cstring>

#include "x2d/x2d.h"
#include "x3d/raster/x3dfill.h"
#include "x3d/x3drender.h"
#include "x3dtestscene.h"

namespace {

class Render : public ::testing::Test {
 protected:
  std::vector<uint32_t> pixels;
  void SetUp() override {
    x3dInit(320, 200, nullptr);
    x2dInit(320, 240);
    pixels.assign(320 * 200, 0);
  }
  int lit() const {
    int n = 0;
    for (uint32_t p : pixels) n += p != 0;
    return n;
  }
  static constexpr float kEye[3] = {0, 0, -20};
  static constexpr float kLook[3] = {0, 0, 0};
};

TEST_F(Render, NearAndFarRejection) {
  struct Row {
    float z, radius;
    bool drawn;
  } rows[] = {
      {-18.5f, 1.0f, false},  // sphere ends at view z = 2.5: nearer than 3
      {-17.5f, 1.0f, true},   // straddles z = 3: drawn, clipped by the side planes only
      {90.0f, 5.0f, true},    // reaches back to z = 105 < D + radius
      {106.0f, 5.0f, false},  // nearest point beyond D = 120
  };
  for (const Row& r : rows) {
    TestScene ts(false, 120.0f);
    const float at[3] = {0, 0, r.z};
    ts.sphere(6, 8, r.radius, ts.material(1, 200, 200, 200), at);
    ts.finish(kEye, kLook);
    x3dTransformScene();
    EXPECT_EQ(ts.scene.listCount > 0, r.drawn) << r.z;
  }
}

TEST_F(Render, BackFacesAndUsedVerticesOnly) {
  TestScene ts(true, 200.0f);
  const float at[3] = {0, 0, 0};
  ts.box(3.0f, ts.material(1, 200, 200, 200), at);
  ts.finish(kEye, kLook);
  for (int i = 0; i < 24; i++) ts.scene.objects[0].vertices[i].view[0] = 12345.0f;  // sentinel
  x3dTransformScene();
  // Looking straight at one side: its two triangles face the camera.
  EXPECT_EQ(ts.scene.listCount, 2);
  int transformed = 0;
  for (int i = 0; i < 24; i++) transformed += ts.scene.objects[0].vertices[i].view[0] != 12345.0f;
  EXPECT_EQ(transformed, 4);
  int back = 0;
  for (int j = 0; j < 12; j++) back += ts.scene.objects[0].faces[j].clipCode == X3D_CLIP_BACKFACE;
  EXPECT_EQ(back, 10);
  x3dLightScene();
  for (int i = 0; i < 24; i++) EXPECT_EQ(ts.scene.objects[0].vertices[i].flags & X3D_VTX_USED, 0u);
}

TEST_F(Render, SortPutsNegativeDepthsAfterPositive) {
  const float depths[] = {5.0f, -1.0f, 2.0f, 0.5f, -3.0f, 10.0f, 2.0f};
  x3dSceneList a[7], b[7];
  for (int i = 0; i < 7; i++) a[i] = {reinterpret_cast<void*>(static_cast<intptr_t>(i + 1)), depths[i], 1};
  x3dSortList(a, b, 7);
  // Unsigned bit patterns: positives ascending, then -1 (0xBF800000) before -3 (0xC0400000).
  const float want[] = {0.5f, 2.0f, 2.0f, 5.0f, 10.0f, -1.0f, -3.0f};
  for (int i = 0; i < 7; i++) EXPECT_EQ(a[i].depth, want[i]) << i;
  EXPECT_EQ(reinterpret_cast<intptr_t>(a[1].item), 3);  // stable: the first 2.0 stays first
  EXPECT_EQ(reinterpret_cast<intptr_t>(a[2].item), 7);
}

TEST_F(Render, PainterListsFlaresOnlyForFlareLights) {
  for (bool zb : {false, true}) {
    TestScene ts(zb, 200.0f);
    const float at[3] = {0, 0, 0}, l1[3] = {0, 5, -5}, l2[3] = {5, 0, -5};
    ts.sphere(6, 8, 3.0f, ts.material(2, 200, 200, 200), at);
    ts.light(X3D_LIGHT_OMNI, l1, 1, 1, 1);
    ts.light(X3D_LIGHT_OMNI, l2, 1, 1, 1)->flare = ts.flare(32, 100.0f, 0xFFFFFF);
    ts.finish(kEye, kLook);
    x3dTransformScene();
    int flares = 0;
    for (int i = 0; i < ts.scene.listCount; i++)
      if (ts.scene.listA[i].kind == X3D_LIST_FLARE) {
        flares++;
        EXPECT_EQ(ts.scene.listA[i].item, &ts.lights[1]);
      }
    EXPECT_EQ(flares, zb ? 0 : 1);
    EXPECT_EQ(ts.scene.visibleLightCount, 2);  // every light is visible to the lighting
    // Painter list ascending by depth.
    for (int i = 1; !zb && i < ts.scene.listCount; i++) EXPECT_LE(ts.scene.listA[i - 1].depth, ts.scene.listA[i].depth);
  }
}

// One visible face, lit by hand-placed lights; returns vertex 0's intensity.
struct OneFace {
  TestScene ts{true, 100.0f};
  OneFace(float z, bool nolight) {
    // A square facing the camera at view depth z (camera at -20).
    std::vector<float> pos = {-1, -1, z - 20, 1, -1, z - 20, 1, 1, z - 20, -1, 1, z - 20};
    const float at[3] = {0, 0, 0};
    int o = ts.mesh(pos, {}, {0, 1, 2, 0, 2, 3}, ts.material(2, 255, 255, 255), at, 2);
    (void)o;
  }
  void run(bool nolight = false) {
    const float eye[3] = {0, 0, -20}, look[3] = {0, 0, 0};
    // Normal sense: faces must point away from the camera: flip when needed.
    x3dObject& obj = ts.objects[0];
    if (obj.faces[0].normal[2] < 0)
      for (int j = 0; j < obj.faceCount; j++) {
        std::swap(obj.faces[j].vb, obj.faces[j].vc);
        for (float& n : obj.faces[j].normal) n = -n;
      }
    for (int i = 0; i < obj.vertexCount; i++)
      obj.vertices[i].normal[0] = 0, obj.vertices[i].normal[1] = 0, obj.vertices[i].normal[2] = 1;
    if (nolight) obj.flags |= X3D_OBJ_NOLIGHT;
    ts.finish(eye, look, 90.0f);
    x3dTransformScene();
    x3dLightScene();
  }
  x3dVertex& v(int i) { return ts.objects[0].vertices[i]; }
};

TEST_F(Render, NoLightsIsBlackUnlitIsPointSeven) {
  OneFace a(10.0f, false);
  a.run();
  ASSERT_GT(a.ts.scene.listCount, 0);
  EXPECT_EQ(a.v(0).intensity, 0.0f);
  OneFace b(10.0f, true);
  b.run(true);
  EXPECT_FLOAT_EQ(b.v(0).intensity, 0.7f);
  EXPECT_EQ(b.v(0).fog, 0.0f);
}

TEST_F(Render, VertexAtFarDistanceIsBlackAndFogged) {
  x3dFogOn = 1;
  OneFace a(100.0f, false);  // D = 100
  const float lp[3] = {0, 0, -20};
  a.ts.light(X3D_LIGHT_OMNI, lp, 1, 1, 1);
  a.run();
  EXPECT_EQ(a.v(0).intensity, 0.0f);
  EXPECT_EQ(a.v(0).fog, 1.0f);
  EXPECT_NE(a.v(0).flags & X3D_VTX_FAR, 0u);
}

TEST_F(Render, OmniAndSpotLighting) {
  // Omni straight behind the camera: k = 1, v = 0.3 + 0.486 + 0.5 > 1, clamped.
  OneFace a(10.0f, false);
  const float lp[3] = {0, 0, -30};
  a.ts.light(X3D_LIGHT_OMNI, lp, 1, 1, 1);
  a.run();
  EXPECT_EQ(a.v(0).intensity, 1.0f);
  // Red only: 0.3 x k, k = cos of the angle to the corner.
  OneFace b(10.0f, false);
  b.ts.light(X3D_LIGHT_OMNI, lp, 1, 0, 0);
  b.run();
  EXPECT_NEAR(b.v(0).intensity, 0.3f, 0.01f);
  EXPECT_GT(b.v(0).intensity, 0.28f);
}

TEST_F(Render, SpotAtFalloffAddsNothing) {
  OneFace a(10.0f, false);
  const float lp[3] = {0, 0, -30};
  x3dLight* l = a.ts.light(X3D_LIGHT_SPOT, lp, 1, 1, 1);
  l->target[0] = 0, l->target[1] = 0, l->target[2] = 0;
  a.run();
  // Set the cone so the first vertex lies exactly on the falloff cosine, then relight.
  x3dVertex& v = a.v(0);
  float d[3] = {v.view[0] - l->viewPosition[0], v.view[1] - l->viewPosition[1], v.view[2] - l->viewPosition[2]};
  float len = x3dFastSqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  float c = (d[0] * l->viewDirection[0] + d[1] * l->viewDirection[1] + d[2] * l->viewDirection[2]) / len;
  l->cosFalloff = c;
  l->cosHotspot = 1.0f;
  v.flags |= X3D_VTX_USED;
  x3dLightScene();
  EXPECT_EQ(v.intensity, 0.0f);
  l->cosFalloff = c - 0.01f;  // just inside the cone: a little light
  v.flags |= X3D_VTX_USED;
  x3dLightScene();
  EXPECT_GT(v.intensity, 0.0f);
}

TEST_F(Render, SharedVertexLitOnce) {
  OneFace a(10.0f, false);
  const float lp[3] = {0, 0, -30};
  a.ts.light(X3D_LIGHT_OMNI, lp, 0.5f, 0, 0);
  a.run();
  // Vertices 0 and 2 are shared by both faces; all four end up lit with the flag cleared.
  for (int i = 0; i < 4; i++) {
    EXPECT_GT(a.v(i).intensity, 0.1f) << i;
    EXPECT_EQ(a.v(i).flags & X3D_VTX_USED, 0u);
  }
  // A second pass over the list finds nothing left to light.
  a.v(0).intensity = -1.0f;
  x3dLightScene();
  EXPECT_EQ(a.v(0).intensity, -1.0f);
}

TEST_F(Render, FaceWithoutMaterialInFirstPassOnly) {
  TestScene ts(true, 200.0f);
  const float at[3] = {0, 0, 0};
  ts.box(4.0f, nullptr, at);
  ts.finish(kEye, kLook);
  x3dTransformScene();
  x3dLightScene();
  x3dRenderScene(pixels.data());
  int white = 0;
  for (uint32_t p : pixels) white += p != 0 && (p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == ((p >> 16) & 0xFF);
  EXPECT_EQ(white, lit());
  EXPECT_GT(white, 100);
}

TEST_F(Render, FlareHiddenInZBufferModeNotInPainter) {
  for (bool zb : {true, false}) {
    TestScene ts(zb, 200.0f);
    // A ramp rising away from the camera. Around pixel (160, 160) its near face holds
    // depths 25..31 in the z-buffer but has mean depth 35; the light projects there at
    // view z 31: hidden by the depth test, yet listed nearer than the face.
    std::vector<float> pos = {-40, -3, -15, 40, -3, -15, 40, 30, 75, -40, 30, 75};
    const float at[3] = {0, 0, 0}, lp[3] = {0, -10.91f, 11};
    ts.mesh(pos, {}, {0, 1, 2, 0, 2, 3}, ts.material(1, 10, 10, 10), at, 2);
    ts.light(X3D_LIGHT_OMNI, lp, 0, 0, 0)->flare = ts.flare(32, 200.0f, 0xFFFFFF);
    ts.finish(kEye, kLook);
    x3dTransformScene();
    ASSERT_EQ(ts.scene.listCount, zb ? 2 : 3);
    x3dLightScene();
    std::fill(pixels.begin(), pixels.end(), 0);
    x3dRenderScene(pixels.data());
    int flare = 0;
    for (uint32_t p : pixels) flare += p != 0;
    if (zb) EXPECT_EQ(flare, 0) << "the depth test hides the flare behind the ramp";
    else EXPECT_GT(flare, 20) << "painter draws the flare after the faces the list puts behind it";
  }
}

TEST_F(Render, FlareBehindCameraAndAtEdges) {
  std::vector<uint32_t> big(320 * 260, 0x55555555);
  uint32_t* target = big.data() + 320 * 30;
  TestScene ts(false, 200.0f);
  const float lp[3] = {0, 0, 0};
  x3dLight* l = ts.light(X3D_LIGHT_OMNI, lp, 1, 1, 1);
  l->flare = ts.flare(64, 2000.0f, 0xFFFFFF);
  ts.finish(kEye, kLook);
  x3dTransformScene();
  for (float z : {0.0f, -5.0f}) {
    l->viewPosition[2] = z;
    std::fill(pixels.begin(), pixels.end(), 0);
    x3dDrawLensFlare(l, pixels.data(), false);
    EXPECT_EQ(lit(), 0) << z;
  }
  // Flares hanging over every edge are cut, never written outside the view.
  for (float x : {-1.2f, -0.9f, 0.0f, 0.9f, 1.2f})
    for (float y : {-1.2f, -0.9f, 0.0f, 0.9f, 1.2f}) {
      l->viewPosition[0] = x * 10, l->viewPosition[1] = y * 10, l->viewPosition[2] = 10;
      x3dDrawLensFlare(l, target, false);
    }
  for (int i = 0; i < 320 * 30; i++) ASSERT_EQ(big[i], 0x55555555u);
  for (int i = 320 * 230; i < 320 * 260; i++) ASSERT_EQ(big[i], 0x55555555u);
  // Additive: saturates, keeps the destination's top byte.
  std::fill(pixels.begin(), pixels.end(), 0xAA808080);
  l->viewPosition[0] = l->viewPosition[1] = 0;
  x3dDrawLensFlare(l, pixels.data(), false);
  EXPECT_EQ(pixels[100 * 320 + 160], 0xAAFFFFFFu);
}

}  // namespace
