#include "system/xerror.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/xcursor.h"
#include "system/xlog.h"
#include "winlike/winlike.h"

static const xErrRow xErrTable[8] = {
    {0, "Everything is ok?!", "XERR:"},
    {1, "Can't allocate memory", "XERR:"},
    {2, "File read error ( access denied )", "XERR:"},
    {4, "File write error ( access denied )", "XERR:"},
    {5, "Can't access file ( open error )", "XERR:"},
    {6, "Broken file", "XERR:"},
    {7, "Internal error", "XERR:"},
    {256, "Unknown error", "XERR:"},
};

xErrObject xErr = {xErrTable[7].caption, 8, xErrTable[7].text, {0}, 0};

static char xFormatBuffer[256];

const char* xFormat(const char* fmt, ...) {
  std::memset(xFormatBuffer, 0, sizeof xFormatBuffer);
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(xFormatBuffer, sizeof xFormatBuffer, fmt, ap);
  va_end(ap);
  return xFormatBuffer;
}

const char* xErrLookup(int32_t code) {
  for (int32_t i = 0; i < xErr.rows; i++) {
    if (xErrTable[i].code == code) {
      xErr.caption = xErrTable[i].caption;
      xErr.code = code;
      return xErrTable[i].text;
    }
  }
  xErr.caption = "XERR:";
  xErr.code = 256;
  return xErr.defaultText;
}

int xErrExitStatus(int32_t code) {
  if (code == 0) return 1;
  if (code == 256) return 255;
  return code;
}

#ifdef QV_FUZZ_BUILD
static xErrLastStep xErrStep = nullptr;
void xErrSetLastStep(xErrLastStep step) { xErrStep = step; }
#endif

// Steps shared by the three routines once the message is in place; the note, when there is
// one, follows the message in the box and the log. A signal that ends the box sets the status.
[[noreturn]] static void xErrShowAndExit(const char* caption, const char* note = nullptr) {
  // Fixed buffers, not strings: the fuzz harnesses jump out of here, so nothing may need freeing.
  static char text[sizeof xErr.message + 16384];
  static char line[sizeof text];
  std::snprintf(text, sizeof text, "%s%s", xErr.message, note ? note : "");
  std::memcpy(line, text, sizeof line);
  for (size_t n = std::strlen(line); n > 0 && line[n - 1] == '\n'; n--) line[n - 1] = '\0';
  xLog.Print(line);
  xSysShowCursor(true);
  wlMessageBox(text, caption, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  int status = platSignalStatus() ? platSignalStatus() : xErrExitStatus(xErr.code);
#ifdef QV_FUZZ_BUILD
  if (xErrStep) xErrStep(status);
#endif
  std::exit(status);
}

void xErrCode(const char* file, int line, int32_t code, const char* detail) {
  std::memset(xErr.message, 0, sizeof xErr.message);
  const char* text = xErrLookup(code);
  if (detail)
    std::snprintf(xErr.message, sizeof xErr.message, "Error: %s -> %s, %d\nFile %s\nLine %d\n", text, detail, xErr.code,
                  file, line);
  else
    std::snprintf(xErr.message, sizeof xErr.message, "Error: %s, %d\nFile %s\nLine %d\n", text, xErr.code, file, line);
  xErrShowAndExit(xErr.caption);
}

void xErrAt(const char* file, int line, const char* message) {
  std::memset(xErr.message, 0, sizeof xErr.message);
  std::snprintf(xErr.message, sizeof xErr.message, "Error: %s\nFile %s\nLine %d\n", message, file, line);
  xErrShowAndExit("XERR:");
}

void xErrMsg(const char* message) {
  std::memset(xErr.message, 0, sizeof xErr.message);
  std::snprintf(xErr.message, sizeof xErr.message, "Error: %s\n", message);
  xErrShowAndExit("XERR:");
}

void xErrMsgNote(const char* message, const char* note) {
  std::memset(xErr.message, 0, sizeof xErr.message);
  std::snprintf(xErr.message, sizeof xErr.message, "Error: %s\n", message);
  xErrShowAndExit("XERR:", note);
}
