// Square-root table and the fog table fill.
#include <cmath>
#include <cstring>

#include "system/xerror.h"
#include "x3d/x3d.h"

namespace {
struct SqrtTable {
  int32_t entry[256];
  SqrtTable() {
    for (int32_t i = 0; i < 256; i++) {
      // Bit 7: odd unbiased exponent (one more factor of 2); bits 0-6: top mantissa bits.
      double m = 1.0 + (i & 0x7F) / 128.0;
      float s = static_cast<float>(std::sqrt(m * ((i & 0x80) ? 2.0 : 1.0)));
      int32_t bits;
      std::memcpy(&bits, &s, 4);
      entry[i] = bits - 0x3F800000;
    }
  }
};
const SqrtTable kSqrt;
}  // namespace

const int32_t* const x3dSqrtTable = kSqrt.entry;

void x3dBuildFogTable(float red, float green, float blue) {
  xAssert(x3dFogTable != nullptr, "X3d", __LINE__);
  x3dFogOn = 1;
  x3dFogRGB[0] = red;
  x3dFogRGB[1] = green;
  x3dFogRGB[2] = blue;
  // NaN gives 0, as values at or below 0.
  auto byte = [](float c) -> uint32_t { return c >= 255.0f ? 255u : c > 0.0f ? static_cast<uint32_t>(c) : 0u; };
  x3dFogColor = byte(red) << 16 | byte(green) << 8 | byte(blue);
  const float fogRgb[3] = {red, green, blue};
  for (int32_t k = 0; k < 3; k++) {
    uint8_t* plane = x3dFogTable + k * 65536;
    for (int32_t f = 0; f < 256; f++) {
      float t = f / 256.0f;
      for (int32_t c = 0; c < 256; c++) {
        float v = c * (1.0f - t) + fogRgb[k] * t;
        // A fog colour outside 0..255 (or NaN) must not wrap the byte.
        plane[f * 256 + c] = static_cast<uint8_t>(v >= 255.0f ? 255 : v > 0.0f ? static_cast<int32_t>(v) : 0);
      }
    }
  }
}
