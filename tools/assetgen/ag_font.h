// Type for the generator's pictures: glyphs rendered through FreeType from the
// DejaVu faces that Debian ships, composed with outline, shading and shadow.
#pragma once
#include "ag_image.h"

enum AgFace { AG_SANS_BOLD, AG_SERIF_BOLD, AG_MONO_BOLD, AG_SANS_CONDENSED, AG_FACE_COUNT };

// Loads the faces; false (with a message on stderr) when a font file is missing.
bool agFontInit();
// Coverage of a text line: height = the face's line height at px pixels plus a
// margin on every side; baseline at margin + ascender. tracking adds pixels
// between letters.
AgGray agTextMask(const char* text, AgFace face, int32_t px, int32_t margin = 0, int32_t tracking = 0);
int32_t agTextWidth(const char* text, AgFace face, int32_t px, int32_t tracking = 0);

struct AgTextStyle {
  AgFace face = AG_SANS_BOLD;
  int32_t px = 16, tracking = 0;
  uint32_t top = 0xffffff, bottom = 0x8fdcff;  // vertical gradient of the letters
  uint32_t outline = 0x06122a;
  int32_t outlineR = 1;  // 0 = no outline
  int32_t shadow = 2;    // drop-shadow offset, 0 = none
  uint32_t glow = 0;     // additive halo colour, 0 = none
};
// Draws styled text with its top-left corner at x, y (the mask's corner).
void agDrawText(AgImage& im, int32_t x, int32_t y, const char* text, const AgTextStyle& st);
void agDrawTextCentered(AgImage& im, int32_t cx, int32_t y, const char* text, const AgTextStyle& st);
// Opacity shape of styled text: letters at full level, outline ring at ringLevel.
AgGray agTextShape(const char* text, AgFace face, int32_t px, int32_t ringR, int32_t ringLevel, int32_t tracking = 0);
