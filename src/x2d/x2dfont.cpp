// The 5x7 font of labels and overlays: one byte per row, bit 4 = the leftmost column.
#include "x2d/x2dfont.h"

#include <cctype>
#include <cstring>

#include "x2d/x2d.h"

static const char* const kGlyphChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-/x: %";
static const uint8_t kGlyphs[][7] = {
    {14, 17, 17, 31, 17, 17, 17}, {30, 17, 17, 30, 17, 17, 30}, {14, 17, 16, 16, 16, 17, 14},
    {30, 17, 17, 17, 17, 17, 30}, {31, 16, 16, 30, 16, 16, 31}, {31, 16, 16, 30, 16, 16, 16},
    {14, 17, 16, 23, 17, 17, 15}, {17, 17, 17, 31, 17, 17, 17}, {14, 4, 4, 4, 4, 4, 14},
    {7, 2, 2, 2, 2, 18, 12},      {17, 18, 20, 24, 20, 18, 17}, {16, 16, 16, 16, 16, 16, 31},
    {17, 27, 21, 21, 17, 17, 17}, {17, 17, 25, 21, 19, 17, 17}, {14, 17, 17, 17, 17, 17, 14},
    {30, 17, 17, 30, 16, 16, 16}, {14, 17, 17, 17, 21, 18, 13}, {30, 17, 17, 30, 20, 18, 17},
    {15, 16, 16, 14, 1, 1, 30},   {31, 4, 4, 4, 4, 4, 4},       {17, 17, 17, 17, 17, 17, 14},
    {17, 17, 17, 17, 17, 10, 4},  {17, 17, 17, 21, 21, 21, 10}, {17, 17, 10, 4, 10, 17, 17},
    {17, 17, 10, 4, 4, 4, 4},     {31, 1, 2, 4, 8, 16, 31},     {14, 17, 19, 21, 25, 17, 14},
    {4, 12, 4, 4, 4, 4, 14},      {14, 17, 1, 2, 4, 8, 31},     {31, 2, 4, 2, 1, 17, 14},
    {2, 6, 10, 18, 31, 2, 2},     {31, 16, 30, 1, 1, 17, 14},   {6, 8, 16, 30, 17, 17, 14},
    {31, 1, 2, 4, 8, 8, 8},       {14, 17, 17, 14, 17, 17, 14}, {14, 17, 17, 15, 1, 2, 12},
    {0, 0, 0, 0, 0, 12, 12},      {0, 0, 0, 0, 0, 0, 31},       {0, 0, 0, 31, 0, 0, 0},
    {1, 1, 2, 4, 8, 16, 16},      {0, 0, 17, 10, 4, 10, 17},    {0, 12, 12, 0, 12, 12, 0},
    {0, 0, 0, 0, 0, 0, 0},        {25, 25, 2, 4, 8, 19, 19}};

const uint8_t* x2dGlyph5x7(char c) {
  if (c == 0) return nullptr;
  const char* g = std::strchr(kGlyphChars, std::toupper((unsigned char)c));
  return g ? kGlyphs[g - kGlyphChars] : nullptr;
}

void x2dText5x7(int32_t x, int32_t y, const char* text, uint32_t colour, uint32_t* target) {
  for (int32_t i = 0; text[i]; i++) {
    const uint8_t* rows = x2dGlyph5x7(text[i]);
    if (!rows) continue;
    for (int32_t r = 0; r < 7; r++)
      for (int32_t c = 0; c < 5; c++) {
        int32_t px = x + i * 6 + c, py = y + r;
        if ((rows[r] >> (4 - c) & 1) && px >= 0 && py >= 0 && px < x2dWidth && py < x2dHeight)
          target[py * x2dWidth + px] = colour;
      }
  }
}
