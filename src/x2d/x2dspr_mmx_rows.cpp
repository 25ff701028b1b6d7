// Row kernels of x2dSpriteMMX: the portable twin and the SSE2 set (same bits).
#include "x2d/x2dspr_mmx_rows.h"

#include <cstring>

namespace {

inline const uint32_t* px(const void* s) { return static_cast<const uint32_t*>(s); }
inline const uint8_t* lb(const void* s) { return static_cast<const uint8_t*>(s); }

// ---- portable twin ----

void pCopy(uint32_t* d, const void* s, int32_t n, uint32_t, int32_t) {
  for (int32_t i = 0; i < n; i++) d[i] = px(s)[i];
}
void pFill(uint32_t* d, const void*, int32_t n, uint32_t c, int32_t) {
  for (int32_t i = 0; i < n; i++) d[i] = c;
}
void pAdd(uint32_t* d, const void* s, int32_t n, uint32_t, int32_t) {
  for (int32_t i = 0; i < n; i++) {
    uint32_t a = px(s)[i], b = d[i], out = 0;
    for (int32_t sh = 0; sh < 32; sh += 8) {
      uint32_t v = ((a >> sh) & 0xFF) + ((b >> sh) & 0xFF);
      out |= (v > 255 ? 255 : v) << sh;
    }
    d[i] = out;
  }
}
void pKey(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t) {
  for (int32_t i = 0; i < n; i++)
    if (px(s)[i] != c) d[i] = px(s)[i];
}
void pBlend(uint32_t* d, const void* s, int32_t n, uint32_t, int32_t a) {
  for (int32_t i = 0; i < n; i++) d[i] = x2dMmxBlend1(px(s)[i], d[i], a);
}
void pAlpha(uint32_t* d, const void* s, int32_t n, uint32_t, int32_t) {
  for (int32_t i = 0; i < n; i++) {
    const uint32_t v = px(s)[i], A = v >> 24;
    if (A == 255) d[i] = v;
    else if (A) d[i] = x2dMmxBlend1(v, d[i], A);
  }
}
void pAlphaLevel(uint32_t* d, const void* s, int32_t n, uint32_t, int32_t a) {
  for (int32_t i = 0; i < n; i++) {
    const uint32_t v = px(s)[i];
    const int32_t A = v >> 24;
    if (A) d[i] = x2dMmxBlend1(v, d[i], A == 255 ? a : (a * A) >> 8);
  }
}
void pLayer(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t) {
  for (int32_t i = 0; i < n; i++) {
    const int32_t L = lb(s)[i];
    if (L == 255) d[i] = c;
    else if (L) d[i] = x2dMmxBlend1(c, d[i], L);
  }
}
void pLayerLevel(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  for (int32_t i = 0; i < n; i++) {
    const int32_t L = lb(s)[i];
    if (L) d[i] = x2dMmxBlend1(c, d[i], L == 255 ? a : (a * L) >> 8);
  }
}

#if QV_SSE2
// ---- SSE2: four pixels per step, the remainder through the twin ----

inline __m128i ld(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void st(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// Blend of four pixels; aLo holds the alpha of pixels 0 and 1 in 16-bit lanes 0-3 and 4-7,
// aHi that of pixels 2 and 3.
inline __m128i blend4(__m128i s, __m128i d, __m128i aLo, __m128i aHi) {
  const __m128i z = _mm_setzero_si128();
  const __m128i dl = _mm_unpacklo_epi8(d, z), dh = _mm_unpackhi_epi8(d, z);
  __m128i xl = _mm_subs_epi16(_mm_unpacklo_epi8(s, z), dl);
  __m128i xh = _mm_subs_epi16(_mm_unpackhi_epi8(s, z), dh);
  xl = _mm_srai_epi16(_mm_mullo_epi16(_mm_srai_epi16(xl, 1), aLo), 7);
  xh = _mm_srai_epi16(_mm_mullo_epi16(_mm_srai_epi16(xh, 1), aHi), 7);
  return _mm_packus_epi16(_mm_adds_epi16(dl, xl), _mm_adds_epi16(dh, xh));
}

// Per-pixel alphas (0..255 in each 32-bit lane) spread to the two 16-bit lane sets.
inline void spread(__m128i a32, __m128i& aLo, __m128i& aHi) {
  const __m128i a16 = _mm_or_si128(a32, _mm_slli_epi32(a32, 16));
  aLo = _mm_unpacklo_epi32(a16, a16);
  aHi = _mm_unpackhi_epi32(a16, a16);
}

inline __m128i select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Four layer bytes widened to four 32-bit lanes.
inline __m128i layer4(const uint8_t* l) {
  int32_t v;
  std::memcpy(&v, l, 4);
  const __m128i z = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), z), z);
}

// (level x A) >> 8 per 32-bit lane, or level where A = 255; A < 256 and level < 256,
// so the 16-bit product is exact when read unsigned.
inline __m128i levelAlpha(__m128i A, __m128i level, __m128i is255) {
  return select(is255, level, _mm_srli_epi32(_mm_mullo_epi16(A, level), 8));
}

