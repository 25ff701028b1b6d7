// Shared parts of the ray-cast effects: grid set-up, camera rotation and the 8x8 cell
// filler. The filler does integer adds and table look-ups only.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "fx/xfdefcts.h"
#include "system/xerror.h"
#include "x3d/x3d.h"
#include "xmath/xmath.h"

// Unrotated corner rays for a picture of half sizes w, h; the view plane is 128 away.
static void xFdCorners(const xFdGrid& g, float out[4][3]) {
  const float w = (float)g.halfWidth, h = (float)g.halfHeight;
  const float c[4][3] = {{-w, -h, 128.0f}, {w, -h, 128.0f}, {w, h, 128.0f}, {-w, h, 128.0f}};
  std::memcpy(out, c, sizeof c);
}

static void xFdNormalise(float* v) {
  float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len == 0.0f) len = 1.0f;
  v[0] /= len, v[1] /= len, v[2] /= len;
}

void xFdGridInit(xFdGrid& g, int32_t width, int32_t height) {
  std::memset(&g, 0, sizeof g);
  xAssert(width > 0 && height > 0, "Xfdefcts", __LINE__);
  g.cols = width / 8 + 1;
  g.rows = height / 8 + 1;
  g.colStep = 1.0f / (float)g.cols;
  g.rowStep = 1.0f / (float)g.rows;
  g.halfWidth = width >> 1;
  g.halfHeight = height >> 1;
  g.width = width;
  g.height = height;
  g.grid = (xFdPoint**)std::calloc(g.rows, sizeof(xFdPoint*));
  if (!g.grid) xErrCode("Xfdefcts", __LINE__, 1, nullptr);
  for (int32_t i = 0; i < g.rows; i++) {
    g.grid[i] = (xFdPoint*)std::calloc(g.cols, sizeof(xFdPoint));
    if (!g.grid[i]) xErrCode("Xfdefcts", __LINE__, 1, nullptr);
  }
  xFdCorners(g, g.corner);
  for (float* c : g.corner) xFdNormalise(c);
  for (int32_t i = 0; i < 3; i++) g.rotation[i][i] = 1.0f;
}

void xFdGridFree(xFdGrid& g) {
  if (g.grid)
    for (int32_t i = 0; i < g.rows; i++) std::free(g.grid[i]);
  std::free(g.grid);
  g.grid = nullptr;
  g.cols = g.rows = 0;
  g.colStep = g.rowStep = 0.0f;
  g.size = g.radius = 0.0f;
}

void xFdGridSetTexture(xFdGrid& g, const uint32_t* texture) {
  xAssert(texture != nullptr, "Xfdefcts", __LINE__);
  g.texture = texture;
}

void xFdGridSetAngles(xFdGrid& g, float a1, float a2, float a3) {
  const float c1 = xMathCosf(a1), s1 = xMathSinf(a1);
  const float c2 = xMathCosf(a2), s2 = xMathSinf(a2);
  const float c3 = xMathCosf(a3), s3 = xMathSinf(a3);
  const float m[3][3] = {
      {c3 * c2, s3 * c2, -s2},
      {c3 * s2 * s1 - s3 * c1, s3 * s2 * s1 + c3 * c1, c2 * s1},
      {c3 * s2 * c1 + s3 * s1, s3 * s2 * c1 - c3 * s1, c2 * c1},
  };
  std::memcpy(g.rotation, m, sizeof m);
  // Angles are absolute: always start again from the unrotated corners.
  float base[4][3];
  xFdCorners(g, base);
  for (int32_t k = 0; k < 4; k++) {
    for (int32_t r = 0; r < 3; r++) g.corner[k][r] = m[r][0] * base[k][0] + m[r][1] * base[k][1] + m[r][2] * base[k][2];
    xFdNormalise(g.corner[k]);
  }
}

int32_t xFdRound(float value) {
  if (!std::isfinite(value)) return 0;
  // Beyond 2^62 a float has no bits left below 2^16, so the texel is 0 either way.
  if (std::fabs(value) >= 4.6e18f) return 0;
  return (int32_t)(uint32_t)(uint64_t)std::llrint(value);
}

int32_t xFdShade(float depth, float k) {
  const float f = depth * k;
  if (!(f < 65536.0f)) return 0;        // also catches NaN
  if (!(f > -2147418112.0f)) return 0;  // 65536 - trunc(f) would not fit (or f is -inf)
  const int32_t s = 65536 - (int32_t)f;
  return s < 0 ? 0 : s;
}

// Values carry 8 extra fraction bits (x 256) and wrap modulo 2^32, where only the
// texel bits 16-23 and the shade level matter; steps are arithmetic shifts.
static inline int32_t xFdShift3(uint32_t d) { return (int32_t)d >> 3; }

void xFdGridDraw(const xFdGrid& g, uint32_t* target) {
  const uint32_t* tex = g.texture;
  const uint8_t* shade = x3dShadeTable;
  if (!tex || !shade || !g.grid) return;
  for (int32_t i = 0; i + 1 < g.rows; i++) {
    const xFdPoint* top = g.grid[i];
    const xFdPoint* bottom = g.grid[i + 1];
    for (int32_t j = 0; j + 1 < g.cols; j++) {
      const xFdPoint &tl = top[j], &tr = top[j + 1], &bl = bottom[j], &br = bottom[j + 1];
      uint32_t lu = (uint32_t)tl.u << 8, lv = (uint32_t)tl.v << 8, ls = (uint32_t)tl.shade << 8;
      uint32_t ru = (uint32_t)tr.u << 8, rv = (uint32_t)tr.v << 8, rs = (uint32_t)tr.shade << 8;
      const uint32_t dlu = ((uint32_t)bl.u - (uint32_t)tl.u) << 5, dlv = ((uint32_t)bl.v - (uint32_t)tl.v) << 5,
                     dls = ((uint32_t)bl.shade - (uint32_t)tl.shade) << 5;
      const uint32_t dru = ((uint32_t)br.u - (uint32_t)tr.u) << 5, drv = ((uint32_t)br.v - (uint32_t)tr.v) << 5,
                     drs = ((uint32_t)br.shade - (uint32_t)tr.shade) << 5;
      uint32_t* out = target + (int64_t)(i * 8) * g.width + j * 8;
      for (int32_t y = 0; y < 8; y++, out += g.width) {
        const uint32_t su = (uint32_t)xFdShift3(ru - lu), sv = (uint32_t)xFdShift3(rv - lv),
                       ss = (uint32_t)xFdShift3(rs - ls);
        uint32_t u = lu, v = lv, s = ls;
        for (int32_t x = 0; x < 8; x++, u += su, v += sv, s += ss) {
          const uint32_t level = (s >> 16) & 255;
          if (!level) continue;  // dark: no memory write
          const uint32_t t = tex[((v >> 16) & 255) * 256 + ((u >> 16) & 255)];
          const uint8_t* row = shade + level * 256;
          out[x] = ((uint32_t)row[(t >> 16) & 255] << 16) | ((uint32_t)row[(t >> 8) & 255] << 8) | row[t & 255];
        }
        lu += dlu, lv += dlv, ls += dls;
        ru += dru, rv += drv, rs += drs;
      }
    }
  }
}
