// The 24 fixed-point affine fillers, written once: one triangle set-up and one
// scan-line walker, parameterised by a kind (what is interpolated and how the
// source colour is made), a write policy (plain or additive) and a z-buffer switch.
// Everything per pixel is integer; the policies are resolved at compile time.
#include <cstring>

#include "x3d/raster/x3dedges.h"
#include "x3d/raster/x3dfillcore.h"

namespace x3dr {

const uint8_t kIdentityRow[256] = {
#define R16(b) \
  b, b + 1, b + 2, b + 3, b + 4, b + 5, b + 6, b + 7, b + 8, b + 9, b + 10, b + 11, b + 12, b + 13, b + 14, b + 15
    R16(0),   R16(16),  R16(32),  R16(48),  R16(64),  R16(80),  R16(96),  R16(112),
    R16(128), R16(144), R16(160), R16(176), R16(192), R16(208), R16(224), R16(240),
#undef R16
};

bool viewLimits(Limits& lim, bool zbuffered) {
  const x3dCamera* cam = x3dActiveCamera;
  if (!cam || !x3dLineOffset || x3dPitch <= 0) return false;
  lim.cx = cam->halfWidth;
  lim.cy = cam->halfHeight;
  lim.width = x3dPitch >> 2;
  lim.height = x3dLineRows;
  int32_t camHeight = static_cast<int32_t>(std::ceil(cam->height));
  if (camHeight < lim.height) lim.height = camHeight;
  if (zbuffered) {
    if (!x3dZBuffer) return false;
    int32_t zRows = x3dPixelCount / lim.width;  // the z-buffer holds one entry per view pixel
    if (zRows < lim.height) lim.height = zRows;
  }
  return lim.height > 0 && lim.width > 0;
}

namespace {

// Attribute conversions.
enum Conv { LEVEL, WRAP, PLAIN };

// Per-fill context handed to the kinds.
struct Ctx {
  uint32_t colour;  // flat: the triangle's shaded colour; Gouraud kinds: the argument
  const uint32_t* tex;
  uint8_t r, g, b;  // flat argument
};

// The shade-table row of a 16.16 level word; level 255 leaves the colour as it is.
inline const uint8_t* levelRow(uint32_t word) {
  uint32_t i = (word >> 16) & 255;
  return i == 255 ? kIdentityRow : x3dShadeTable + (i << 8);
}

// ---- kinds: attributes carried and source colour per pixel ----
struct KFlat {
  static constexpr int N = 0;
  static constexpr Conv conv[1] = {PLAIN};
  static void attrs(const x3dVertex&, float*) {}
  static inline uint32_t shade(const uint32_t*, const Ctx& c) { return c.colour; }
};
struct KGouraud {
  static constexpr int N = 1;
  static constexpr Conv conv[1] = {LEVEL};
  static void attrs(const x3dVertex& v, float* o) { o[0] = v.intensity; }
  static inline uint32_t shade(const uint32_t* a, const Ctx& c) { return shadeRgb(c.colour, levelRow(a[0]), 0); }
};
struct KGouraudFog {
  static constexpr int N = 2;
  static constexpr Conv conv[2] = {LEVEL, LEVEL};
  static void attrs(const x3dVertex& v, float* o) {
    o[0] = v.u;
    o[1] = v.intensity;
  }  // words 13 and 18
  static inline uint32_t shade(const uint32_t* a, const Ctx& c) {
    return fogRgb(shadeRgb(c.colour, levelRow(a[0]), 0), (a[1] >> 16) & 255);
  }
};
struct KTex {
  static constexpr int N = 2;
  static constexpr Conv conv[2] = {WRAP, WRAP};
  static void attrs(const x3dVertex& v, float* o) {
    o[0] = v.u;
    o[1] = v.v;
  }
  static inline uint32_t shade(const uint32_t* a, const Ctx& c) { return texel(c.tex, a[0], a[1]); }
};
struct KTexLit {
  static constexpr int N = 3;
  static constexpr Conv conv[3] = {WRAP, WRAP, LEVEL};
  static void attrs(const x3dVertex& v, float* o) {
    o[0] = v.u;
    o[1] = v.v;
    o[2] = v.intensity;
  }
  static inline uint32_t shade(const uint32_t* a, const Ctx& c) {
    uint32_t t = texel(c.tex, a[0], a[1]);
    return shadeRgb(t, levelRow(a[2]), t & 0xFF000000);
  }
};
struct KTexFog : KTexLit {  // the same attributes, word 18 read as the fog level
  static inline uint32_t shade(const uint32_t* a, const Ctx& c) {
    return fogRgb(texel(c.tex, a[0], a[1]), (a[2] >> 16) & 255);
  }
};

// One projected corner in 16.16: x, y and the NA attributes (z last in Z members).
template <int NA>
struct FixVert {
  int32_t x, y;
  uint32_t a[NA > 0 ? NA : 1];
};

// One side of the triangle: current x, slope, lines left; the left side also carries attributes.
template <int NA>
struct Edge {
  int32_t x, slope, lines;
  uint32_t a[NA > 0 ? NA : 1];
  int32_t da[NA > 0 ? NA : 1];
};

// Edge set-up and stepping for walkEdges; only the left side carries the attributes.
template <int NA>
struct EdgeOps {
  // Sets up the edge p -> q (p upper). Returns the scan lines it spans (<= 0: none).
  template <bool Left>
  static inline int32_t setup(Edge<NA>& e, const FixVert<NA>& p, const FixVert<NA>& q) {
    int32_t cp = ceil16(p.y);
    int32_t lines = ceil16(q.y) - cp;
    e.lines = lines;
    if (lines <= 0) return lines;
    int64_t dy = static_cast<int64_t>(q.y) - p.y;
    int64_t f = static_cast<int64_t>(cp) * 65536 - p.y;  // 16.16 distance from p down to its first line
    // One-line edges may be a tiny fraction high: a 32-bit reciprocal and a 64-bit product
    // instead of a quotient that would not fit 32 bits. Such a slope is only used for the pre-step.
    int64_t recip = lines == 1 ? (int64_t{1} << 30) / dy : 0;
    auto slopeOf = [&](int64_t d) -> int64_t { return lines == 1 ? (d * recip) >> 14 : (d * 65536) / dy; };
    int64_t s = slopeOf(static_cast<int64_t>(q.x) - p.x);
    e.slope = static_cast<int32_t>(s);
    e.x = static_cast<int32_t>(p.x + ((f * s) >> 16));
    if constexpr (Left) {
      for (int k = 0; k < NA; k++) {
        int64_t sa = slopeOf(static_cast<int32_t>(q.a[k] - p.a[k]));
        e.da[k] = static_cast<int32_t>(sa);
        e.a[k] = p.a[k] + static_cast<uint32_t>((f * sa) >> 16);
      }
    }
    return lines;
  }
  template <bool Left>
  static inline void step(Edge<NA>& e) {
    e.x += e.slope;
    if constexpr (Left)
      for (int k = 0; k < NA; k++) e.a[k] += static_cast<uint32_t>(e.da[k]);
  }
};

template <class K, class W, bool Z>
struct Filler {
  static constexpr int NA = K::N + (Z ? 1 : 0);
  using V = FixVert<NA>;
  using E = Edge<NA>;

