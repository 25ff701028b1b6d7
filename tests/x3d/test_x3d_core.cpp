// Engine core: tables, activation, frame window, lookups, camera set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/qvtest.h"
#include "system/xlog.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3d.h"

namespace {

class X3dCore : public ::testing::Test {
 protected:
  void SetUp() override { x3dInit(320, 200, nullptr); }
};

TEST_F(X3dCore, InitSizesAndLineTable) {
  EXPECT_EQ(x3dWidth, 320);
  EXPECT_EQ(x3dHeight, 200);
  EXPECT_EQ(x3dHalfWidth, 160);
  EXPECT_EQ(x3dHalfHeight, 100);
  EXPECT_EQ(x3dPixelCount, 64000);
  EXPECT_EQ(x3dLineOffset[0], 0);
  EXPECT_EQ(x3dLineOffset[1], 1280);
  EXPECT_EQ(x3dLineOffset[199], 199 * 1280);
  EXPECT_NE(x3dFogTable, nullptr);
  EXPECT_EQ(x3dZBuffer, nullptr);
}

TEST_F(X3dCore, OddSizesHalveByShift) {
  x3dInit(321, 201, nullptr);
  EXPECT_EQ(x3dHalfWidth, 160);
  EXPECT_EQ(x3dHalfHeight, 100);
  EXPECT_EQ(x3dLineOffset[2], 2 * 321 * 4);
}

TEST_F(X3dCore, ShadeTable) {
  struct Row {
    int level, value, expect;
  } rows[] = {
      {0, 255, 0},      // no light, black
      {255, 255, 254},  // full light never reaches 255
      {128, 200, 100},  // (128 * 200) >> 8
      {255, 0, 0},      // black stays black
      {1, 255, 0},      // (1 * 255) >> 8
      {17, 31, 2},      // (17 * 31) >> 8 = 527 >> 8
  };
  for (const Row& r : rows) EXPECT_EQ(x3dShadeTable[r.level * 256 + r.value], r.expect) << r.level << "," << r.value;
  for (int l = 0; l < 256; l++)
    for (int v = 0; v < 256; v++) ASSERT_EQ(x3dShadeTable[l * 256 + v], (l * v) >> 8);
}

TEST_F(X3dCore, WireIntensityTableRunsFrom63To0) {
  EXPECT_EQ(x3dLineIntensity[0], 63);
  EXPECT_EQ(x3dLineIntensity[191], 0);
  for (int i = 1; i < X3D_LINE_TABLE_SIZE; i++) EXPECT_LE(x3dLineIntensity[i], x3dLineIntensity[i - 1]);
  EXPECT_EQ(x3dLineMode, 1);
}

TEST(X3dSqrt, WithinHalfPercentOverManyMagnitudes) {
  // Exact at powers of four and at sqrt(2) points of the table.
  EXPECT_EQ(x3dFastSqrt(4.0f), 2.0f);
  EXPECT_EQ(x3dFastSqrt(1.0f), 1.0f);
  EXPECT_EQ(x3dFastSqrt(0.25f), 0.5f);
  EXPECT_NEAR(x3dFastSqrt(2.0f), std::sqrt(2.0f), 1e-6);
  EXPECT_NEAR(x3dFastSqrt(0.5f), std::sqrt(0.5f), 1e-6);
  float worst = 0.0f;
  for (float f = 1e-6f; f < 1e7f; f *= 1.0137f) {
    float err = std::fabs(x3dFastSqrt(f) - std::sqrt(f)) / std::sqrt(f);
    worst = std::max(worst, err);
  }
  EXPECT_LT(worst, 0.004f);
  EXPECT_GT(worst, 0.0f);  // a table method, not the library call
}

TEST_F(X3dCore, ZBufferAllocatedOnceAndLoggedOnce) {
  std::string log = std::string(QV_BINARY_DIR) + "/x3d_core_zbuf.log";
  x3dInit(320, 200, log.c_str());
  x3dInitZBuffer();
  int32_t* first = x3dZBuffer;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first[0], 0x7FFFFFFF);
  EXPECT_EQ(first[63999], 0x7FFFFFFF);
  x3dInitZBuffer();
  EXPECT_EQ(x3dZBuffer, first);
  x3dLog.Close();
  EXPECT_EQ(qvReadFile(log),
            "X3D: Initializing X3D Engine..\n"
            "X3D: SizeX = 320 SizeY = 200\n"
            "X3D: Initializing Zbuffer - 256000 bytes size\n");
}

