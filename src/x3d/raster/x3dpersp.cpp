// The 12 perspective-correct textured fillers, written once. Edges step in
// floating point; along a row, u and v (and z in the Z members) are exact at
// every 32nd pixel and stepped affinely in 16.16 between, so each run starts
// from the true perspective value and no error carries across runs.
#include <cmath>

#include "x3d/raster/x3dedges.h"
#include "x3d/raster/x3dfillcore.h"

namespace x3dr {
namespace {

constexpr float K = 65536.0f;

// rnd(v) modulo 2^32 (texture coordinates wrap every 256 texels); 0 for NaN or absurd values.
inline uint32_t rndWrap(float v) {
  if (!(v == v) || v >= 9.2e18f || v <= -9.2e18f) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(std::llrint(v)));
}
// rnd(v) saturated to int32 (depths).
inline int32_t rndSat(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(std::lrint(v));
}
inline int32_t toInt(float v) {  // float already limited to a sane range
  return static_cast<int32_t>(v);
}

// Kinds: per-pixel source colour from a texel and the level (intensity or fog, 16.16).
struct PUnlit {
  static constexpr bool kLevel = false;
  static inline uint32_t shade(uint32_t t, int32_t) { return t; }
};
struct PLit {
  static constexpr bool kLevel = true;
  static inline uint32_t shade(uint32_t t, int32_t level) {
    int32_t i = level >= 0x1000000 ? 255 : level >> 16;
    if (i <= 0) return 0;
    return shadeRgb(t, x3dShadeTable + (i << 8), 0);
  }
};
struct PFog {
  static constexpr bool kLevel = true;
  static inline uint32_t shade(uint32_t t, int32_t level) {
    int32_t f = level >= 0xFF0000 ? 255 : level >> 16;
    if (f <= 0) return t;
    return fogRgb(t, static_cast<uint32_t>(f));
  }
};

struct Corner {
  float x, y, rz, uz, vz, level;
  int32_t line;  // ceil(y)
};

struct PEdge {
  float x, dx;
  float rz, uz, vz, drz, duz, dvz;
  int32_t level, dlevel;  // 16.16
  int32_t lines;
};

// Edge set-up and stepping for walkEdges; only the left side carries 1/z, u/z, v/z (and the level).
template <bool Level>
struct PEdgeOps {
  template <bool Left>
  static inline int32_t setup(PEdge& e, const Corner& p, const Corner& r) {
    int32_t lines = r.line - p.line;
    e.lines = lines;
    if (lines <= 0) return lines;
    float inv = 1.0f / static_cast<float>(lines);
    float pre = static_cast<float>(p.line) - p.y;
    e.dx = (r.x - p.x) * inv;
    e.x = p.x + e.dx * pre;
    if constexpr (Left) {
      e.drz = (r.rz - p.rz) * inv;
      e.duz = (r.uz - p.uz) * inv;
      e.dvz = (r.vz - p.vz) * inv;
      e.rz = p.rz + e.drz * pre;
      e.uz = p.uz + e.duz * pre;
      e.vz = p.vz + e.dvz * pre;
      if constexpr (Level) {
        float dl = (r.level - p.level) * inv;
        e.dlevel = fix(dl);
        e.level = fix(p.level + dl * pre);
      }
    }
    return lines;
  }
  template <bool Left>
  static inline void step(PEdge& e) {
    e.x += e.dx;
    if constexpr (Left) {
      e.rz += e.drz;
      e.uz += e.duz;
      e.vz += e.dvz;
      if constexpr (Level) e.level += e.dlevel;
    }
  }
};

// Steps along x of 1/z, u/z, v/z (float) and the level (16.16).
struct PGrad {
  float rz, uz, vz;
  int32_t level;
};

template <class Kd, class W, bool Z>
struct Persp {
  // n pixels from (u, v) by (du, dv); level and z likewise.
  static inline void run(uint32_t*& d, int32_t*& zp, int32_t n, uint32_t u, uint32_t v, int32_t du, int32_t dv,
                         int32_t& level, int32_t dlevel, int32_t z, int32_t dz, const uint32_t* tex) {
    for (int32_t i = 0; i < n; i++) {
      if constexpr (Z) {
        if (*zp >= z) {
          *zp = z;
          W::put(d, Kd::shade(texel(tex, u, v), level));
        }
        zp++;
        // The step past the span's last pixel may leave the int range; it wraps and is never used.
        z = static_cast<int32_t>(static_cast<uint32_t>(z) + static_cast<uint32_t>(dz));
      } else {
        W::put(d, Kd::shade(texel(tex, u, v), level));
      }
      d++;
      u += static_cast<uint32_t>(du);
      v += static_cast<uint32_t>(dv);
      if constexpr (Kd::kLevel) level += dlevel;
    }
  }

