// The effect toolkit's whole-picture routines that have an SSE2 twin giving the same bits.
// One table: the first call of any of them installs it (the toolkit has no start-up call).
#pragma once
#include <cstdint>

struct fxKernelTable {
  void (*blend50)(const uint32_t* source, uint32_t* target, int32_t n);
  void (*scale)(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th, bool mirror);
};
extern fxKernelTable fxKernels;

// Installs the plain twins (scalar) or the SSE2 routines where qvUseSSE2(). Tests and benches
// call it to compare the twins bit for bit.
void fxInstallKernels(bool scalar);
