#include "ag_image.h"

#include <algorithm>
#include <cmath>

static int32_t clamp255(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

uint32_t agRgb(int32_t r, int32_t g, int32_t b) {
  return uint32_t(clamp255(r)) << 16 | uint32_t(clamp255(g)) << 8 | uint32_t(clamp255(b));
}

uint32_t agMix(uint32_t a, uint32_t b, int32_t t) {
  t = t < 0 ? 0 : t > 256 ? 256 : t;
  auto ch = [&](int s) {
    int32_t x = (a >> s) & 255, y = (b >> s) & 255;
    return x + (((y - x) * t) >> 8);
  };
  return agRgb(ch(16), ch(8), ch(0));
}

uint32_t agAdd(uint32_t a, uint32_t b) {
  return agRgb(int32_t((a >> 16) & 255) + int32_t((b >> 16) & 255), int32_t((a >> 8) & 255) + int32_t((b >> 8) & 255),
               int32_t(a & 255) + int32_t(b & 255));
}

uint32_t agScale(uint32_t c, int32_t k) {
  return agRgb(int32_t((c >> 16) & 255) * k >> 8, int32_t((c >> 8) & 255) * k >> 8, int32_t(c & 255) * k >> 8);
}

// Piecewise-linear ramp through a few key colours (t 0..255).
static uint32_t ramp(int32_t t, const uint32_t* keys, int32_t n) {
  t = clamp255(t);
  int32_t seg = t * (n - 1);
  int32_t i = seg / 255, f = (seg % 255) * 256 / 255;
  if (i >= n - 1) return keys[n - 1];
  return agMix(keys[i], keys[i + 1], f);
}

uint32_t agCosmic(int32_t t) {
  static const uint32_t k[] = {0x000000, 0x040a24, 0x0b2a5c, 0x127a8c, 0x5ad2d8, 0xe0fbff};
  return ramp(t, k, 6);
}

uint32_t agAmber(int32_t t) {
  static const uint32_t k[] = {0x000000, 0x2a1004, 0x8a4a0c, 0xf0a020, 0xfff0c0};
  return ramp(t, k, 5);
}

static float lattice(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return float(h & 0xFFFF) / 65535.0f;
}

float agNoise(float x, float y, int32_t period, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int32_t ix = int32_t(fx), iy = int32_t(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto w = [&](int32_t v) { return ((v % period) + period) % period; };
  float a = lattice(w(ix), w(iy), seed), b = lattice(w(ix + 1), w(iy), seed);
  float c = lattice(w(ix), w(iy + 1), seed), d = lattice(w(ix + 1), w(iy + 1), seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float agFbm(float x, float y, int32_t period, int32_t octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int32_t o = 0; o < octaves; o++) {
    sum += amp * agNoise(x, y, period, seed + uint32_t(o) * 101u);
    norm += amp;
    x *= 2;
    y *= 2;
    period *= 2;
    amp *= 0.5f;
  }
  return sum / norm;
}

void agFillRect(AgImage& im, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t c) {
  for (int32_t j = std::max(0, y); j < std::min(im.h, y + h); j++)
    for (int32_t i = std::max(0, x); i < std::min(im.w, x + w); i++) im.at(i, j) = c;
}

void agAddGlow(AgImage& im, float cx, float cy, float r, uint32_t c) {
  int32_t x0 = std::max(0, int32_t(cx - r)), x1 = std::min(im.w - 1, int32_t(cx + r) + 1);
  int32_t y0 = std::max(0, int32_t(cy - r)), y1 = std::min(im.h - 1, int32_t(cy + r) + 1);
  for (int32_t y = y0; y <= y1; y++)
    for (int32_t x = x0; x <= x1; x++) {
      float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / r;
      if (d >= 1) continue;
      float k = (1 - d) * (1 - d);
      im.at(x, y) = agAdd(im.at(x, y), agScale(c, int32_t(k * 256)));
    }
}

void agStars(AgImage& im, int32_t count, uint32_t seed) {
  AgRng rng(seed);
  for (int32_t i = 0; i < count; i++) {
    int32_t x = rng.range(0, im.w - 1), y = rng.range(0, im.h - 1);
    int32_t b = rng.range(40, 255);
    uint32_t tint = (rng.next() & 7) == 0 ? agAmber(b) : agCosmic(128 + b / 2);
    im.at(x, y) = agAdd(im.at(x, y), agScale(tint, b));
    if (b > 230) agAddGlow(im, float(x), float(y), 3.5f, agScale(tint, 120));
  }
}

// Wu-style line: two pixels per step weighted by the distance to the ideal line.
template <class Plot>
static void wuLine(float x0, float y0, float x1, float y1, Plot plot) {
  float dx = x1 - x0, dy = y1 - y0;
  bool steep = std::fabs(dy) > std::fabs(dx);
  if (steep) {
    std::swap(x0, y0);
    std::swap(x1, y1);
    std::swap(dx, dy);
  }
  if (x0 > x1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dx = -dx;
    dy = -dy;
  }
  float g = dx == 0 ? 0 : dy / dx;
  for (int32_t x = int32_t(std::lround(x0)); x <= int32_t(std::lround(x1)); x++) {
    float y = y0 + g * (float(x) - x0);
    int32_t iy = int32_t(std::floor(y));
    float f = y - float(iy);
    if (steep) {
      plot(iy, x, 1 - f);
      plot(iy + 1, x, f);
    } else {
      plot(x, iy, 1 - f);
      plot(x, iy + 1, f);
    }
  }
}

void agLine(AgImage& im, float x0, float y0, float x1, float y1, uint32_t c) {
  wuLine(x0, y0, x1, y1, [&](int32_t x, int32_t y, float k) {
    if (x >= 0 && y >= 0 && x < im.w && y < im.h) im.at(x, y) = agAdd(im.at(x, y), agScale(c, int32_t(k * 256)));
  });
}

void agLineG(AgGray& g, float x0, float y0, float x1, float y1, int32_t level) {
  wuLine(x0, y0, x1, y1, [&](int32_t x, int32_t y, float k) {
    if (x >= 0 && y >= 0 && x < g.w && y < g.h) g.at(x, y) = uint8_t(std::max<int32_t>(g.at(x, y), int32_t(k * level)));
  });
}

void agBlit(AgImage& dst, const AgImage& src, int32_t x, int32_t y) {
  for (int32_t j = 0; j < src.h; j++)
    for (int32_t i = 0; i < src.w; i++)
      if (x + i >= 0 && y + j >= 0 && x + i < dst.w && y + j < dst.h) dst.at(x + i, y + j) = src.at(i, j);
}

void agPaintMaskV(AgImage& im, const AgGray& m, int32_t x, int32_t y, uint32_t top, uint32_t bottom) {
  for (int32_t j = 0; j < m.h; j++) {
    uint32_t c = agMix(top, bottom, m.h > 1 ? j * 256 / (m.h - 1) : 0);
    for (int32_t i = 0; i < m.w; i++) {
      int32_t a = m.at(i, j);
      if (!a || x + i < 0 || y + j < 0 || x + i >= im.w || y + j >= im.h) continue;
      uint32_t& d = im.at(x + i, y + j);
      d = agMix(d, c, a + (a >> 7));
    }
  }
}

void agPaintMask(AgImage& im, const AgGray& m, int32_t x, int32_t y, uint32_t c) { agPaintMaskV(im, m, x, y, c, c); }

void agMaxMask(AgGray& g, const AgGray& m, int32_t x, int32_t y, int32_t level) {
  for (int32_t j = 0; j < m.h; j++)
    for (int32_t i = 0; i < m.w; i++) {
      if (x + i < 0 || y + j < 0 || x + i >= g.w || y + j >= g.h) continue;
      int32_t v = m.at(i, j) * level / 255;
      uint8_t& d = g.at(x + i, y + j);
      if (v > d) d = uint8_t(v);
    }
}

AgGray agDilate(const AgGray& m, int32_t r) {
  AgGray o(m.w, m.h);
  for (int32_t y = 0; y < m.h; y++)
    for (int32_t x = 0; x < m.w; x++) {
      int32_t best = 0;
      for (int32_t dy = -r; dy <= r; dy++)
        for (int32_t dx = -r; dx <= r; dx++) {
          if (dx * dx + dy * dy > r * r + r) continue;
          int32_t sx = x + dx, sy = y + dy;
          if (sx < 0 || sy < 0 || sx >= m.w || sy >= m.h) continue;
          best = std::max<int32_t>(best, m.at(sx, sy));
        }
      o.at(x, y) = uint8_t(best);
    }
  return o;
}

AgGray agBlur(const AgGray& m, int32_t passes) {
  AgGray a = m;
  for (int32_t p = 0; p < passes; p++) {
    AgGray b(a.w, a.h);
    for (int32_t y = 0; y < a.h; y++)
      for (int32_t x = 0; x < a.w; x++) {
        int32_t s = 0, n = 0;
        for (int32_t dy = -1; dy <= 1; dy++)
          for (int32_t dx = -1; dx <= 1; dx++) {
            int32_t sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= a.w || sy >= a.h) continue;
            s += a.at(sx, sy);
            n++;
          }
        b.at(x, y) = uint8_t(s / n);
      }
    a = b;
  }
  return a;
}

AgIndexed agQuantize(const AgImage& im) {
  AgIndexed o;
  o.idx = AgGray(im.w, im.h);
  // 6 red x 7 green x 6 blue levels = 252 entries, then 4 greys.
  static const int32_t lr[6] = {0, 51, 102, 153, 204, 255}, lg[7] = {0, 42, 85, 127, 170, 212, 255};
  int32_t n = 0;
  for (int32_t r = 0; r < 6; r++)
    for (int32_t g = 0; g < 7; g++)
      for (int32_t b = 0; b < 6; b++) {
        o.pal[n * 3] = uint8_t(lr[r]);
        o.pal[n * 3 + 1] = uint8_t(lg[g]);
        o.pal[n * 3 + 2] = uint8_t(lr[b]);
        n++;
      }
  for (int32_t k = 0; k < 4; k++) {
    uint8_t v = uint8_t(25 + k * 50);
    o.pal[n * 3] = o.pal[n * 3 + 1] = o.pal[n * 3 + 2] = v;
    n++;
  }
  for (size_t i = 0; i < im.px.size(); i++) {
    uint32_t c = im.px[i];
    int32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
    int32_t ir = (r + 25) / 51, ig = (g * 6 + 127) / 255, ib = (b + 25) / 51;
    o.idx.px[i] = uint8_t((ir * 7 + ig) * 6 + ib);
  }
  return o;
}

std::array<uint8_t, 768> agGreyPalette() {
  std::array<uint8_t, 768> p{};
  for (int32_t i = 0; i < 256; i++) p[i * 3] = p[i * 3 + 1] = p[i * 3 + 2] = uint8_t(i);
  return p;
}