void sCopy(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i v0 = ld(px(s) + i), v1 = ld(px(s) + i + 4), v2 = ld(px(s) + i + 8), v3 = ld(px(s) + i + 12);
    st(d + i, v0), st(d + i + 4, v1), st(d + i + 8, v2), st(d + i + 12, v3);
  }
  for (; i + 4 <= n; i += 4) st(d + i, ld(px(s) + i));
  pCopy(d + i, px(s) + i, n - i, c, a);
}
void sFill(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i v = _mm_set1_epi32(static_cast<int32_t>(c));
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) st(d + i, v), st(d + i + 4, v), st(d + i + 8, v), st(d + i + 12, v);
  for (; i + 4 <= n; i += 4) st(d + i, v);
  pFill(d + i, s, n - i, c, a);
}
void sAdd(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) st(d + i, _mm_adds_epu8(ld(px(s) + i), ld(d + i)));
  pAdd(d + i, px(s) + i, n - i, c, a);
}
void sKey(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i k = _mm_set1_epi32(static_cast<int32_t>(c));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = ld(px(s) + i);
    st(d + i, select(_mm_cmpeq_epi32(v, k), ld(d + i), v));
  }
  pKey(d + i, px(s) + i, n - i, c, a);
}
void sBlend(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i a16 = _mm_set1_epi16(static_cast<int16_t>(a));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) st(d + i, blend4(ld(px(s) + i), ld(d + i), a16, a16));
  pBlend(d + i, px(s) + i, n - i, c, a);
}
void sAlpha(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i z = _mm_setzero_si128(), full = _mm_set1_epi32(255);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = ld(px(s) + i), A = _mm_srli_epi32(v, 24);
    const __m128i is255 = _mm_cmpeq_epi32(A, full);
    const int m0 = _mm_movemask_epi8(_mm_cmpeq_epi32(A, z)), m255 = _mm_movemask_epi8(is255);
    if (m0 == 0xFFFF) continue;  // wholly transparent
    if (m255 == 0xFFFF) {        // wholly opaque
      st(d + i, v);
      continue;
    }
    __m128i aLo, aHi;
    spread(A, aLo, aHi);  // alpha 0 leaves all four bytes as they were
    st(d + i, select(is255, v, blend4(v, ld(d + i), aLo, aHi)));
  }
  pAlpha(d + i, px(s) + i, n - i, c, a);
}
void sAlphaLevel(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i z = _mm_setzero_si128(), full = _mm_set1_epi32(255), lv = _mm_set1_epi32(a);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = ld(px(s) + i), A = _mm_srli_epi32(v, 24);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(A, z)) == 0xFFFF) continue;
    __m128i aLo, aHi;
    spread(levelAlpha(A, lv, _mm_cmpeq_epi32(A, full)), aLo, aHi);
    st(d + i, blend4(v, ld(d + i), aLo, aHi));
  }
  pAlphaLevel(d + i, px(s) + i, n - i, c, a);
}
void sLayer(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i z = _mm_setzero_si128(), full = _mm_set1_epi32(255);
  const __m128i ink = _mm_set1_epi32(static_cast<int32_t>(c));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i L = layer4(lb(s) + i);
    const __m128i is255 = _mm_cmpeq_epi32(L, full);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(L, z)) == 0xFFFF) continue;
    if (_mm_movemask_epi8(is255) == 0xFFFF) {
      st(d + i, ink);
      continue;
    }
    __m128i aLo, aHi;
    spread(L, aLo, aHi);
    st(d + i, select(is255, ink, blend4(ink, ld(d + i), aLo, aHi)));
  }
  pLayer(d + i, lb(s) + i, n - i, c, a);
}
void sLayerLevel(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a) {
  const __m128i z = _mm_setzero_si128(), full = _mm_set1_epi32(255), lv = _mm_set1_epi32(a);
  const __m128i ink = _mm_set1_epi32(static_cast<int32_t>(c));
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i L = layer4(lb(s) + i);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(L, z)) == 0xFFFF) continue;
    __m128i aLo, aHi;
    spread(levelAlpha(L, lv, _mm_cmpeq_epi32(L, full)), aLo, aHi);
    st(d + i, blend4(ink, ld(d + i), aLo, aHi));
  }
  pLayerLevel(d + i, lb(s) + i, n - i, c, a);
}
#endif

}  // namespace

const x2dMmxRows x2dMmxRowsPlain = {pCopy, pFill, pAdd, pKey, pBlend, pAlpha, pAlphaLevel, pLayer, pLayerLevel};
#if QV_SSE2
const x2dMmxRows x2dMmxRowsSSE2 = {sCopy, sFill, sAdd, sKey, sBlend, sAlpha, sAlphaLevel, sLayer, sLayerLevel};
#endif
