// Stand-in for the pixel-format converter while it is built elsewhere: a plain per-pixel
// conversion by masks, enough for the video driver's tests.
#include <cstring>

#include "hermes/hermes.h"

static HermesFormat hdSrc, hdDst;

int32_t Hermes_Init() { return 1; }
int32_t Hermes_Done() { return 1; }
HermesHandle Hermes_ConverterInstance(unsigned long) { return 1; }
void Hermes_ConverterReturn(HermesHandle) {}
int32_t Hermes_ConverterRequest(HermesHandle h, HermesFormat* s, HermesFormat* d) {
  if (h != 1 || !s || !d) return 0;
  hdSrc = *s;
  hdDst = *d;
  return 1;
}
int32_t Hermes_ConverterPalette(HermesHandle, HermesHandle, HermesHandle) { return 1; }
HermesHandle Hermes_PaletteInstance() { return 1; }
void Hermes_PaletteReturn(HermesHandle) {}
void Hermes_PaletteSet(HermesHandle, int32*) {}

static uint32_t hdGet(const uint8_t* p, int32_t bits) {
  uint32_t v = p[0];
  if (bits > 8) v |= (uint32_t)p[1] << 8;
  if (bits > 16) v |= (uint32_t)p[2] << 16;
  if (bits > 24) v |= (uint32_t)p[3] << 24;
  return v;
}
static void hdPut(uint8_t* p, int32_t bits, uint32_t v) {
  p[0] = (uint8_t)v;
  if (bits > 8) p[1] = (uint8_t)(v >> 8);
  if (bits > 16) p[2] = (uint8_t)(v >> 16);
  if (bits > 24) p[3] = (uint8_t)(v >> 24);
}
static uint32_t hdChannel(uint32_t v, uint32_t smask, uint32_t dmask) {
  if (!smask || !dmask) return 0;
  int32_t ss = __builtin_ctz(smask), ds = __builtin_ctz(dmask);
  int32_t sb = __builtin_popcount(smask), db = __builtin_popcount(dmask);
  uint32_t c = (v & smask) >> ss;
  c = sb >= db ? c >> (sb - db) : c << (db - sb);
  return (c << ds) & dmask;
}

int32_t Hermes_ConverterCopy(HermesHandle, void* sp, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t spitch,
                             void* dp, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t dpitch) {
  if (sw != dw || sh != dh) return 0;
  int32_t sb = (hdSrc.bits + 7) / 8, db = (hdDst.bits + 7) / 8;
  for (int32_t y = 0; y < sh; y++) {
    const uint8_t* s = (const uint8_t*)sp + (size_t)(sy + y) * spitch + sx * sb;
    uint8_t* d = (uint8_t*)dp + (size_t)(dy + y) * dpitch + dx * db;
    for (int32_t x = 0; x < sw; x++) {
      uint32_t v = hdGet(s + x * sb, hdSrc.bits);
      uint32_t o = hdChannel(v, hdSrc.r, hdDst.r) | hdChannel(v, hdSrc.g, hdDst.g) | hdChannel(v, hdSrc.b, hdDst.b);
      hdPut(d + x * db, hdDst.bits, o);
    }
  }
  return 1;
}
