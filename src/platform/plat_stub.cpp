// Minimal stand-ins until the backends exist: the message box only goes to stderr.
#include "platform/platform.h"
#include <cstdio>

static int platCursorCount = 0;

int platMessageBox(const char* text, const char* caption, uint32_t style) {
  std::fprintf(stderr, "%s %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  return (style & MB_YESNO) ? IDYES : IDOK;
}

int platShowCursor(int show) { return platCursorCount += show ? 1 : -1; }

#include <cstdlib>
bool platCpuHasSSE2() {
  const char* force = std::getenv("QV_SCALAR");
  if (force && *force && *force != '0') return false;
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}
