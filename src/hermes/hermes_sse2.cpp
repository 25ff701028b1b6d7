// SSE2 row of the 32-bit to 16-bit fast path: eight pixels per step, the same
// shift-and-mask per channel as the scalar row, which also finishes the tail.
#include "hermes/hermes_internal.h"

#if QV_SSE2

void hermesRow32to16Sse2(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const __m128i s0 = _mm_cvtsi32_si128(c->fs[0]), s1 = _mm_cvtsi32_si128(c->fs[1]), s2 = _mm_cvtsi32_si128(c->fs[2]);
  const __m128i d0 = _mm_cvtsi32_si128(c->fd[0]), d1 = _mm_cvtsi32_si128(c->fd[1]), d2 = _mm_cvtsi32_si128(c->fd[2]);
  const __m128i m0 = _mm_set1_epi32((int)c->fm[0]), m1 = _mm_set1_epi32((int)c->fm[1]);
  const __m128i m2 = _mm_set1_epi32((int)c->fm[2]);
  int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    __m128i p[2] = {_mm_loadu_si128((const __m128i*)(s + 4 * x)), _mm_loadu_si128((const __m128i*)(s + 4 * x + 16))};
    __m128i o[2];
    for (int i = 0; i < 2; i++) {
      __m128i r = _mm_sll_epi32(_mm_and_si128(_mm_srl_epi32(p[i], s0), m0), d0);
      __m128i g = _mm_sll_epi32(_mm_and_si128(_mm_srl_epi32(p[i], s1), m1), d1);
      __m128i b = _mm_sll_epi32(_mm_and_si128(_mm_srl_epi32(p[i], s2), m2), d2);
      // Sign-extend the low 16 bits so the saturating pack keeps them unchanged.
      o[i] = _mm_srai_epi32(_mm_slli_epi32(_mm_or_si128(_mm_or_si128(r, g), b), 16), 16);
    }
    _mm_storeu_si128((__m128i*)(d + 2 * x), _mm_packs_epi32(o[0], o[1]));
  }
  if (x < width) hermesRow32to16(c, s + 4 * x, d + 2 * x, width - x);
}

#endif
