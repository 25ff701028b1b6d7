// Sine and cosine tables shared by the 2D effects.
#pragma once
#include <cstdint>

// Entry i = sin/cos(i * 2 pi / 128) * 65536, truncated toward zero (16.16 fixed point).
extern int32_t sin128[128];
extern int32_t cos128[128];
// Entry i = sin/cos(i * 2 pi / 256) * 256, truncated toward zero.
extern int32_t sin256[256];
extern int32_t cos256[256];

// Fills the four tables; called once before the effects are used (idempotent).
void fxBuildSinTables();
