// Polygon pipeline records shared by the engine and the fillers: render flags,
// the RENDER_TYPE table, the clip polygon, the line table and the wireframe
// intensity table.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"

// x3dRenderFlags: bits of a material's render flags.
enum : int32_t {
  X3D_RF_FLAT = 0x001,
  X3D_RF_GOURAUD = 0x002,
  X3D_RF_TEXTURE = 0x008,
  X3D_RF_ENVMAP = 0x010,  // always with X3D_RF_TEXTURE
  X3D_RF_WIRE = 0x020,
  X3D_RF_PERSPECTIVE = 0x040,
  X3D_RF_UNLIT = 0x080,  // texture without lighting
  X3D_RF_ADDITIVE = 0x100,
};

// RENDER_TYPE value -> render flags.
enum : int32_t { X3D_RENDER_TYPES = 19 };
extern const int32_t x3dRenderTypeFlags[X3D_RENDER_TYPES];

// Flags for a RENDER_TYPE value; -1 for a value outside 0..18.
int32_t x3dRenderFlags(int32_t renderType);

// Up to eight vertices (a triangle clipped by four planes has at most seven).
struct x3dClipPolygon {
  x3dVertex v[8];
  int32_t count;
};

extern int32_t x3dPitch;  // bytes per target line

// Refills x3dLineOffset for a target of width x height (grows it when taller)
// and sets the pitch. The engine's line table must exist.
void x3dPolygonsInit(int32_t width, int32_t height);

// Wireframe fall-off by distance from the ideal line, in 1/128 pixel (0..1.5 px).
enum : int32_t { X3D_LINE_TABLE_SIZE = 192 };
extern uint8_t x3dLineIntensity[X3D_LINE_TABLE_SIZE];
extern int32_t x3dLineMode;  // 0 plain lines, otherwise anti-aliased

// mode 1: linear fall-off; mode m > 1: Gaussian; mode 0 keeps the entries. Then every entry >>= shift.
void x3dLineTable(int32_t mode, int32_t shift);
