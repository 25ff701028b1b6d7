// Helpers for the renderer tests: a 320x200 view with a camera, polygons
// placed at chosen screen positions, and a slow floating-point reference
// rasteriser with the same fill convention as the fixed-point fillers.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "x3d/raster/x3dfill.h"
#include "x3d/x3d.h"

// Engine, 2D blend table, camera with a 320x200 viewport, z-buffer cleared.
struct RenderTestView {
  x3dCamera camera{};
  std::vector<uint32_t> pixels;
  void init();
  uint32_t* target() { return pixels.data(); }
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * 320 + x]; }
  void clear(uint32_t c = 0);
  void clearZ();
};

// A vertex whose projection lands on screen (sx, sy) at depth z.
x3dVertex screenVertex(float sx, float sy, float z = 1.0f);

// Triangle polygon from three screen points.
x3dClipPolygon screenTriangle(const float sx[3], const float sy[3], float z = 1.0f);

// One reference pixel: covered by the fill convention, or too close to an edge
// (within fixed-point stepping error) to say; bary holds the barycentric weights.
struct RefPixel {
  int x, y;
  bool covered;
  bool ambiguous;
  double bary[3];
};

// Every pixel in the triangle's row range near or inside it, from the 16.16-rounded
// screen positions. Returns false when the triangle is too thin to judge.
bool refRasterise(const float sx[3], const float sy[3], std::vector<RefPixel>& out);

// Shade table where row i holds i in every column (the output channel is the level).
void useLevelShadeTable(bool on);
// Fog planes where row f holds f in every column.
void useLevelFogTable(bool on);

// Texture encoding its coordinates: texel (u, v) = top << 24 | v << 8 | u.
std::vector<uint32_t> coordTexture(uint8_t top = 0);
