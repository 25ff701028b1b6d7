// Pipeline set-up: line table and pitch, RENDER_TYPE table, wireframe intensity table.
#include "x3d/raster/x3dpolygons.h"

#include <cstdlib>

#include "system/xerror.h"
#include "xmath/xmath.h"

int32_t x3dPitch;
uint8_t x3dLineIntensity[X3D_LINE_TABLE_SIZE];
int32_t x3dLineMode;

// By render type (the index).
const int32_t x3dRenderTypeFlags[X3D_RENDER_TYPES] = {
    X3D_RF_WIRE,                                                                           //  0
    X3D_RF_FLAT,                                                                           //  1
    X3D_RF_GOURAUD,                                                                        //  2
    X3D_RF_TEXTURE | X3D_RF_UNLIT,                                                         //  3
    X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_UNLIT,                                         //  4
    X3D_RF_TEXTURE,                                                                        //  5
    X3D_RF_TEXTURE | X3D_RF_ENVMAP,                                                        //  6
    X3D_RF_TEXTURE | X3D_RF_PERSPECTIVE | X3D_RF_UNLIT,                                    //  7
    X3D_RF_TEXTURE | X3D_RF_PERSPECTIVE,                                                   //  8
    X3D_RF_FLAT | X3D_RF_ADDITIVE,                                                         //  9
    X3D_RF_GOURAUD | X3D_RF_ADDITIVE,                                                      // 10
    X3D_RF_TEXTURE | X3D_RF_UNLIT | X3D_RF_ADDITIVE,                                       // 11
    X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_UNLIT | X3D_RF_ADDITIVE,                       // 12
    X3D_RF_TEXTURE | X3D_RF_ADDITIVE,                                                      // 13
    X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_ADDITIVE,                                      // 14
    X3D_RF_TEXTURE | X3D_RF_PERSPECTIVE | X3D_RF_UNLIT | X3D_RF_ADDITIVE,                  // 15
    X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_PERSPECTIVE | X3D_RF_UNLIT,                    // 16
    X3D_RF_TEXTURE | X3D_RF_ENVMAP | X3D_RF_PERSPECTIVE | X3D_RF_UNLIT | X3D_RF_ADDITIVE,  // 17
    X3D_RF_TEXTURE | X3D_RF_PERSPECTIVE | X3D_RF_ADDITIVE,                                 // 18
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
      x3dLineIntensity[i] = static_cast<uint8_t>(255.0 * xMathExp(-e * e));
    }
  }
  for (int32_t i = 0; i < X3D_LINE_TABLE_SIZE; i++)
    x3dLineIntensity[i] = static_cast<uint8_t>(x3dLineIntensity[i] >> shift);
  x3dLineMode = mode;
}
