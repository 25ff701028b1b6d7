// Polygon pipeline entry points: bounding-sphere outcodes, the four side-plane
// clippers, x3dDrawFace, the 36 triangle fillers and the wireframe.
// Every filler projects the clip polygon's vertices (words 15-17) itself and
// draws the fan (0, 1, 2), (0, 2, 3), ... into target, whose lines are found
// through x3dLineOffset. Rows and columns outside the current view are never
// written, whatever the input.
#pragma once
#include <cstdint>

#include "x3d/raster/x3dpolygons.h"

// Outcode bits of a clip-polygon vertex (word 0, bits 16-19).
enum : uint32_t {
  X3D_OUT_LEFT = 0x10000,    // x < -z
  X3D_OUT_RIGHT = 0x20000,   // x > z
  X3D_OUT_TOP = 0x40000,     // y > z
  X3D_OUT_BOTTOM = 0x80000,  // y < -z
  X3D_OUT_MASK = 0xF0000,
};

// Clip-code bits of a face / object (planes its bounding sphere crosses).
enum : int32_t {
  X3D_CLIP_LEFT = 1,
  X3D_CLIP_RIGHT = 2,
  X3D_CLIP_TOP = 4,
  X3D_CLIP_BOTTOM = 8,
  X3D_CLIP_PLANES = 0x0F,  // the four above
  X3D_CLIP_OUTSIDE = 0x80,
  X3D_CLIP_BACKFACE = 0x100,
};

// x3dDrawFace modes.
enum : int32_t { X3D_MODE_PAINTER = 0, X3D_MODE_ZBUFFER = 1 };

// 0x80 when the sphere lies wholly outside a side plane, else the OR of the
// planes it crosses. kx and ky are the camera's side-plane sines of the left and right
// planes and of the top and bottom planes (they differ unless the viewport is square).
uint8_t x3dSphereOutcode(float kx, float ky, const float centre[3], float radius);

// Outcode bits of a view-space position.
uint32_t x3dOutcode(float x, float y, float z);

// Sutherland-Hodgman against x = -z, x = z, y = z, y = -z. Intersection
// vertices get words 1-3, 13, 14, 18 and a fresh outcode; the rest of their
// slot is left as it was. The output never exceeds eight vertices.
void x3dClipLeft(const x3dClipPolygon* in, x3dClipPolygon* out);
void x3dClipRight(const x3dClipPolygon* in, x3dClipPolygon* out);
void x3dClipTop(const x3dClipPolygon* in, x3dClipPolygon* out);
void x3dClipBottom(const x3dClipPolygon* in, x3dClipPolygon* out);

// Prepares, clips and draws one face. pass is 1 (opaque) or 2 (additive, z-buffer mode only).
void x3dDrawFace(x3dFace* face, uint32_t* target, int32_t mode, int32_t pass);

// Which filler x3dDrawFace would call (for tests and tools): one of X3D_FILL_*
// plus X3D_FILL_ADD / X3D_FILL_Z member bits; X3D_FILL_NONE draws nothing.
enum : int32_t {
  X3D_FILL_NONE = 0,
  X3D_FILL_WIRE,
  X3D_FILL_FLAT,
  X3D_FILL_GOURAUD,
  X3D_FILL_GOURAUD_FOG,
  X3D_FILL_TEX,
  X3D_FILL_TEX_LIT,
  X3D_FILL_TEX_FOG,
  X3D_FILL_PERSP,
  X3D_FILL_PERSP_LIT,
  X3D_FILL_PERSP_FOG,
  X3D_FILL_KIND_MASK = 0xFF,
  X3D_FILL_ADD = 0x100,
  X3D_FILL_Z = 0x200,
};
int32_t x3dChooseFiller(int32_t renderFlags, uint8_t fogOn, int32_t mode, int32_t pass);

// Default material of a face without one: wireframe, white in z-buffer mode,
// orange in painter mode.
const x3dMaterial* x3dDefaultMaterial(int32_t mode);

// Fixed-point (affine) fillers.
void x3dFillFlat(x3dClipPolygon* p, uint32_t* target, uint8_t red, uint8_t green, uint8_t blue);
void x3dFillFlatAdd(x3dClipPolygon* p, uint32_t* target, uint8_t red, uint8_t green, uint8_t blue);
void x3dFillFlatZ(x3dClipPolygon* p, uint32_t* target, uint8_t red, uint8_t green, uint8_t blue);
void x3dFillFlatAddZ(x3dClipPolygon* p, uint32_t* target, uint8_t red, uint8_t green, uint8_t blue);
void x3dFillGouraud(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudAdd(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudZ(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudAddZ(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudFog(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudFogAdd(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudFogZ(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillGouraudFogAddZ(x3dClipPolygon* p, uint32_t* target, uint32_t colour);
void x3dFillTex(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexLit(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexLitAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexLitZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexLitAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexFog(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexFogAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexFogZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillTexFogAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);

// Perspective-correct textured fillers (exact u, v every 32 pixels).
void x3dFillPersp(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspLit(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspLitAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspLitZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspLitAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspFog(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspFogAdd(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspFogZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);
void x3dFillPerspFogAddZ(x3dClipPolygon* p, uint32_t* target, const uint32_t* texture);

// Anti-aliased (or, with line-table mode 0, plain) edges of every fan triangle.
void x3dDrawWire(x3dClipPolygon* p, uint8_t red, uint8_t green, uint8_t blue, uint32_t* target);
// One line, the end point excluded. Pixels of its footprint outside the
// current view are skipped (clipped per pixel), never written.
void x3dDrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, uint32_t* target);
