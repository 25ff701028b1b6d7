// Table-driven tunnel: two byte tables map each view pixel to a depth ring and an angle.
#include <cstdlib>

#include "fx/fxtoolkit.h"
#include "system/xerror.h"
#include "xmath/xmath.h"

uint8_t* tunnelDepth = nullptr;
uint8_t* tunnelAngle = nullptr;

enum : int32_t { FX_TUNNEL_BYTES = 65000, FX_VIEW_W = 320, FX_VIEW_H = 200, FX_VIEW_PIXELS = 64000 };

void fxTunnelBuild() {
  // Cleared so that a pixel no ring reaches reads 0 and keeps the target's value,
  // instead of drawing whatever the heap held.
  if (!tunnelDepth) tunnelDepth = (uint8_t*)std::calloc(FX_TUNNEL_BYTES, 1);
  if (!tunnelAngle) tunnelAngle = (uint8_t*)std::calloc(FX_TUNNEL_BYTES, 1);
  if (!tunnelDepth || !tunnelAngle) xErrCode("Main", __LINE__, 1, nullptr);
  // Rings from the centre outwards, so an outer ring overwrites an inner one where they
  // meet. 2500 steps per ring; the horizontal radius is 3 pixels larger than the vertical.
  for (int32_t i = 0; i < 200; i++) {
    for (int32_t s = 0; s < 2500; s++) {
      const double a = 2.0 * s * 0.001256637061436;
      const int32_t x = (int32_t)((i + 3) * xMathSin(a) + 160.0);
      const int32_t y = (int32_t)(i * xMathCos(a) + 100.0);
      if (x < 0 || x >= FX_VIEW_W || y < 0 || y >= FX_VIEW_H) continue;
      const int32_t value = ((i / 3) << 8) + s * 256 / 2500;
      tunnelDepth[y * FX_VIEW_W + x] = (uint8_t)(value >> 8);
      tunnelAngle[y * FX_VIEW_W + x] = (uint8_t)value;
    }
  }
}

void fxTunnelDraw(uint16_t offset, const uint32_t* texture, uint32_t* target) {
  const uint8_t* depth = tunnelDepth;
  const uint8_t* angle = tunnelAngle;
  for (int32_t i = 0; i < FX_VIEW_PIXELS; i++) {
    const uint32_t d = ((uint32_t)depth[i] << 8) | angle[i];
    if (d) target[i] = texture[(offset + d) & 0xffff];  // 16-bit wrap: the texture repeats
  }
}
