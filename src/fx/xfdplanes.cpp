// Ray-cast planes: a floor and a ceiling at y = +d and y = -d.
#include <cmath>

#include "fx/xfdcast.h"

xFdPlanes::xFdPlanes(int32_t width, int32_t height, int32_t size) {
  xFdGridInit(fd, width, height);
  fd.size = (float)size;
}

xFdPlanes::~xFdPlanes() { xFdGridFree(fd); }

void xFdPlanes::SetTexture(const uint32_t* texture) { xFdGridSetTexture(fd, texture); }

void xFdPlanes::SetAngles(float a1, float a2, float a3) { xFdGridSetAngles(fd, a1, a2, a3); }

void xFdPlanes::SetPosition(float x, float y, float z) { fd.camera[0] = x, fd.camera[1] = y, fd.camera[2] = 8.0f * z; }

void xFdPlanes::Render(uint32_t* target) {
  const float px = fd.camera[0], py = fd.camera[1], pz = fd.camera[2];
  const float d = fd.size, shadeK = d * 0.1f;
  xFdCast(fd, [&](const float* ray, xFdPoint& out) {
    // Upward rays meet y = +d, the others y = -d; a level ray (D.y = 0) meets neither
    // and is taken to end far away.
    const float plane = ray[1] > 0.0f ? d : -d;
    const float t = xFdClampT((plane - py) / ray[1]);
    const float hx = t * ray[0] + px, hz = t * ray[2] - 128.0f;
    out.u = xFdRound(std::fabs(hx) * 51.2f);
    out.v = xFdRound(std::fabs(hz + pz) * 51.2f);
    out.shade = xFdShade(std::fabs(hz + 128.0f), shadeK);
  });
  xFdGridDraw(fd, target);
}
