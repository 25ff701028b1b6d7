#include "xmath/xrand.h"

// 34 seeded words, then the ring of the last 31 outputs of r[i] = r[i-3] + r[i-31].
static uint32_t xRandRing[31];
static int32_t xRandPos = 0;  // index of r[i-31]; r[i-3] is 28 further on
static bool xRandSeeded = false;

void xMathSeed(uint32_t seed) {
  int32_t r[34];
  r[0] = seed ? (int32_t)seed : 1;
  // 16807 * r mod (2^31 - 1) by Schrage's method, exactly in 32 bits as the C library does it.
  for (int32_t i = 1; i < 31; i++) {
    const int32_t hi = r[i - 1] / 127773, lo = r[i - 1] % 127773;
    int32_t word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    r[i] = word;
  }
  for (int32_t i = 31; i < 34; i++) r[i] = r[i - 31];
  for (int32_t i = 0; i < 31; i++) xRandRing[i] = (uint32_t)r[i + 3];
  xRandPos = 0;
  xRandSeeded = true;
  // The first 310 outputs are thrown away.
  for (int32_t i = 0; i < 310; i++) xMathRand();
}

int32_t xMathRand() {
  if (!xRandSeeded) xMathSeed(1);
  const uint32_t next = xRandRing[xRandPos] + xRandRing[(xRandPos + 28) % 31];
  xRandRing[xRandPos] = next;
  xRandPos = (xRandPos + 1) % 31;
  return (int32_t)(next >> 1);
}
