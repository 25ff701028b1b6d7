// The 2D engine's kernels that have an SSE2 twin giving the same bits: the fades and the
// packed sprite class's rows. One table, installed once by x2dInit (through x2dDetectMMX).
#pragma once
#include <cstdint>

#include "x2d/x2dspr_mmx_rows.h"

// Saturating fade of count pixels by level (1..255) in the three colour bytes.
typedef void (*x2dFadeFn)(uint32_t level, int32_t count, uint32_t* buffer);

struct x2dKernelTable {
  x2dFadeFn fadeToBlack;
  x2dFadeFn fadeToWhite;
  const x2dMmxRows* rows;  // row kernels of x2dSpriteMMX
};
extern x2dKernelTable x2dKernels;

// Installs the plain twins (scalar) or the SSE2 kernels where qvUseSSE2(). Tests and benches
// call it to compare the twins bit for bit; x2dDetectMMX puts back the machine's choice.
void x2dInstallKernels(bool scalar);
