// Ray-cast tunnel: the inside of an infinite cylinder around the z axis.
#include <cmath>

#include "fx/xfdcast.h"
#include "x3d/x3d.h"
#include "xmath/xmath.h"

xFdTunnel::xFdTunnel(int32_t width, int32_t height, int32_t size) {
  xFdGridInit(fd, width, height);
  fd.radius = (float)size;
  fd.size = fd.radius * fd.radius;
  fd.offset = -fd.size;  // camera on the axis
}

xFdTunnel::~xFdTunnel() { xFdGridFree(fd); }

void xFdTunnel::SetTexture(const uint32_t* texture) { xFdGridSetTexture(fd, texture); }

void xFdTunnel::SetAngles(float a1, float a2, float a3) { xFdGridSetAngles(fd, a1, a2, a3); }

void xFdTunnel::SetPosition(float x, float y, float z) {
  fd.camera[0] = x, fd.camera[1] = y, fd.camera[2] = 8.0f * z;
  fd.offset = x * x + y * y - fd.size;
}

void xFdTunnel::Render(uint32_t* target) {
  const float px = fd.camera[0], py = fd.camera[1], pz = fd.camera[2];
  const float offset = fd.offset, shadeK = fd.radius * 0.1f;
  xFdCast(fd, [&](const float* d, xFdPoint& out) {
    // Larger root of (D.x t + Px)^2 + (D.y t + Py)^2 = r^2. A camera outside the
    // cylinder can miss it: the discriminant is then taken as 0 (the closest approach).
    const float a = 2.0f * (d[0] * d[0] + d[1] * d[1]);
    const float b = 2.0f * (d[0] * px + d[1] * py);
    float disc = b * b - 2.0f * a * offset;
    if (!(disc > 0.0f)) disc = 0.0f;
    const float root = disc > 0.0f ? x3dFastSqrt(disc) : 0.0f;
    const float t = xFdClampT((root - b) / a);  // a ray along the axis never hits: far
    const float hx = t * d[0] + px, hy = t * d[1] + py, hz = t * d[2] - 128.0f;
    out.u = xFdRound(std::fabs(hz + pz) * 51.2f);
    out.v = xFdRound(std::fabs(xMathAtan2f(hy, hx)) * 20860.756f);  // half a turn spans the texture
    out.shade = xFdShade(std::fabs(hz + 128.0f), shadeK);
  });
  xFdGridDraw(fd, target);
}
