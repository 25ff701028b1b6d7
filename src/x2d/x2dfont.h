// A small 5x7 bitmap font of our own for labels and the viewer's overlay: capitals, digits
// and . _ - / x : space %.
#pragma once
#include <cstdint>

// The seven rows of c's glyph (bit 4 = leftmost column); letters of either case; null when
// the font has no such character.
const uint8_t* x2dGlyph5x7(char c);
// Draws text 6 pixels per character from (x, y) into a buffer laid out like the frame buffer,
// clipped to the frame buffer (not to the clip window).
void x2dText5x7(int32_t x, int32_t y, const char* text, uint32_t colour, uint32_t* target);
