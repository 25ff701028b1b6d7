// The program's own random numbers: the additive generator of the GNU C library's rand()
// (r[i] = r[i-3] + r[i-31] mod 2^32, output r >> 1, seeded through the 16807 generator), so
// the pictures that use them are the same on every target and unchanged on glibc.
#pragma once

#include <cstdint>

// Starts the sequence again for seed (0 counts as 1, as the C library does). Before any
// call the seed is 1.
void xMathSeed(uint32_t seed);
// Next number in 0..2^31-1.
int32_t xMathRand();
