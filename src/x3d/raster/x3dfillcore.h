// Shared pieces of the fillers: float-to-16.16 conversion, view limits,
// projection, and the pixel policies ("how a pixel is written").
// Internal to src/x3d/raster.
#pragma once
#include <cmath>
#include <cstdint>

#include "x3d/raster/x3dfill.h"
#include "x3d/x3d.h"

namespace x3dr {

// round(f x 65536), saturated to int32; NaN gives 0 (a vertex at z = 0 projects to infinity).
inline int32_t fix(float f) {
  double v = static_cast<double>(f) * 65536.0;
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(std::lrint(v));
}

// round(f x 65536) modulo 2^32: texture coordinates keep their low bits, so they wrap every 256 texels.
inline uint32_t fixWrap(float f) {
  double v = static_cast<double>(f) * 65536.0;
  if (!(v == v) || v >= 9.2e18 || v <= -9.2e18) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(std::llrint(v)));
}

// Intensity and fog levels (0..255) in 16.16, kept a hair inside [0, 256) so
// that rounding in the gradients never wraps bits 16-23 (0 to 255 or 255 to 0).
inline int32_t fixLevel(float f) {
  int32_t v = fix(f);
  if (v < 1024) v = 1024;
  if (v > (256 << 16) - 1024) v = (256 << 16) - 1024;
  return v;
}

// Screen coordinates in 16.16, limited to +-8192 pixels so that every edge
// computation stays inside 64-bit products and 32-bit steps.
inline int32_t fixScreen(float f) {
  int32_t v = fix(f);
  if (v > (8192 << 16)) v = 8192 << 16;
  if (v < -(8192 << 16)) v = -(8192 << 16);
  return v;
}

// ceil of a 16.16 value.
inline int32_t ceil16(int32_t v) { return static_cast<int32_t>((static_cast<int64_t>(v) + 0xFFFF) >> 16); }

// The writable view: width from the pitch, height from the line table and camera.
struct Limits {
  int32_t width, height;
  float cx, cy;
};
// False when nothing can be drawn (no camera, no line table, no z-buffer for a Z member).
bool viewLimits(Limits& lim, bool zbuffered);

// Words 15-17 of every vertex: screen x, y and 1/z (z itself when storeZ).
inline void project(x3dClipPolygon* p, const Limits& lim, bool storeZ) {
  const float kx = lim.cx - 0.1f, ky = lim.cy - 0.1f;
  for (int32_t i = 0; i < p->count; i++) {
    x3dVertex& v = p->v[i];
    float rz = 1.0f / v.pos[2];
    v.sx = lim.cx + rz * v.pos[0] * kx - 0.5f;
    v.sy = lim.cy - rz * v.pos[1] * ky - 0.5f;
    v.rz = storeZ ? v.pos[2] : rz;
  }
}

// Identity row used in place of shade row 255 where that level means "unchanged".
extern const uint8_t kIdentityRow[256];

// Each channel of c through one 256-byte row; the top byte becomes `top`.
inline uint32_t shadeRgb(uint32_t c, const uint8_t* row, uint32_t top) {
  return top | static_cast<uint32_t>(row[(c >> 16) & 255]) << 16 | static_cast<uint32_t>(row[(c >> 8) & 255]) << 8 |
         row[c & 255];
}

// Each channel through the fog planes at row f (0..255); top byte 0.
inline uint32_t fogRgb(uint32_t c, uint32_t f) {
  const uint8_t* t = x3dFogTable + (f << 8);
  return static_cast<uint32_t>(t[(c >> 16) & 255]) << 16 | static_cast<uint32_t>(t[65536 + ((c >> 8) & 255)]) << 8 |
         t[131072 + (c & 255)];
}

// Texel of 16.16 coordinates, both wrapping at 256.
inline uint32_t texel(const uint32_t* tex, uint32_t u, uint32_t v) {
  return tex[((v >> 8) & 0xFF00) | ((u >> 16) & 0xFF)];
}

// Pixel policies.
struct WritePlain {
  static inline void put(uint32_t* d, uint32_t s) { *d = s; }
};
// Per-channel saturating add without branches; the destination keeps its top byte.
struct WriteAdd {
  static inline void put(uint32_t* d, uint32_t s) {
    uint32_t dst = *d;
    uint32_t rb = (dst & 0xFF00FF) + (s & 0xFF00FF);
    uint32_t g = (dst & 0xFF00) + (s & 0xFF00);
    uint32_t crb = rb & 0x1000100, cg = g & 0x10000;
    rb = (rb | (crb - (crb >> 8))) & 0xFF00FF;
    g = (g | (cg - (cg >> 8))) & 0xFF00;
    *d = (dst & 0xFF000000) | rb | g;
  }
};

}  // namespace x3dr
