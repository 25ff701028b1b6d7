// Narrow platform contract used by the engine in place of Win32 calls.
// Only the backend files include SDL; everything above sees these functions.
#pragma once
#include <cstdint>

// MessageBox styles and answers (Win32 values).
enum : uint32_t {
  MB_OK = 0x0000, MB_YESNO = 0x0004,
  MB_ICONERROR = 0x0010, MB_ICONQUESTION = 0x0020, MB_ICONINFORMATION = 0x0040,
  MB_SETFOREGROUND = 0x10000, MB_TOPMOST = 0x40000,
};
enum : int { IDOK = 1, IDYES = 6, IDNO = 7 };

// Shows a message box (always also written to stderr) and returns the answer.
// Headless answers are scripted (default IDOK/IDYES).
int platMessageBox(const char* text, const char* caption, uint32_t style);

// ShowCursor semantics: adds +1 (show) or -1 (hide) to the display count and returns it;
// the cursor is visible while the count is 0 or more. The count starts at 0.
int platShowCursor(int show);

// Processor features, queried once. QV_SCALAR=1 in the environment reports no SIMD,
// so the plain classes can be compared with the SIMD ones.
bool platCpuHasSSE2();
