// Walks the grid rays of an effect: the left and right edges run down from the top
// corner rays, and each row's rays run across from left to right edge, so the last row
// and column fall one step short of the bottom and right corners. Rays are not
// normalised again. hit(ray, point) fills one grid point; it is inlined per effect.
#pragma once
#include "fx/xfdefcts.h"

// Largest ray parameter used: a ray (nearly) parallel to the surface is taken to end
// this far away, where every shade is 0 and the coordinates stay finite.
constexpr float XFD_FAR = 1.0e6f;

template <typename Hit>
inline void xFdCast(xFdGrid& g, Hit hit) {
  float left[3], right[3], leftStep[3], rightStep[3];
  for (int32_t k = 0; k < 3; k++) {
    left[k] = g.corner[0][k];
    right[k] = g.corner[1][k];
    leftStep[k] = (g.corner[3][k] - g.corner[0][k]) * g.rowStep;
    rightStep[k] = (g.corner[2][k] - g.corner[1][k]) * g.rowStep;
  }
  for (int32_t i = 0; i < g.rows; i++) {
    float ray[3], step[3];
    for (int32_t k = 0; k < 3; k++) {
      ray[k] = left[k];
      step[k] = (right[k] - left[k]) * g.colStep;
    }
    xFdPoint* row = g.grid[i];
    for (int32_t j = 0; j < g.cols; j++) {
      hit(ray, row[j]);
      for (int32_t k = 0; k < 3; k++) ray[k] += step[k];
    }
    for (int32_t k = 0; k < 3; k++) left[k] += leftStep[k], right[k] += rightStep[k];
  }
}

// Keeps a ray parameter finite and within reach (NaN from 0/0 counts as far).
inline float xFdClampT(float t) {
  if (t != t) return XFD_FAR;
  if (t > XFD_FAR) return XFD_FAR;
  if (t < -XFD_FAR) return -XFD_FAR;
  return t;
}