  // One row: pixels xs .. xe - 1 of an already clamped span.
  static inline void row(uint32_t* line, int32_t* zline, int32_t xs, int32_t xe, const E& left, const int32_t* grad,
                         const Ctx& c) {
    uint32_t a[NA > 0 ? NA : 1];
    int64_t sub = static_cast<int64_t>(xs) * 65536 - left.x;
    for (int k = 0; k < NA; k++) a[k] = left.a[k] + static_cast<uint32_t>((sub * grad[k]) >> 16);
    uint32_t* d = line + xs;
    uint32_t* end = line + xe;
    int32_t* zp = zline + xs;
    for (; d < end; d++) {
      if constexpr (Z) {
        int32_t z = static_cast<int32_t>(a[NA - 1]);
        if (*zp >= z) {
          *zp = z;
          W::put(d, K::shade(a, c));
        }
        zp++;
      } else {
        W::put(d, K::shade(a, c));
      }
      for (int k = 0; k < NA; k++) a[k] += static_cast<uint32_t>(grad[k]);
    }
  }

  // The corners in 16.16 (attributes converted per kind) and as floats for the gradients.
  static inline void corners(const x3dVertex* const fv[3], V pv[3], float af[3][NA > 0 ? NA : 1]) {
    for (int i = 0; i < 3; i++) {
      pv[i].x = fixScreen(fv[i]->sx);
      pv[i].y = fixScreen(fv[i]->sy);
      float tmp[K::N > 0 ? K::N : 1];
      K::attrs(*fv[i], tmp);
      for (int k = 0; k < K::N; k++) {
        af[i][k] = tmp[k];
        pv[i].a[k] = K::conv[k] == LEVEL  ? static_cast<uint32_t>(fixLevel(tmp[k]))
                     : K::conv[k] == WRAP ? fixWrap(tmp[k])
                                          : static_cast<uint32_t>(fix(tmp[k]));
      }
      if constexpr (Z) {
        af[i][NA - 1] = fv[i]->rz;
        pv[i].a[NA - 1] = static_cast<uint32_t>(fix(fv[i]->rz));
      }
    }
  }

