// Ray-cast sphere: the inside of a sphere around the origin.
#include <cmath>

#include "fx/xfdcast.h"
#include "x3d/x3d.h"
#include "xmath/xmath.h"

xFdSphere::xFdSphere(int32_t width, int32_t height, int32_t size) {
  xFdGridInit(fd, width, height);
  fd.radius = (float)size;
  fd.size = fd.radius * fd.radius;
  fd.offset = 0.0f;
}

xFdSphere::~xFdSphere() { xFdGridFree(fd); }

void xFdSphere::SetTexture(const uint32_t* texture) { xFdGridSetTexture(fd, texture); }

void xFdSphere::SetAngles(float a1, float a2, float a3) { xFdGridSetAngles(fd, a1, a2, a3); }

void xFdSphere::SetPosition(float x, float y, float z) {
  fd.camera[0] = x, fd.camera[1] = y, fd.camera[2] = z;
  fd.offset = x * x + y * y + z * z - fd.size;
}

void xFdSphere::Render(uint32_t* target) {
  const float* p = fd.camera;
  const float offset = fd.offset, shadeK = fd.radius * 0.1f;
  xFdCast(fd, [&](const float* d, xFdPoint& out) {
    // Larger root of |t D + P|^2 = r^2; a camera outside that misses takes the closest
    // approach (discriminant 0).
    const float a = 2.0f * (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const float b = 2.0f * (d[0] * p[0] + d[1] * p[1] + d[2] * p[2]);
    float disc = b * b - 2.0f * a * offset;
    if (!(disc > 0.0f)) disc = 0.0f;
    const float root = disc > 0.0f ? x3dFastSqrt(disc) : 0.0f;
    const float t = xFdClampT((root - b) / a);
    const float hx = t * d[0] + p[0], hy = t * d[1] + p[1], hz = t * d[2] + p[2];
    const float len = std::sqrt(hx * hx + hy * hy + hz * hz);
    float s = len > 0.0f ? hy / len : 0.0f;
    s = s > 1.0f ? 1.0f : (s < -1.0f ? -1.0f : s);  // rounding can step past +-1
    out.u = xFdRound(std::fabs(xMathAsinf(s) * 32768.0f + 128.0f));
    out.v = xFdRound(std::fabs(xMathAtan2f(hz, hx)) * 20860.756f);
    out.shade = xFdShade(std::fabs(hz + 128.0f), shadeK);
  });
  xFdGridDraw(fd, target);
}