TEST_F(X3dCore, LogCreateFailureIsFatal) {
  EXPECT_EXIT(x3dInit(320, 200, "/nonexistent-dir/x3d.log"), ::testing::ExitedWithCode(1),
              "x3dLog error: file create error /nonexistent-dir/x3d.log");
}

TEST_F(X3dCore, SetSceneDistances) {
  x3dScene s{};
  s.distance = 1000.0f;
  x3dSetScene(&s);
  EXPECT_EQ(x3dActiveScene, &s);
  EXPECT_FLOAT_EQ(x3dFadeDistance, 750.0f);
  EXPECT_FLOAT_EQ(x3dFogDistance, 500.0f);
  EXPECT_FLOAT_EQ(x3dFadeFactor, 1.0f / 250.0f);
  EXPECT_FLOAT_EQ(x3dFogFactor, 1.0f / 500.0f);
  EXPECT_EQ(x3dFogOn, 0);
}

TEST_F(X3dCore, SetSceneWithFogBuildsTable) {
  x3dScene s{};
  s.distance = 100.0f;
  s.fog = 1;
  s.fogColor[0] = 255.0f;
  s.fogColor[1] = 128.0f;
  s.fogColor[2] = 0.0f;
  x3dSetScene(&s);
  EXPECT_EQ(x3dFogOn, 1);
  EXPECT_EQ(x3dFogColor, 0xFF8000u);
  struct Row {
    int plane, f, c, expect;
  } rows[] = {
      {0, 0, 77, 77},      // no fog: the colour itself
      {0, 128, 0, 127},    // half way to red 255: trunc(127.5)
      {2, 128, 200, 100},  // half way to blue 0
      {1, 255, 0, 127},    // trunc(128 * 255/256) = 127.5 -> 127
  };
  for (const Row& r : rows) EXPECT_EQ(x3dFogTable[r.plane * 65536 + r.f * 256 + r.c], r.expect);
}

TEST_F(X3dCore, NullSceneOrCameraIsAnAssertion) {
  EXPECT_EXIT(x3dSetScene(nullptr), ::testing::ExitedWithCode(1), "Assertion failed");
  EXPECT_EXIT(x3dSetCamera(nullptr), ::testing::ExitedWithCode(1), "Assertion failed");
}

TEST_F(X3dCore, SetFrameWindow) {
  x3dScene s{};
  s.startFrame = 0.0f;
  s.endFrame = 100.0f;
  s.frame = 5.0f;
  x3dSetScene(&s);
  x3dSetFrame(50.0f);
  EXPECT_EQ(s.frame, 50.0f);
  x3dSetFrame(100.0f);  // the end frame itself is outside
  EXPECT_EQ(s.frame, 50.0f);
  x3dSetFrame(-1.0f);
  EXPECT_EQ(s.frame, 50.0f);
  x3dSetFrame(0.0f);
  EXPECT_EQ(s.frame, 0.0f);
  s.startFrame = s.endFrame = 10.0f;
  x3dSetFrame(10.0f);  // an empty range never changes
  EXPECT_EQ(s.frame, 0.0f);
}

TEST_F(X3dCore, FindLastMatchExactCase) {
  x3dCamera cams[3]{};
  cams[0].name = const_cast<char*>("Camera01");
  cams[1].name = const_cast<char*>("camera01");
  cams[2].name = const_cast<char*>("Camera01");
  x3dScene s{};
  EXPECT_EQ(x3dFindCamera("Camera01", &s), nullptr);  // empty array
  s.cameras = cams;
  s.cameraCount = 3;
  EXPECT_EQ(x3dFindCamera("Camera01", &s), &cams[2]);
  EXPECT_EQ(x3dFindCamera("camera01", &s), &cams[1]);
  EXPECT_EQ(x3dFindCamera("CAMERA01", &s), nullptr);
  EXPECT_EQ(x3dFindObject("Camera01", &s), nullptr);
}

TEST_F(X3dCore, LensToFov) {
  struct Row {
    float lens, fov;
  } rows[] = {
      {15, 115}, {20, 94.285713f}, {24, 84},  {28, 76.36364f}, {35, 63},
      {50, 46},  {85, 28},         {135, 18}, {200, 12},       {40, 60},  // 15 / 40 * 160
      {100, 24},                                                          // not a stock lens
  };
  for (const Row& r : rows) EXPECT_FLOAT_EQ(x3dLensToFov(r.lens), r.fov) << r.lens;
}

