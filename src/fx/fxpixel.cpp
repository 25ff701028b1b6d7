// Whole-picture pixel routines: the 50/50 blend and the nearest-neighbour scalers, each
// with a plain and an SSE2 form that give the same bits; the choice is made once (fxkernels.h).
#include "fx/fxkernels.h"
#include "fx/fxtoolkit.h"
#include "platform/qvsimd.h"

// Per channel (a + b) >> 1 without carries between channels: (a & b) + ((a ^ b) >> 1).
static inline uint32_t fxAvg(uint32_t a, uint32_t b) { return (a & b & 0x00ffffffu) + (((a ^ b) >> 1) & 0x007f7f7fu); }

static void fxBlend50Plain(const uint32_t* source, uint32_t* target, int32_t n) {
  for (int32_t i = 0; i < n; i++) target[i] = fxAvg(target[i], source[i]);
}

#if QV_SSE2
static void fxBlend50SSE2(const uint32_t* source, uint32_t* target, int32_t n) {
  const __m128i low24 = _mm_set1_epi32(0x00ffffff);
  const __m128i low7 = _mm_set1_epi32(0x007f7f7f);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i t = _mm_loadu_si128((const __m128i*)(target + i));
    const __m128i s = _mm_loadu_si128((const __m128i*)(source + i));
    const __m128i same = _mm_and_si128(_mm_and_si128(t, s), low24);
    const __m128i half = _mm_and_si128(_mm_srli_epi32(_mm_xor_si128(t, s), 1), low7);
    _mm_storeu_si128((__m128i*)(target + i), _mm_add_epi32(same, half));
  }
  for (; i < n; i++) target[i] = fxAvg(target[i], source[i]);
}
#endif

// 16.16 steps, computed in floating point and truncated toward zero.
static int64_t fxScaleStep(int32_t from, int32_t to) { return (int64_t)((double)from / (double)to * 65536.0); }

static inline int64_t fxSourceRow(int32_t r, int32_t th, int64_t stepY, bool mirror) {
  return ((mirror ? (int64_t)(th - 1 - r) : (int64_t)r) * stepY) >> 16;
}

static void fxScalePlain(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                         bool mirror) {
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return;
  const int64_t stepX = fxScaleStep(sw, tw), stepY = fxScaleStep(sh, th);
  for (int32_t r = 0; r < th; r++) {
    const uint32_t* in = source + fxSourceRow(r, th, stepY, mirror) * sw;
    uint32_t* out = target + (int64_t)r * tw;
    int64_t x = 0;
    for (int32_t c = 0; c < tw; c++, x += stepX) out[c] = in[x >> 16];
  }
}

#if QV_SSE2
static void fxCopyRowSSE2(const uint32_t* in, uint32_t* out, int32_t n) {
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) _mm_storeu_si128((__m128i*)(out + i), _mm_loadu_si128((const __m128i*)(in + i)));
  for (; i < n; i++) out[i] = in[i];
}

static void fxScaleSSE2(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                        bool mirror) {
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return;
  const int64_t stepX = fxScaleStep(sw, tw), stepY = fxScaleStep(sh, th);
  int64_t previous = -1;
  for (int32_t r = 0; r < th; r++) {
    const int64_t row = fxSourceRow(r, th, stepY, mirror);
    uint32_t* out = target + (int64_t)r * tw;
    if (row == previous) {  // a repeated source row: copy the target row just made
      fxCopyRowSSE2(out - tw, out, tw);
      continue;
    }
    previous = row;
    const uint32_t* in = source + row * sw;
    if (stepX == 65536) {  // same width: a straight copy
      fxCopyRowSSE2(in, out, tw);
      continue;
    }
    int64_t x = 0;
    int32_t c = 0;
    for (; c + 4 <= tw; c += 4, x += 4 * stepX) {
      const __m128i p = _mm_set_epi32((int32_t)in[(x + 3 * stepX) >> 16], (int32_t)in[(x + 2 * stepX) >> 16],
                                      (int32_t)in[(x + stepX) >> 16], (int32_t)in[x >> 16]);
      _mm_storeu_si128((__m128i*)(out + c), p);
    }
    for (; c < tw; c++, x += stepX) out[c] = in[x >> 16];
  }
}
#endif

// Until the first call the table holds these: they install the machine's choice and go on.
static void fxBlend50First(const uint32_t* source, uint32_t* target, int32_t n) {
  fxInstallKernels(false);
  fxKernels.blend50(source, target, n);
}

static void fxScaleFirst(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th,
                         bool mirror) {
  fxInstallKernels(false);
  fxKernels.scale(source, target, sw, sh, tw, th, mirror);
}

fxKernelTable fxKernels = {fxBlend50First, fxScaleFirst};

void fxInstallKernels(bool scalar) {
  fxKernels = {fxBlend50Plain, fxScalePlain};
#if QV_SSE2
  if (!scalar && qvUseSSE2()) fxKernels = {fxBlend50SSE2, fxScaleSSE2};
#endif
}

void fxBlend50(const uint32_t* source, uint32_t* target, int32_t n) { fxKernels.blend50(source, target, n); }

void fxScale(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th) {
  fxKernels.scale(source, target, sw, sh, tw, th, false);
}

void fxScaleMirror(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th) {
  fxKernels.scale(source, target, sw, sh, tw, th, true);
}
