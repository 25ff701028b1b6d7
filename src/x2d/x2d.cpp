// 2D engine module state and the frame-buffer routines (lines, fades).
#include "x2d/x2d.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/qvsimd.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "x2d/x2dkernels.h"

int32_t x2dWidth = 0;
int32_t x2dHeight = 0;
int32_t x2dPitch = 0;
int32_t* x2dLineOffset = nullptr;
int32_t x2dClipWindow[4] = {0, 0, 0, 0};
uint8_t x2dUseMMX = 0;
int8_t* x2dBlendTable = nullptr;

void x2dInit(int32_t width, int32_t height) {
  x2dWidth = width;
  x2dHeight = height;
  x2dPitch = width * 4;

  // A second call (tests, a new mode) replaces the tables rather than leaking them.
  std::free(x2dLineOffset);
  x2dLineOffset = height > 0 ? static_cast<int32_t*>(std::malloc(sizeof(int32_t) * height)) : nullptr;
  if (!x2dLineOffset) xErrCode("X2d", 73, 1, nullptr);
  for (int32_t i = 0; i < height; i++) x2dLineOffset[i] = i * width * 4;

  x2dDetectMMX();
  x2dSetClipWindow(0, 0, width, height);

  std::free(x2dBlendTable);
  x2dBlendTable = static_cast<int8_t*>(std::calloc(256 * X2D_BLEND_ROW, 1));
  if (!x2dBlendTable) xErrCode("X2d", 80, 1, nullptr);
  for (int32_t a = 0; a < 256; a++) {
    int8_t* row = x2dBlendTable + a * X2D_BLEND_ROW;
    for (int32_t k = -255; k <= 255; k++) {
      int32_t v = a * k;
      v = v >= 0 ? v / 256 : -((-v + 255) / 256);  // floor toward minus infinity
      row[255 + k] = static_cast<int8_t>(static_cast<uint8_t>(v & 0xFF));
    }
  }
}

uint8_t x2dDetectMMX() {
  x2dUseMMX = platCpuHasSSE2() ? 1 : 0;
  x2dInstallKernels(false);
  // Logged verbatim (misspelling included): logs are compared as they stand.
  if (x2dUseMMX) xLog.Print("Pentium MMX detected... switcing to MMX technology");
  return x2dUseMMX;
}

void x2dSetClipWindow(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right > x2dWidth) right = x2dWidth;
  if (bottom > x2dHeight) bottom = x2dHeight;
  x2dClipWindow[0] = left;
  x2dClipWindow[1] = top;
  x2dClipWindow[2] = right;
  x2dClipWindow[3] = bottom;
  // Logged verbatim (misspelling included): logs are compared as they stand.
  xLog.Print(xFormat("Set Cliping Window : Left = %d Top = %d Right = %d Bottom = %d", left, top, right, bottom));
}

static inline uint32_t* x2dRow(uint32_t* target, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) + x2dLineOffset[y]);
}

void x2dHLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour, uint32_t* target) {
  if (y < x2dClipWindow[1] || y >= x2dClipWindow[3]) return;
  if (x1 > x2) std::swap(x1, x2);
  if (x1 < x2dClipWindow[0]) x1 = x2dClipWindow[0];
  if (x2 > x2dClipWindow[2]) x2 = x2dClipWindow[2];
  uint32_t* p = x2dRow(target, y);
  for (int32_t x = x1; x < x2; x++) p[x] = colour;
}

void x2dVLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour, uint32_t* target) {
  if (x < x2dClipWindow[0] || x >= x2dClipWindow[2]) return;
  if (y1 > y2) std::swap(y1, y2);
  if (y1 < x2dClipWindow[1]) y1 = x2dClipWindow[1];
  if (y2 > x2dClipWindow[3]) y2 = x2dClipWindow[3];
  if (y2 <= y1) return;
  uint32_t* p = x2dRow(target, y1) + x;
  for (int32_t y = y1; y < y2; y++, p += x2dWidth) *p = colour;
}