TEST_F(X3dCore, CameraViewportResetsFovAndLineTable) {
  x3dCamera c{};
  c.fov = 45.0f;
  x3dCameraViewport(&c, 160, 240);
  EXPECT_EQ(c.fov, 0.0f);
  EXPECT_EQ(c.width, 160.0f);
  EXPECT_EQ(c.halfWidth, 80.0f);
  EXPECT_EQ(c.halfHeight, 120.0f);
  EXPECT_EQ(x3dPitch, 640);
  EXPECT_EQ(x3dLineOffset[239], 239 * 640);  // grown past the engine's 200 lines
}

static void Apply(const float m[3][4], const float p[3], float out[3]) {
  for (int i = 0; i < 3; i++) out[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
}

TEST_F(X3dCore, CameraMatrixLooksDownItsAxis) {
  x3dCamera c{};
  c.position[0] = 10;
  c.position[1] = 5;
  c.position[2] = -20;
  c.target[0] = 10;
  c.target[1] = 5;
  c.target[2] = 80;  // looking along +z
  x3dCameraMatrix(&c);
  float out[3];
  Apply(c.view, c.target, out);
  EXPECT_NEAR(out[0], 0.0f, 1e-4);
  EXPECT_NEAR(out[1], 0.0f, 1e-4);
  EXPECT_NEAR(out[2], 100.0f, 1e-4);
  Apply(c.view, c.position, out);
  EXPECT_NEAR(out[2], 0.0f, 1e-4);
  // Target off to the side: it still ends on the view axis at its distance.
  c.target[0] = 40;
  c.target[1] = 45;
  c.target[2] = 0;
  x3dCameraMatrix(&c);
  Apply(c.view, c.target, out);
  EXPECT_NEAR(out[0], 0.0f, 1e-3);
  EXPECT_NEAR(out[1], 0.0f, 1e-3);
  EXPECT_NEAR(out[2], std::sqrt(30.f * 30 + 40 * 40 + 20 * 20), 1e-3);
  // Rows stay orthonormal with roll.
  c.roll = 30.0f;
  x3dCameraMatrix(&c);
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      float d = c.view[i][0] * c.view[j][0] + c.view[i][1] * c.view[j][1] + c.view[i][2] * c.view[j][2];
      EXPECT_NEAR(d, i == j ? 1.0f : 0.0f, 1e-5);
    }
}

TEST_F(X3dCore, CameraMatrixSamePositionAndTarget) {
  x3dCamera c{};
  x3dCameraMatrix(&c);  // a zero direction must not produce NaN
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 4; j++) EXPECT_FALSE(std::isnan(c.view[i][j]));
}

TEST_F(X3dCore, ProjectionFromFov) {
  x3dCamera c{};
  x3dCameraProjection(&c, 90.0f);
  EXPECT_NEAR(c.projection[0][0], 1.0f, 1e-6);
  EXPECT_EQ(c.projection[0][0], c.projection[1][1]);
  EXPECT_EQ(c.projection[2][2], 1.0f);
  EXPECT_EQ(c.projection[0][3], 0.0f);
  EXPECT_NEAR(c.sideSine, 1.0f / std::sqrt(2.0f), 0.004);
  EXPECT_EQ(c.fov, 90.0f);
}

TEST(X3dPolygons, RenderTypeTable) {
  EXPECT_EQ(x3dRenderFlags(0), X3D_RF_WIRE);
  EXPECT_EQ(x3dRenderFlags(4), X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_UNLIT);
  EXPECT_EQ(x3dRenderFlags(18), 0x148);
  EXPECT_EQ(x3dRenderFlags(19), -1);
  EXPECT_EQ(x3dRenderFlags(-1), -1);
  for (int t = 3; t < X3D_RENDER_TYPES; t++)
    if (x3dRenderTypeFlags[t] & X3D_RF_ENVMAP) {
      EXPECT_TRUE(x3dRenderTypeFlags[t] & X3D_RF_TEXTURE) << t;
    }
}

TEST(X3dPolygons, InitWithoutLineTableIsFatal) {
  EXPECT_EXIT(
      {
        x3dLineOffset = nullptr;
        x3dPolygonsInit(320, 200);
      },
      ::testing::ExitedWithCode(1), "Can't allocate memory, 1\nFile Polygons\nLine 44");
}

TEST(X3dRecords, VertexLayout) {
  EXPECT_EQ(offsetof(x3dVertex, pos), 4u);
  EXPECT_EQ(offsetof(x3dVertex, u), 13u * 4);
  EXPECT_EQ(offsetof(x3dVertex, sx), 15u * 4);
  EXPECT_EQ(offsetof(x3dVertex, intensity), 18u * 4);
  EXPECT_EQ(offsetof(x3dVertex, fog), 19u * 4);
  EXPECT_EQ(offsetof(x3dClipPolygon, count), 8u * 80);
}

}  // namespace
