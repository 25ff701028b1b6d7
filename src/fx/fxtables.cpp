#include "fx/fxtables.h"

#include "xmath/xmath.h"

int32_t sin128[128];
int32_t cos128[128];
int32_t sin256[256];
int32_t cos256[256];

void fxBuildSinTables() {
  const double twoPi = 2.0 * 3.14159265358979323846;
  for (int32_t i = 0; i < 128; i++) {
    // Conversion truncates toward zero, which is the rounding the effects were tuned with.
    sin128[i] = (int32_t)(xMathSin(i * twoPi / 128.0) * 65536.0);
    cos128[i] = (int32_t)(xMathCos(i * twoPi / 128.0) * 65536.0);
  }
  for (int32_t i = 0; i < 256; i++) {
    sin256[i] = (int32_t)(xMathSin(i * twoPi / 256.0) * 256.0);
    cos256[i] = (int32_t)(xMathCos(i * twoPi / 256.0) * 256.0);
  }
}
