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
