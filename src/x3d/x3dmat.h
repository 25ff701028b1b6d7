// 3x4 row-major matrices (translation in column 3, implied fourth row 0 0 0 1),
// shared by the animation and the transform; every sum is taken left to right.
#pragma once
#include <cstring>

using x3dMat = float[3][4];

// out = m x p for a point (with translation); out may be p.
inline void x3dMatApply(const float m[3][4], const float p[3], float out[3]) {
  float x = p[0], y = p[1], z = p[2];
  for (int r = 0; r < 3; r++) out[r] = m[r][0] * x + m[r][1] * y + m[r][2] * z + m[r][3];
}

// out = m x d for a direction (no translation); out may be d.
inline void x3dMatApply3(const float m[3][4], const float d[3], float out[3]) {
  float x = d[0], y = d[1], z = d[2];
  for (int r = 0; r < 3; r++) out[r] = m[r][0] * x + m[r][1] * y + m[r][2] * z;
}

// out = a x b (b applied first); out may be a or b.
inline void x3dMatMul(const float a[3][4], const float b[3][4], float out[3][4]) {
  float r[3][4];
  for (int i = 0; i < 3; i++) {
    for (int j = 0; j < 3; j++) r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    r[i][3] = a[i][0] * b[0][3] + a[i][1] * b[1][3] + a[i][2] * b[2][3] + a[i][3];
  }
  std::memcpy(out, r, sizeof r);
}

// Object matrix from a quaternion (w, x, y, z), a scale and a translation: R x S | t.
inline void x3dPoseMatrix(const float q[4], const float s[3], const float p[3], float m[3][4]) {
  float w = q[0], x = q[1], y = q[2], z = q[3];
  const float r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                         {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                         {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
  for (int i = 0; i < 3; i++) {
    for (int j = 0; j < 3; j++) m[i][j] = r[i][j] * s[j];
    m[i][3] = p[i];
  }
}