// Portable twins of the fades: the same saturating byte arithmetic, one channel at a time.
static void x2dFadeBlackPlain(uint32_t b, int32_t count, uint32_t* buf) {
  for (int32_t i = 0; i < count; i++) {
    uint32_t p = buf[i], out = p & 0xFF000000u;
    for (int32_t sh = 0; sh < 24; sh += 8) {
      uint32_t c = (p >> sh) & 0xFF;
      out |= (c > b ? c - b : 0) << sh;
    }
    buf[i] = out;
  }
}

static void x2dFadeWhitePlain(uint32_t b, int32_t count, uint32_t* buf) {
  for (int32_t i = 0; i < count; i++) {
    uint32_t p = buf[i], out = p & 0xFF000000u;
    for (int32_t sh = 0; sh < 24; sh += 8) {
      uint32_t c = ((p >> sh) & 0xFF) + b;
      out |= (c > 255 ? 255 : c) << sh;
    }
    buf[i] = out;
  }
}

#if QV_SSE2
// Sixteen pixels per step; the level sits in the three colour bytes of every lane, 0 in the top byte.
template <bool White>
static void x2dFadeSSE2(uint32_t b, int32_t count, uint32_t* buf) {
  const __m128i k = _mm_set1_epi32(static_cast<int32_t>(b * 0x010101u));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i* p = reinterpret_cast<__m128i*>(buf + i);
    __m128i a0 = _mm_loadu_si128(p), a1 = _mm_loadu_si128(p + 1);
    __m128i a2 = _mm_loadu_si128(p + 2), a3 = _mm_loadu_si128(p + 3);
    if (White) {
      a0 = _mm_adds_epu8(a0, k), a1 = _mm_adds_epu8(a1, k), a2 = _mm_adds_epu8(a2, k), a3 = _mm_adds_epu8(a3, k);
    } else {
      a0 = _mm_subs_epu8(a0, k), a1 = _mm_subs_epu8(a1, k), a2 = _mm_subs_epu8(a2, k), a3 = _mm_subs_epu8(a3, k);
    }
    _mm_storeu_si128(p, a0), _mm_storeu_si128(p + 1, a1), _mm_storeu_si128(p + 2, a2), _mm_storeu_si128(p + 3, a3);
  }
  for (; i + 4 <= count; i += 4) {
    __m128i* p = reinterpret_cast<__m128i*>(buf + i);
    __m128i a = _mm_loadu_si128(p);
    _mm_storeu_si128(p, White ? _mm_adds_epu8(a, k) : _mm_subs_epu8(a, k));
  }
  if (White) x2dFadeWhitePlain(b, count - i, buf + i);
  else x2dFadeBlackPlain(b, count - i, buf + i);
}
#endif

x2dKernelTable x2dKernels = {x2dFadeBlackPlain, x2dFadeWhitePlain, &x2dMmxRowsPlain};

void x2dInstallKernels(bool scalar) {
  x2dKernels = {x2dFadeBlackPlain, x2dFadeWhitePlain, &x2dMmxRowsPlain};
#if QV_SSE2
  if (!scalar && qvUseSSE2()) x2dKernels = {x2dFadeSSE2<false>, x2dFadeSSE2<true>, &x2dMmxRowsSSE2};
#endif
}

void x2dFadeToBlack(int32_t level, int32_t count, uint32_t* buffer) {
  uint32_t b = static_cast<uint32_t>(level) & 0xFF;
  if (count > 0 && b != 0) x2dKernels.fadeToBlack(b, count, buffer);
}

void x2dFadeToWhite(int32_t level, int32_t count, uint32_t* buffer) {
  uint32_t b = static_cast<uint32_t>(level) & 0xFF;
  if (count > 0 && b != 0) x2dKernels.fadeToWhite(b, count, buffer);
}