  // Per-pixel steps of the attributes along x (16.16); false for a degenerate triangle.
  static inline bool gradients(const x3dVertex& f0, const x3dVertex& f1, const x3dVertex& f2,
                               const float af[3][NA > 0 ? NA : 1], int32_t* grad) {
    float x0 = f0.sx, y0 = f0.sy, x1 = f1.sx, y1 = f1.sy, x2 = f2.sx, y2 = f2.sy;
    float area = (x0 - x2) * (y1 - y2) - (x1 - x2) * (y0 - y2);
    if (area == 0.0f || !(area == area)) return false;
    for (int k = 0; k < NA; k++) {
      float g = ((af[0][k] - af[2][k]) * (y1 - y2) - (af[1][k] - af[2][k]) * (y0 - y2)) / area;
      grad[k] = fix(g);
    }
    return true;
  }

  // Flat: mean intensity, always through the shade table (255 is one step darker).
  static inline void flatColour(const x3dVertex& f0, const x3dVertex& f1, const x3dVertex& f2, Ctx& c) {
    float m = (f0.intensity + f1.intensity + f2.intensity) * 0.33333334f;
    int32_t i = m >= 255.0f ? 255 : m > 0.0f ? static_cast<int32_t>(m) : 0;
    const uint8_t* t = x3dShadeTable + (i << 8);
    c.colour = static_cast<uint32_t>(t[c.r]) << 16 | static_cast<uint32_t>(t[c.g]) << 8 | t[c.b];
  }

  static void triangle(const x3dVertex& f0, const x3dVertex& f1, const x3dVertex& f2, uint32_t* target,
                       const Limits& lim, Ctx& c) {
    const x3dVertex* const fv[3] = {&f0, &f1, &f2};
    V pv[3];
    int32_t grad[NA > 0 ? NA : 1] = {};
    float af[3][NA > 0 ? NA : 1];
    corners(fv, pv, af);
    if constexpr (NA > 0)
      if (!gradients(f0, f1, f2, af, grad)) return;
    if constexpr (K::N == 0) flatColour(f0, f1, f2, c);

    const V *top, *mid, *bot;
    sortByY(pv, top, mid, bot);
    if (ceil16(top->y) == ceil16(bot->y)) return;
    int64_t t = ((static_cast<int64_t>(mid->y) - top->y) << 16) / (static_cast<int64_t>(bot->y) - top->y);
    int32_t xLong = static_cast<int32_t>(top->x + ((t * (static_cast<int64_t>(bot->x) - top->x)) >> 16));
    if (xLong == mid->x) return;

    auto span = [&](int32_t y, const E& left, const E& right) {
      int32_t xs = ceil16(left.x), xe = ceil16(right.x);
      if (xs < 0) xs = 0;
      if (xe > lim.width) xe = lim.width;
      if (xe <= xs) return;
      uint32_t* line = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) + x3dLineOffset[y]);
      int32_t* zline = Z ? x3dZBuffer + (x3dLineOffset[y] >> 2) : nullptr;
      row(line, zline, xs, xe, left, grad, c);
    };
    walkEdges<EdgeOps<NA>, E>(*top, *mid, *bot, xLong > mid->x, ceil16(top->y), lim.height, span);
  }

