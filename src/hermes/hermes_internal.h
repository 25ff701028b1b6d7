// Converter state shared by the scalar and SSE2 halves of the Hermes module.
#pragma once
#include <cstdint>

#include "hermes/hermes.h"
#include "platform/qvsimd.h"

// One source channel: index = (pixel >> shift) & mask, lut[index] = the channel's
// bits already placed in the destination pixel.
struct HermesChannel {
  int32_t shift;
  uint32_t mask;  // 0 when the source has no such channel
  uint32_t lut[256];
};

typedef void (*HermesRowFn)(struct HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width);

struct HermesConverter {
  int32_t used;
  unsigned long flags;
  int32_t ready;  // a format pair was accepted
  HermesFormat source, dest;
  HermesHandle palette;    // source palette for an indexed source
  HermesChannel ch[4];     // r, g, b, a
  uint32_t fill;           // bits always set in the destination (alpha when the source has none)
  uint32_t indexLut[256];  // indexed source: palette entry -> destination pixel, built per copy
  int32_t sBytes, dBytes;
  HermesRowFn row;
  // 32-bit source fast path: destination = ((p >> fs[c]) & fm[c]) << fd[c] summed over r, g, b.
  int32_t fs[3], fd[3];
  uint32_t fm[3];
};

// Rows of the 32-bit to 16-bit fast path: the plain row and its SSE2 twin (identical bits).
void hermesRow32to16(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width);
#if QV_SSE2
void hermesRow32to16Sse2(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width);
#endif

// The rows that have an SSE2 twin; a converter takes its row from here when a format pair
// is requested.
struct HermesKernels {
  HermesRowFn row32to16;
};
extern HermesKernels hermesKernels;

// Installs the plain rows (scalar) or the SSE2 twins where qvUseSSE2(). The first Hermes_Init
// calls it; tests and benches call it to compare the twins bit for bit.
void hermesInstallKernels(bool scalar);
