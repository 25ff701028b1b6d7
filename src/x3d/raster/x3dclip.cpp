// Bounding-sphere outcodes and Sutherland-Hodgman clipping against the four
// side planes of the view pyramid (x = +-z, y = +-z in camera space).
#include <cmath>
#include <cstring>

#include "x3d/raster/x3dfill.h"

uint8_t x3dSphereOutcode(float kx, float ky, const float centre[3], float radius) {
  const float x = centre[0], y = centre[1], z = centre[2];
  uint8_t code = 0;
  float d1 = (-z - x) * kx;
  if (d1 - radius > 0.0f) return X3D_CLIP_OUTSIDE;
  if (std::fabs(d1) < radius) code |= X3D_CLIP_LEFT;
  float d2 = (z - x) * kx;
  if (d2 + radius < 0.0f) return X3D_CLIP_OUTSIDE;
  if (std::fabs(d2) < radius) code |= X3D_CLIP_RIGHT;
  float d3 = (z - y) * ky;
  if (d3 + radius < 0.0f) return X3D_CLIP_OUTSIDE;
  if (std::fabs(d3) < radius) code |= X3D_CLIP_TOP;
  float d4 = (-z - y) * ky;
  if (d4 - radius > 0.0f) return X3D_CLIP_OUTSIDE;
  if (std::fabs(d4) < radius) code |= X3D_CLIP_BOTTOM;
  return code;
}

uint32_t x3dOutcode(float x, float y, float z) {
  uint32_t c = 0;
  if (!(x >= -z)) c |= X3D_OUT_LEFT;
  if (x > z) c |= X3D_OUT_RIGHT;
  if (!(-z <= y)) c |= X3D_OUT_BOTTOM;
  if (z < y) c |= X3D_OUT_TOP;
  return c;
}

namespace {

// Parameter t from p towards s where the edge meets the plane, in single precision.
enum Plane { LEFT, RIGHT, TOP, BOTTOM };

template <Plane P>
inline float crossing(const x3dVertex& p, const x3dVertex& s) {
  float x0 = p.pos[0], y0 = p.pos[1], z0 = p.pos[2];
  float dx = s.pos[0] - x0, dy = s.pos[1] - y0, dz = s.pos[2] - z0;
  if constexpr (P == LEFT) return (x0 + z0) / (-dz - dx);
  if constexpr (P == RIGHT) return (x0 - z0) / (dz - dx);
  if constexpr (P == TOP) return (y0 - z0) / (dz - dy);
  return (y0 + z0) / (-dz - dy);
}

template <Plane P>
void clip(const x3dClipPolygon* in, x3dClipPolygon* out) {
  constexpr uint32_t bit = P == LEFT    ? X3D_OUT_LEFT
                           : P == RIGHT ? X3D_OUT_RIGHT
                           : P == TOP   ? X3D_OUT_TOP
                                        : X3D_OUT_BOTTOM;
  int32_t n = in->count;
  int32_t m = 0;
  if (n < 0) n = 0;
  if (n > 8) n = 8;
  // A convex polygon gains at most one vertex per plane; float ties could emit one more,
  // so the output is capped at the eight slots rather than overrun.
  for (int32_t i = 0; i < n; i++) {
    const x3dVertex& p = in->v[i];
    const x3dVertex& s = in->v[(i + 1) % n];
    bool pOut = (p.flags & bit) != 0, sOut = (s.flags & bit) != 0;
    if (pOut && sOut) continue;
    if (pOut != sOut && m < 8) {
      float t = crossing<P>(p, s);
      x3dVertex& o = out->v[m++];
      for (int k = 0; k < 3; k++) o.pos[k] = p.pos[k] + t * (s.pos[k] - p.pos[k]);
      o.u = p.u + t * (s.u - p.u);
      o.v = p.v + t * (s.v - p.v);
      o.intensity = p.intensity + t * (s.intensity - p.intensity);
      o.flags = (o.flags & ~X3D_OUT_MASK) | x3dOutcode(o.pos[0], o.pos[1], o.pos[2]);
    }
    if (!sOut && m < 8) std::memcpy(&out->v[m++], &s, sizeof(x3dVertex));
  }
  out->count = m;
}

}  // namespace

void x3dClipLeft(const x3dClipPolygon* in, x3dClipPolygon* out) { clip<LEFT>(in, out); }
void x3dClipRight(const x3dClipPolygon* in, x3dClipPolygon* out) { clip<RIGHT>(in, out); }
void x3dClipTop(const x3dClipPolygon* in, x3dClipPolygon* out) { clip<TOP>(in, out); }
void x3dClipBottom(const x3dClipPolygon* in, x3dClipPolygon* out) { clip<BOTTOM>(in, out); }
