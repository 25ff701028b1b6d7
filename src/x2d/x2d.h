// 2D engine module state (frame-buffer geometry, clip window, blend table,
// choice of sprite class) and the frame-buffer routines: lines and fades.
#pragma once
#include <cstdint>

// Frame-buffer geometry, set by x2dInit.
extern int32_t x2dWidth;   // pixels per line
extern int32_t x2dHeight;  // lines
extern int32_t x2dPitch;   // bytes per line (width x 4)

// Entry y = y x width x 4: byte offset of line y in any buffer laid out like the frame buffer.
extern int32_t* x2dLineOffset;
// left, top, right, bottom; right and bottom exclusive.
extern int32_t x2dClipWindow[4];
// 1 when the packed-integer sprite class is used for new sprites, else 0 (the plain class;
// the two classes round differently). Set by x2dDetectMMX; tests may flip it.
extern uint8_t x2dUseMMX;
// 256 rows x 512 entries: row a, index 255 + k (k = -255..255) holds floor(a x k / 256)
// as a two's-complement byte (so -255 is stored as 1; add it to the channel modulo 256).
extern int8_t* x2dBlendTable;

enum : int32_t { X2D_BLEND_ROW = 512 };

// Centre (index 255) of blend-table row a, 0..255.
inline const int8_t* x2dBlendRow(int32_t a) { return x2dBlendTable + a * X2D_BLEND_ROW + 255; }

// The three colour channels of d + floor(a x (s - d) / 256) through blend-table row
// x2dBlendRow(a); the top byte of the result is 0.
inline uint32_t x2dBlendChannels(uint32_t s, uint32_t d, const int8_t* row) {
  const int32_t sb = s & 0xFF, sg = (s >> 8) & 0xFF, sr = (s >> 16) & 0xFF;
  const int32_t db = d & 0xFF, dg = (d >> 8) & 0xFF, dr = (d >> 16) & 0xFF;
  // Entries are stored modulo 256 (floor(-255 x 255 / 256) = -255 does not fit a byte),
  // so the sum is taken modulo 256 too; the true result always lies in 0..255.
  const uint32_t b = static_cast<uint8_t>(db + row[sb - db]);
  const uint32_t g = static_cast<uint8_t>(dg + row[sg - dg]);
  const uint32_t r = static_cast<uint8_t>(dr + row[sr - dr]);
  return (r << 16) | (g << 8) | b;
}

void x2dInit(int32_t width, int32_t height);
// Chooses the sprite class from the processor probe (QV_SCALAR=1: the plain class) and
// installs the SSE2 or plain kernels (x2dkernels.h); returns x2dUseMMX.
uint8_t x2dDetectMMX();
void x2dSetClipWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Lines in one colour, clipped to the clip window; the second end is exclusive.
void x2dHLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour, uint32_t* target);
void x2dVLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour, uint32_t* target);
// Byte-wise saturating fades of count pixels by the low byte of level; top bytes kept.
void x2dFadeToBlack(int32_t level, int32_t count, uint32_t* buffer);
void x2dFadeToWhite(int32_t level, int32_t count, uint32_t* buffer);
