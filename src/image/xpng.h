// PNG files: 8-bit gray, RGB or RGBA rows, or 0x00RRGGBB buffers (tools, tests, screenshots).
#pragma once
#include <cstdint>
#include <vector>

// Rows top to bottom, width * channels bytes each (1 gray, 3 RGB, 4 RGBA); false when
// the file cannot be written or the arguments make no picture.
bool xPngWrite(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels);

// 0x00RRGGBB pixels, rows pitchPixels apart; the top byte is ignored.
bool xPngWriteXrgb(const char* path, const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchPixels);

// Any PNG as 0x00RRGGBB pixels (alpha dropped, gray spread to RGB). On failure returns
// false and points *why at libpng's reason.
bool xPngReadXrgb(const char* path, std::vector<uint32_t>* pixels, int32_t* width, int32_t* height, const char** why);
