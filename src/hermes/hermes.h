// Pixel-format conversion with the calls of the Hermes library: generic by masks,
// with fast paths for identical formats and for 32-bit sources.
#pragma once
#include <cstdint>

typedef int32_t HermesHandle;  // 0 = failure

struct HermesFormat {
  uint32_t r, g, b, a;  // channel masks of a pixel read as a little-endian integer
  int32_t bits;         // 8, 16, 24 or 32
  int32_t indexed;      // 8-bit palette index when non-zero
  int32_t has_colorkey;
  uint32_t colorkey;
};

// Non-zero on success. The first call installs the row kernels (SSE2 where qvUseSSE2()).
int32_t Hermes_Init();
int32_t Hermes_Done();

HermesHandle Hermes_ConverterInstance(unsigned long flags);
void Hermes_ConverterReturn(HermesHandle handle);
// Non-zero when the pair can be converted.
int32_t Hermes_ConverterRequest(HermesHandle handle, HermesFormat* source, HermesFormat* dest);
// Palettes used for an indexed source (source palette; the destination one is ignored).
int32_t Hermes_ConverterPalette(HermesHandle handle, HermesHandle sourcePal, HermesHandle destPal);
// Copies a rectangle; sizes must match (no scaling). Non-zero on success.
int32_t Hermes_ConverterCopy(HermesHandle handle, void* s_pixels, int32_t s_x, int32_t s_y, int32_t s_width,
                             int32_t s_height, int32_t s_pitch, void* d_pixels, int32_t d_x, int32_t d_y,
                             int32_t d_width, int32_t d_height, int32_t d_pitch);

HermesHandle Hermes_PaletteInstance();
void Hermes_PaletteReturn(HermesHandle handle);
// 256 entries of 0x00RRGGBB.
void Hermes_PaletteSet(HermesHandle handle, const uint32_t* palette);
