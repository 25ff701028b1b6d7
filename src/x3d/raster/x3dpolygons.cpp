// Pipeline set-up: line table and pitch, RENDER_TYPE table, wireframe intensity table.
#include "x3d/raster/x3dpolygons.h"

#include <cmath>
#include <cstdlib>

#include "system/xerror.h"

int32_t x3dPitch;
uint8_t x3dLineIntensity[X3D_LINE_TABLE_SIZE];
int32_t x3dLineMode;

const int32_t x3dRenderTypeFlags[X3D_RENDER_TYPES] = {
    0x020,  //  0 wireframe
    0x001,  //  1 flat
    0x002,  //  2 Gouraud
    0x088,  //  3 texture, unlit
    0x098,  //  4 environment map, unlit
    0x008,  //  5 texture, lit
    0x018,  //  6 environment map, lit
    0x0C8,  //  7 perspective texture, unlit
    0x048,  //  8 perspective texture, lit
    0x101,  //  9 flat, additive
    0x102,  // 10 Gouraud, additive
    0x188,  // 11 texture, unlit, additive
    0x198,  // 12 environment map, unlit, additive
    0x108,  // 13 texture, lit, additive
    0x118,  // 14 environment map, lit, additive
    0x1C8,  // 15 perspective texture, unlit, additive
    0x0D8,  // 16 perspective environment map, unlit
    0x1D8,  // 17 perspective environment map, unlit, additive
    0x148,  // 18 perspective texture, lit, additive
};

int32_t x3dRenderFlags(int32_t renderType) {
  if (renderType < 0 || renderType >= X3D_RENDER_TYPES) return -1;
  return x3dRenderTypeFlags[renderType];
}

void x3dPolygonsInit(int32_t width, int32_t height) {
  if (!x3dLineOffset) xErrCode("Polygons", 44, 1, nullptr);
  if (height > x3dLineRows) {
    // A camera viewport taller than the engine view needs more rows.
    int32_t* grown = static_cast<int32_t*>(std::realloc(x3dLineOffset, sizeof(int32_t) * height));
    if (!grown) xErrCode("Polygons", __LINE__, 1, nullptr);
    x3dLineOffset = grown;
    x3dLineRows = height;
  }
  for (int32_t i = 0; i < height; i++) x3dLineOffset[i] = i * width * 4;
  x3dPitch = width * 4;
}

void x3dLineTable(int32_t mode, int32_t shift) {
  if (mode == 1) {
    for (int32_t i = 0; i < X3D_LINE_TABLE_SIZE; i++) x3dLineIntensity[i] = static_cast<uint8_t>(255 - (255 * i) / 192);
  } else if (mode > 1) {
    for (int32_t i = 0; i < X3D_LINE_TABLE_SIZE; i++) {
      double e = i / (20.0 * (mode - 1));
      x3dLineIntensity[i] = static_cast<uint8_t>(255.0 * std::exp(-e * e));
    }
  }
  for (int32_t i = 0; i < X3D_LINE_TABLE_SIZE; i++)
    x3dLineIntensity[i] = static_cast<uint8_t>(x3dLineIntensity[i] >> shift);
  x3dLineMode = mode;
}
