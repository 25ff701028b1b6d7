// Row kernels of the packed-integer sprite class: each processes n destination pixels
// from n source elements (pixels, or alpha-layer bytes). Two sets with identical bits:
// SSE2 (four pixels per step) and a portable twin (one pixel per step).
// Blend formula on all four bytes, as 16-bit lanes:
//   out = sat_u8(d + ((((s - d) >> 1) x a) >> 7))   (arithmetic shifts, product kept to 16 bits)
// i.e. d + floor(floor((s - d) / 2) x a / 128).
#pragma once
#include <cstdint>

#include "platform/qvsimd.h"

// c: key colour, ink colour or fill colour; a: level 0..255.
typedef void (*x2dRowFn)(uint32_t* d, const void* s, int32_t n, uint32_t c, int32_t a);

struct x2dMmxRows {
  x2dRowFn copy;        // d = s
  x2dRowFn fill;        // d = c (s unused)
  x2dRowFn add;         // all four bytes added with unsigned saturation
  x2dRowFn key;         // d = s where s != c
  x2dRowFn blend;       // blend s onto d with a
  x2dRowFn alpha;       // A = s >> 24: 0 skipped, 255 copied, else blend with A
  x2dRowFn alphaLevel;  // A = 0 skipped, else blend with a (A = 255) or (a x A) >> 8
  x2dRowFn layer;       // L byte: 0 skipped, 255 writes c, else c blended with L
  x2dRowFn layerLevel;  // L = 0 skipped, else c blended with a (L = 255) or (a x L) >> 8
};

extern const x2dMmxRows x2dMmxRowsPlain;
#if QV_SSE2
extern const x2dMmxRows x2dMmxRowsSSE2;
#endif

// One pixel of the blend, the reference for both sets.
static inline uint32_t x2dMmxBlend1(uint32_t s, uint32_t d, int32_t a) {
  uint32_t out = 0;
  for (int32_t sh = 0; sh < 32; sh += 8) {
    const int32_t sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
    int32_t x = (sc - dc) >> 1;
    x = static_cast<int16_t>(x * a) >> 7;
    int32_t r = dc + x;
    r = r < 0 ? 0 : (r > 255 ? 255 : r);
    out |= static_cast<uint32_t>(r) << sh;
  }
  return out;
}
