// Converter state shared by the scalar and SSE2 halves of the Hermes module.
#pragma once
#include <cstdint>

#include "hermes/hermes.h"

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
  int32_t ready;           // a format pair was accepted
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

// Rows of the 32-bit to 16-bit fast path with SSE2; identical bits to the scalar row.
void hermesRow32to16Sse2(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width);
void hermesRow32to16(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width);
