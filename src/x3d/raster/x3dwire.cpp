// Wireframe: the edges of every fan triangle as Gupta-Sproull anti-aliased
// lines (intensity by distance from the ideal line, blended through
// x2dBlendTable), or plain Bresenham lines when the line table is in mode 0.
#include <cmath>
#include <algorithm>
#include <cstdlib>

#include "x2d/x2d.h"
#include "x3d/raster/x3dfillcore.h"

namespace {

// Channel-wise d + floor(a x (c - d) / 256), through the 2D engine's blend table; d's top byte kept.
inline uint32_t blend(uint32_t d, uint32_t c, uint32_t a) {
  return (d & 0xFF000000) | x2dBlendChannels(c, d, x2dBlendRow(static_cast<int32_t>(a)));
}

inline uint8_t lineAlpha(float dist) {
  int32_t i = static_cast<int32_t>(std::lrint(128.0f * std::fabs(dist)));
  // At the far end of a steep step the distance can reach 1.5 pixels: the last entry, not past it.
  return x3dLineIntensity[i < X3D_LINE_TABLE_SIZE ? i : X3D_LINE_TABLE_SIZE - 1];
}

template <bool Checked>
struct Plotter {
  uint8_t* base;
  int32_t width, height;
  inline uint32_t* at(int32_t x, int32_t y) const {
    if constexpr (Checked)
      if (x < 0 || y < 0 || x >= width || y >= height) return nullptr;
    return reinterpret_cast<uint32_t*>(base + x3dLineOffset[y]) + x;
  }
};

template <bool Checked, bool AA>
void line(const Plotter<Checked>& pl, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  int32_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  int32_t sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = dx >= dy;
  const int32_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
  if (dMajor == 0) return;
  float len = x3dFastSqrt(static_cast<float>(dx * dx + dy * dy));
  float inv = 1.0f / (2.0f * len);
  float v = 2.0f * static_cast<float>(dMajor) * inv;
  int32_t e = 2 * dMinor - dMajor;
  int32_t t = 0;
  int32_t x = x0, y = y0;
  // Neighbours across the line: one step along the minor axis either way.
  const int32_t nx = xMajor ? 0 : sx, ny = xMajor ? sy : 0;
  for (int32_t i = 0; i < dMajor; i++) {
    if constexpr (AA) {
      float D = static_cast<float>(t) * inv;
      if (uint32_t* p = pl.at(x, y)) *p = blend(*p, colour, lineAlpha(D));
      if (uint32_t* p = pl.at(x + nx, y + ny)) *p = blend(*p, colour, lineAlpha(v - D));
      if (uint32_t* p = pl.at(x - nx, y - ny)) *p = blend(*p, colour, lineAlpha(v + D));
    } else {
      if (uint32_t* p = pl.at(x, y)) *p = colour;
    }
    if (e < 1) {
      t = e + dMajor;
      e += 2 * dMinor;
    } else {
      t = e - dMajor;
      if (xMajor) y += sy;
      else x += sx;
      e += 2 * dMinor - 2 * dMajor;
    }
    if (xMajor) x += sx;
    else y += sy;
  }
}

// Coordinates far outside the view are pulled in so a line never loops for long.
inline int32_t sane(int32_t v) { return v < -32768 ? -32768 : v > 32768 ? 32768 : v; }

inline int32_t roundPixel(float f) {
  if (!(f == f)) return -32768;
  if (f > 32768.0f) return 32768;
  if (f < -32768.0f) return -32768;
  return static_cast<int32_t>(std::lrint(f));
}

}  // namespace

void x3dDrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, uint32_t* target) {
  x3dr::Limits lim;
  if (!target || !x3dr::viewLimits(lim, false)) return;
  const bool aa = x3dLineMode != 0 && x2dBlendTable != nullptr;
  x0 = sane(x0), y0 = sane(y0), x1 = sane(x1), y1 = sane(y1);
  colour &= 0xFFFFFF;
  // The footprint is one pixel either side of the line (anti-aliased neighbours).
  const int32_t m = aa ? 1 : 0;
  const bool inside = std::min(x0, x1) - m >= 0 && std::min(y0, y1) - m >= 0 && std::max(x0, x1) + m < lim.width &&
                      std::max(y0, y1) + m < lim.height;
  uint8_t* base = reinterpret_cast<uint8_t*>(target);
  if (inside) {
    Plotter<false> pl{base, lim.width, lim.height};
    if (aa) line<false, true>(pl, x0, y0, x1, y1, colour);
    else line<false, false>(pl, x0, y0, x1, y1, colour);
  } else {
    Plotter<true> pl{base, lim.width, lim.height};
    if (aa) line<true, true>(pl, x0, y0, x1, y1, colour);
    else line<true, false>(pl, x0, y0, x1, y1, colour);
  }
}

void x3dDrawWire(x3dClipPolygon* p, uint8_t red, uint8_t green, uint8_t blue, uint32_t* target) {
  x3dr::Limits lim;
  if (!p || !target || p->count < 3 || p->count > 8 || !x3dr::viewLimits(lim, false)) return;
  int32_t sx[8], sy[8];
  for (int32_t i = 0; i < p->count; i++) {
    const x3dVertex& v = p->v[i];
    sx[i] = roundPixel(lim.cx + (lim.cx - 2.0f) * (v.pos[0] / v.pos[2]));
    sy[i] = roundPixel(lim.cy - (lim.cy - 2.0f) * (v.pos[1] / v.pos[2]));
  }
  const uint32_t colour = static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
  x3dDrawLine(sx[0], sy[0], sx[1], sy[1], colour, target);
  x3dDrawLine(sx[1], sy[1], sx[2], sy[2], colour, target);
  x3dDrawLine(sx[0], sy[0], sx[2], sy[2], colour, target);
  for (int32_t i = 2; i + 1 < p->count; i++) {
    x3dDrawLine(sx[0], sy[0], sx[i], sy[i], colour, target);
    x3dDrawLine(sx[i], sy[i], sx[i + 1], sy[i + 1], colour, target);
    x3dDrawLine(sx[0], sy[0], sx[i + 1], sy[i + 1], colour, target);
  }
}