  static void row(uint32_t* line, int32_t* zline, int32_t xs, int32_t n, float d, const PEdge& l, float grz, float guz,
                  float gvz, int32_t glevel, const uint32_t* tex) {
    float rz = l.rz + d * grz, uz = l.uz + d * guz, vz = l.vz + d * gvz;
    int32_t level = 0;
    if constexpr (Kd::kLevel)
      level = l.level + static_cast<int32_t>((static_cast<int64_t>(toInt(d * 65536.0f)) * glevel) >> 16);
    float w = K / rz;
    uint32_t uS = rndWrap(uz * w), vS = rndWrap(vz * w);
    int32_t zS = Z ? rndSat(w) : 0;
    uint32_t* p = line + xs;
    int32_t* zp = Z ? zline + xs : nullptr;
    const float grz32 = grz * 32.0f, guz32 = guz * 32.0f, gvz32 = gvz * 32.0f;
    while (n >= 32) {
      rz += grz32;
      uz += guz32;
      vz += gvz32;
      w = K / rz;
      uint32_t uE = rndWrap(uz * w), vE = rndWrap(vz * w);
      int32_t zE = Z ? rndSat(w) : 0;
      int32_t du = static_cast<int32_t>(uE - uS) >> 5, dv = static_cast<int32_t>(vE - vS) >> 5;
      int32_t dz = Z ? static_cast<int32_t>(static_cast<uint32_t>(zE) - static_cast<uint32_t>(zS)) >> 5 : 0;
      run(p, zp, 32, uS, vS, du, dv, level, glevel, zS, dz, tex);
      uS = uE;
      vS = vE;
      zS = zE;
      n -= 32;
    }
    if (n > 0) {
      float fn = static_cast<float>(n);
      rz += grz * fn;
      uz += guz * fn;
      vz += gvz * fn;
      w = K / rz;
      uint32_t uE = rndWrap(uz * w), vE = rndWrap(vz * w);
      int32_t zE = Z ? rndSat(w) : 0;
      int32_t du = static_cast<int32_t>(uE - uS) / n, dv = static_cast<int32_t>(vE - vS) / n;
      int32_t dz = Z ? static_cast<int32_t>(static_cast<uint32_t>(zE) - static_cast<uint32_t>(zS)) / n : 0;
      run(p, zp, n, uS, vS, du, dv, level, glevel, zS, dz, tex);
    }
  }

  // The corners clamped to +-8192 pixels with u/z and v/z; false when one is not a number.
  static inline bool corners(const x3dVertex* const src[3], Corner cv[3]) {
    for (int i = 0; i < 3; i++) {
      const x3dVertex& s = *src[i];
      if (!(s.sx == s.sx) || !(s.sy == s.sy) || !(s.rz == s.rz)) return false;
      Corner& o = cv[i];
      o.x = s.sx < -8192.0f ? -8192.0f : s.sx > 8192.0f ? 8192.0f : s.sx;
      o.y = s.sy < -8192.0f ? -8192.0f : s.sy > 8192.0f ? 8192.0f : s.sy;
      o.rz = s.rz;
      o.uz = s.rz * s.u;
      o.vz = s.rz * s.v;
      o.level = s.intensity;
      o.line = static_cast<int32_t>(std::ceil(o.y));
    }
    return true;
  }

