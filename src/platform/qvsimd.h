// The one way a module chooses between its SSE2 kernels and their plain twins (same bits).
// Include this instead of <emmintrin.h>: SSE2 code is compiled only where QV_SSE2 is 1, and a
// module installs it (once, at its initialisation) only when qvUseSSE2() says so.
#pragma once
#if defined(__SSE2__)
#include <emmintrin.h>
#define QV_SSE2 1
#else
#define QV_SSE2 0
#endif

#include "platform/platform.h"

// SSE2 kernels compiled in and the processor runs them; QV_SCALAR=1 or --scalar says no (platCpuHasSSE2).
inline bool qvUseSSE2() { return QV_SSE2 && platCpuHasSSE2(); }
