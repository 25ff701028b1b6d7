// Free-direction ray-cast effects: the inside of a cylinder (tunnel), a floor and a
// ceiling (planes) and the inside of a sphere, seen from a freely placed and rotated
// camera. One ray per point of an 8-pixel grid; each 8x8 block between four grid points
// is filled by integer interpolation of texture coordinates and shade.
#pragma once
#include <cstdint>

// One grid point: texture coordinates (texel = (coordinate >> 8) & 255) and a shade
// of 0..65536 (65536 = full light).
struct xFdPoint {
  int32_t u;
  int32_t v;
  int32_t shade;
};

// The state the three effects share.
struct xFdGrid {
  xFdPoint** grid;  // rows pointers to cols points each
  int32_t cols;     // width / 8 + 1
  int32_t rows;     // height / 8 + 1
  float colStep;    // 1 / cols
  float rowStep;    // 1 / rows
  int32_t halfWidth;
  int32_t halfHeight;
  int32_t width;  // also the target's row pitch in pixels
  int32_t height;
  const uint32_t* texture;  // 256x256, 0x00RRGGBB; not owned
  float corner[4][3];       // unit view rays: top-left, top-right, bottom-right, bottom-left
  float rotation[3][3];     // camera rotation, row by row
  float camera[3];          // camera position (tunnel and planes: z is 8 x the given z)
  float size;               // tunnel, sphere: r squared; planes: distance d
  float radius;             // tunnel, sphere: r
  float offset;             // tunnel, sphere: constant term of the intersection
};

// The three effects share one interface; only the surface a ray meets differs.
#define XFD_EFFECT_MEMBERS(Name)                     \
  Name(int32_t width, int32_t height, int32_t size); \
  ~Name();                                           \
  void SetTexture(const uint32_t* texture);          \
  void SetAngles(float a1, float a2, float a3);      \
  void SetPosition(float x, float y, float z);       \
  void Render(uint32_t* target);                     \
  xFdGrid fd;

// The inside of an infinite cylinder of radius size around the z axis.
class xFdTunnel {
 public:
  XFD_EFFECT_MEMBERS(xFdTunnel)
};

// A floor and a ceiling at y = +size and y = -size.
class xFdPlanes {
 public:
  XFD_EFFECT_MEMBERS(xFdPlanes)
};

// The inside of a sphere of radius size around the origin.
class xFdSphere {
 public:
  XFD_EFFECT_MEMBERS(xFdSphere)
};

// Shared steps, also used by tests and tools.
void xFdGridInit(xFdGrid& g, int32_t width, int32_t height);
void xFdGridFree(xFdGrid& g);
void xFdGridSetTexture(xFdGrid& g, const uint32_t* texture);
void xFdGridSetAngles(xFdGrid& g, float a1, float a2, float a3);
// Fills every cell from the grid points into target (rows width pixels apart), through
// the engine's shade table; level-0 pixels are left as they are.
void xFdGridDraw(const xFdGrid& g, uint32_t* target);
// Rounds a float coordinate to the nearest integer, wrapping modulo 2^32; values that are
// not finite give 0. Only the low 16 bits select a texel, so the wrap never shows.
int32_t xFdRound(float value);
// 65536 - trunc(depth * k), or 0 when that is negative, above INT32_MAX or not finite.
int32_t xFdShade(float depth, float k);
