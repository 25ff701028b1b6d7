// Texture-mapped planes: rotozoom and the warped plane. Coordinates are 8.8 fixed point
// kept in unsigned 32-bit words so that wrap-around is defined; only bits 8-15 select
// a texel, so the wrap never shows.
#include "fx/fxtables.h"
#include "fx/fxtoolkit.h"

void fxRotozoom(int32_t w, int32_t h, int32_t zoom, int32_t angle, const uint32_t* texture, uint32_t* target) {
  const int32_t a = angle & 255;
  // Divisions round toward zero; 64-bit products keep extreme zooms defined.
  const int32_t A = (int32_t)((int64_t)cos256[a] * zoom / 256);
  const int32_t B = (int32_t)((int64_t)sin256[a] * zoom / 256);
  // Start of row 0, centred on a 320x200 view; arithmetic shifts.
  const uint32_t u0 = (uint32_t)(((int64_t)160 * B) >> 8) * 256u + (uint32_t)(((int64_t)100 * A) >> 8);
  const uint32_t v0 = (uint32_t)(((int64_t)160 * A) >> 8) * 256u + (uint32_t)(((int64_t)100 * B) >> 8);
  const uint32_t du = (uint32_t)A, dv = (uint32_t)B;
  const uint32_t rowU = (uint32_t)B, rowV = (uint32_t)A + 256u;
  uint32_t su = u0, sv = v0;
  for (int32_t r = 0; r < h; r++) {
    uint32_t u = su, v = sv;
    uint32_t* out = target + (int64_t)r * w;
    for (int32_t c = 0; c < w; c++) {
      out[c] = texture[(v & 0xff00u) + ((u & 0xffffu) >> 8)];
      u += du;
      v += dv;
    }
    su += rowU;
    sv += rowV;
  }
}

void fxWarp(int32_t w, int32_t h, int32_t left, int32_t top, int32_t cu, int32_t cv, int32_t ru, int32_t rv,
            const uint32_t* texture, uint32_t* target) {
  // Row step of v plus a sine wobble of up to one texel, stored as a 16-bit value.
  // It depends on the row only through row mod 128, so 128 entries cover any height.
  int16_t rowV[128];
  for (int32_t k = 0; k < 128; k++) rowV[k] = (int16_t)((sin128[k] >> 8) + (rv >> 8));
  const uint32_t du = (uint32_t)(ru >> 8);
  uint32_t U = 0, V = 0;  // 16.16 column accumulators
  for (int32_t j = 0; j < w; j++) {
    uint32_t u = U >> 8, v = V >> 8;  // 8.8; only bits 8-15 are used, so the shift kind is moot
    uint32_t* out = target + (int64_t)top * 320 + left + j;
    for (int32_t k = 0; k < h; k++) {
      *out = texture[((v >> 8) & 255u) * 256u + ((u >> 8) & 255u)];
      out += 320;
      u += du;
      v += (uint32_t)(int32_t)rowV[k & 127];
    }
    U += (uint32_t)cos128[j & 127] + (uint32_t)cu;
    V += (uint32_t)cv;
  }
}
