// The 3x4 matrix helpers: in-place use, composition order and the pose matrix.
#include <gtest/gtest.h>

#include <cstring>

#include "x3d/x3dmat.h"

namespace {

const x3dMat kA = {{0.0f, -2.0f, 0.5f, 3.0f}, {1.5f, 0.25f, 0.0f, -1.0f}, {0.75f, 1.0f, 2.0f, 7.0f}};
const x3dMat kB = {{1.0f, 0.5f, -0.25f, -2.0f}, {0.0f, 3.0f, 1.0f, 0.5f}, {-1.0f, 0.0f, 0.125f, 4.0f}};

TEST(X3dMat, ProductsAndPointsMayOverwriteTheirInput) {
  x3dMat apart, inB, inA;
  x3dMatMul(kA, kB, apart);
  std::memcpy(inB, kB, sizeof inB);
  x3dMatMul(kA, inB, inB);
  std::memcpy(inA, kA, sizeof inA);
  x3dMatMul(inA, kB, inA);
  EXPECT_EQ(std::memcmp(apart, inB, sizeof apart), 0);
  EXPECT_EQ(std::memcmp(apart, inA, sizeof apart), 0);

  const float p[3] = {1.0f, -2.0f, 0.5f};
  float out[3], same[3] = {p[0], p[1], p[2]};
  x3dMatApply(kA, p, out);
  x3dMatApply(kA, same, same);
  EXPECT_EQ(std::memcmp(out, same, sizeof out), 0);
  x3dMatApply3(kA, p, out);
  std::memcpy(same, p, sizeof same);
  x3dMatApply3(kA, same, same);
  EXPECT_EQ(std::memcmp(out, same, sizeof out), 0);
}

TEST(X3dMat, ProductAppliesTheRightFactorFirst) {
  // Values chosen so that every product and sum is exact in float.
  const float p[3] = {2.0f, -1.0f, 4.0f};
  x3dMat ab;
  x3dMatMul(kA, kB, ab);
  float viaB[3], both[3], once[3];
  x3dMatApply(kB, p, viaB);
  x3dMatApply(kA, viaB, both);
  x3dMatApply(ab, p, once);
  for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(once[i], both[i]) << i;
  float dir[3];
  x3dMatApply3(kB, p, dir);  // no translation
  EXPECT_FLOAT_EQ(dir[0], 2.0f + 0.5f * -1.0f + -0.25f * 4.0f);
}

TEST(X3dMat, PoseIsRotationTimesScaleThenTranslation) {
  const float half = 0.70710678f;
  const float q[4] = {half, 0.0f, 0.0f, half};  // 90 degrees about z
  const float s[3] = {2.0f, 3.0f, 4.0f}, t[3] = {10.0f, 20.0f, 30.0f};
  x3dMat m;
  x3dPoseMatrix(q, s, t, m);
  const float p[3] = {1.0f, 1.0f, 1.0f};
  float out[3];
  x3dMatApply(m, p, out);  // scaled (2, 3, 4), turned to (-3, 2, 4), moved
  EXPECT_NEAR(out[0], 7.0f, 1e-5f);
  EXPECT_NEAR(out[1], 22.0f, 1e-5f);
  EXPECT_NEAR(out[2], 34.0f, 1e-5f);
}

}  // namespace
