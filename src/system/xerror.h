// Fatal error reporting: every unrecoverable condition ends here, shows one
// message box captioned "XERR:" and ends the process. Nothing returns.
#pragma once
#include <cstdint>

struct xErrRow {
  int32_t code;
  const char* text;
  const char* caption;
};

struct xErrObject {
  const char* caption;
  int32_t rows;
  const char* defaultText;
  char message[256];
  int32_t code;  // the process exit code of the next fatal error
};
extern xErrObject xErr;

// printf-style into one shared 256-byte buffer (truncating); valid until the next call.
const char* xFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Looks a code up in the error table; sets xErr.caption and xErr.code.
const char* xErrLookup(int32_t code);

[[noreturn]] void xErrCode(const char* file, int line, int32_t code, const char* detail);
[[noreturn]] void xErrAt(const char* file, int line, const char* message);
[[noreturn]] void xErrMsg(const char* message);
// xErrMsg with lines that follow the message in the box and the log (any length), e.g. where
// a file was looked for.
[[noreturn]] void xErrMsgNote(const char* message, const char* note);

// Exit status for an error code: a fatal error never reports success (0 -> 1),
// and 256, which a POSIX status cannot hold, becomes 255.
int xErrExitStatus(int32_t code);

#ifdef QV_FUZZ_BUILD
// Fuzz builds only: the fatal routine's last step (the exit) is replaceable, so a
// harness can jump back to its entry and count the input as handled. The step gets
// the exit status; null restores the exit, and a step that returns still exits.
typedef void (*xErrLastStep)(int status);
void xErrSetLastStep(xErrLastStep step);
#endif

// The engine's assertion: module name and line of the check.
#define xAssert(cond, module, line)                            \
  do {                                                         \
    if (!(cond)) xErrAt((module), (line), "Assertion failed"); \
  } while (0)
