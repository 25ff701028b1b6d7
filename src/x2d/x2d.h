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
// 1 when the packed-integer sprite class is used, else 0.
extern uint8_t x2dUseMMX;
// 1 when the packed-integer code runs on SSE2 instructions, 0 for its portable
// twin (same bits). Set by x2dDetectMMX; tests may flip it to compare the two.
extern uint8_t x2dUseSSE2;
// 256 rows x 512 entries: row a, index 255 + k (k = -255..255) holds floor(a x k / 256)
// as a two's-complement byte (so -255 is stored as 1; add it to the channel modulo 256).
extern int8_t* x2dBlendTable;

enum : int32_t { X2D_BLEND_ROW = 512 };

void x2dInit(int32_t width, int32_t height);
uint8_t x2dDetectMMX();
void x2dSetClipWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Lines in one colour, clipped to the clip window; the second end is exclusive.
void x2dHLine(int32_t x1, int32_t x2, int32_t y, uint32_t colour, uint32_t* target);
void x2dVLine(int32_t x, int32_t y1, int32_t y2, uint32_t colour, uint32_t* target);
// Byte-wise saturating fades of count pixels by the low byte of level; top bytes kept.
void x2dFadeToBlack(int32_t level, int32_t count, uint32_t* buffer);
void x2dFadeToWhite(int32_t level, int32_t count, uint32_t* buffer);