  static void fill(x3dClipPolygon* p, uint32_t* target, Ctx& c) {
    Limits lim;
    if (!p || !target || p->count < 3 || p->count > 8 || !viewLimits(lim, Z)) return;
    project(p, lim, Z);
    for (int32_t i = 1; i + 1 < p->count; i++) triangle(p->v[0], p->v[i], p->v[i + 1], target, lim, c);
  }
};

template <class K, class W, bool Z>
inline void fillColour(x3dClipPolygon* p, uint32_t* target, uint32_t colour) {
  Ctx c{};
  c.colour = colour;
  Filler<K, W, Z>::fill(p, target, c);
}
template <class K, class W, bool Z>
inline void fillTex(x3dClipPolygon* p, uint32_t* target, const uint32_t* tex) {
  if (!tex) return;
  Ctx c{};
  c.tex = tex;
  Filler<K, W, Z>::fill(p, target, c);
}
template <class W, bool Z>
inline void fillFlat(x3dClipPolygon* p, uint32_t* target, uint8_t r, uint8_t g, uint8_t b) {
  Ctx c{};
  c.r = r;
  c.g = g;
  c.b = b;
  Filler<KFlat, W, Z>::fill(p, target, c);
}

}  // namespace
}  // namespace x3dr

using namespace x3dr;

// clang-format off
void x3dFillFlat(x3dClipPolygon* p, uint32_t* t, uint8_t r, uint8_t g, uint8_t b) { fillFlat<WritePlain, false>(p, t, r, g, b); }
void x3dFillFlatAdd(x3dClipPolygon* p, uint32_t* t, uint8_t r, uint8_t g, uint8_t b) { fillFlat<WriteAdd, false>(p, t, r, g, b); }
void x3dFillFlatZ(x3dClipPolygon* p, uint32_t* t, uint8_t r, uint8_t g, uint8_t b) { fillFlat<WritePlain, true>(p, t, r, g, b); }
void x3dFillFlatAddZ(x3dClipPolygon* p, uint32_t* t, uint8_t r, uint8_t g, uint8_t b) { fillFlat<WriteAdd, true>(p, t, r, g, b); }
void x3dFillGouraud(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraud, WritePlain, false>(p, t, c); }
void x3dFillGouraudAdd(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraud, WriteAdd, false>(p, t, c); }
void x3dFillGouraudZ(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraud, WritePlain, true>(p, t, c); }
void x3dFillGouraudAddZ(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraud, WriteAdd, true>(p, t, c); }
void x3dFillGouraudFog(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraudFog, WritePlain, false>(p, t, c); }
void x3dFillGouraudFogAdd(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraudFog, WriteAdd, false>(p, t, c); }
void x3dFillGouraudFogZ(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraudFog, WritePlain, true>(p, t, c); }
void x3dFillGouraudFogAddZ(x3dClipPolygon* p, uint32_t* t, uint32_t c) { fillColour<KGouraudFog, WriteAdd, true>(p, t, c); }
void x3dFillTex(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTex, WritePlain, false>(p, t, x); }
void x3dFillTexAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTex, WriteAdd, false>(p, t, x); }
void x3dFillTexZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTex, WritePlain, true>(p, t, x); }
void x3dFillTexAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTex, WriteAdd, true>(p, t, x); }
void x3dFillTexLit(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexLit, WritePlain, false>(p, t, x); }
void x3dFillTexLitAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexLit, WriteAdd, false>(p, t, x); }
void x3dFillTexLitZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexLit, WritePlain, true>(p, t, x); }
void x3dFillTexLitAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexLit, WriteAdd, true>(p, t, x); }
void x3dFillTexFog(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexFog, WritePlain, false>(p, t, x); }
void x3dFillTexFogAdd(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexFog, WriteAdd, false>(p, t, x); }
void x3dFillTexFogZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexFog, WritePlain, true>(p, t, x); }
void x3dFillTexFogAddZ(x3dClipPolygon* p, uint32_t* t, const uint32_t* x) { fillTex<KTexFog, WriteAdd, true>(p, t, x); }
// clang-format on