  // Gradients along x from the width w of the widest scan line (at the middle corner) in
  // the ratio q down the long side; w >= 0 puts the middle corner on the left.
  static inline PGrad gradients(const Corner& top, const Corner& mid, const Corner& bot, float q, float w) {
    PGrad g;
    g.rz = ((top.rz - mid.rz) + (bot.rz - top.rz) * q) / w;
    g.uz = ((top.uz - mid.uz) + (bot.uz - top.uz) * q) / w;
    g.vz = ((top.vz - mid.vz) + (bot.vz - top.vz) * q) / w;
    g.level = 0;
    if constexpr (Kd::kLevel) g.level = fix(((top.level - mid.level) + (bot.level - top.level) * q) / w);
    return g;
  }

  static void triangle(const x3dVertex& a, const x3dVertex& b, const x3dVertex& c, uint32_t* target, const Limits& lim,
                       const uint32_t* tex) {
    const x3dVertex* const src[3] = {&a, &b, &c};
    Corner cv[3];
    if (!corners(src, cv)) return;
    const Corner *top, *mid, *bot;
    sortByY(cv, top, mid, bot);
    if (bot->line - top->line < 1) return;

    float q = (mid->y - top->y) / (bot->y - top->y);
    float w = (bot->x - top->x) * q + (top->x - mid->x);
    if (w == 0.0f || !(w == w)) return;
    const PGrad g = gradients(*top, *mid, *bot, q, w);

    auto span = [&](int32_t y, const PEdge& left, const PEdge& right) {
      int32_t xs = static_cast<int32_t>(std::ceil(left.x));
      int32_t xe = static_cast<int32_t>(std::ceil(right.x));
      if (xe > lim.width) xe = lim.width;
      float d = static_cast<float>(xs) - left.x;
      if (xs < 0) {
        d -= static_cast<float>(xs);
        xs = 0;
      }
      if (xe <= xs) return;
      uint32_t* line = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) + x3dLineOffset[y]);
      int32_t* zline = Z ? x3dZBuffer + (x3dLineOffset[y] >> 2) : nullptr;
      row(line, zline, xs, xe - xs, d, left, g.rz, g.uz, g.vz, g.level, tex);
    };
    walkEdges<PEdgeOps<Kd::kLevel>, PEdge>(*top, *mid, *bot, w >= 0.0f, top->line, lim.height, span);
  }

  static void fill(x3dClipPolygon* p, uint32_t* target, const uint32_t* tex) {
    Limits lim;
    if (!p || !target || !tex || p->count < 3 || p->count > 8 || !viewLimits(lim, Z)) return;
    project(p, lim, false);
    for (int32_t i = 1; i + 1 < p->count; i++) triangle(p->v[0], p->v[i], p->v[i + 1], target, lim, tex);
  }
};

}  // namespace
}  // namespace x3dr

using namespace x3dr;

// clang-format off
void x3dFillPersp(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PUnlit, WritePlain, false>::fill(p, t, x); }
void x3dFillPerspAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PUnlit, WriteAdd, false>::fill(p, t, x); }
void x3dFillPerspZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PUnlit, WritePlain, true>::fill(p, t, x); }
void x3dFillPerspAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PUnlit, WriteAdd, true>::fill(p, t, x); }
void x3dFillPerspLit(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PLit, WritePlain, false>::fill(p, t, x); }
void x3dFillPerspLitAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PLit, WriteAdd, false>::fill(p, t, x); }
void x3dFillPerspLitZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PLit, WritePlain, true>::fill(p, t, x); }
void x3dFillPerspLitAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PLit, WriteAdd, true>::fill(p, t, x); }
void x3dFillPerspFog(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PFog, WritePlain, false>::fill(p, t, x); }
void x3dFillPerspFogAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PFog, WriteAdd, false>::fill(p, t, x); }
void x3dFillPerspFogZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PFog, WritePlain, true>::fill(p, t, x); }
void x3dFillPerspFogAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { Persp<PFog, WriteAdd, true>::fill(p, t, x); }
// clang-format on
