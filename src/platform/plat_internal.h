// Shared between the platform's own files: the backend operations and the core's state.
// Nothing outside src/platform includes this.
#pragma once
#include <cstdint>

#include "platform/plat_ddraw.h"
#include "platform/platform.h"

struct PlatMode { int32_t width, height, bits; };

struct PlatWindowRec {
  bool used;
  bool shown;
  uint32_t style;
  PlatWndProc proc;
  const PlatIcon* icon;
  PlatRect rect;  // window rectangle in screen coordinates
  char title[256];
};

struct PlatBackendOps {
  const char* name;
  bool (*init)(char* err, size_t errSize);
  void (*shutdown)();
  uint32_t (*ticks)(bool advance);
  void (*sleep)(uint32_t ms);
  void (*pump)();  // backend events into the queue and the keyboard
  // Blocks until an event may be there; nextScript is the due time of the next scripted event
  // (-1: none). False when nothing can ever arrive.
  bool (*wait)(int64_t nextScript);
  void (*desktop)(int32_t* width, int32_t* height, DDPixelFormat* format);
  int32_t (*modes)(PlatMode* out, int32_t max);
  void (*windowChanged)(PlatWindowRec* window);
  void (*setFullscreen)(bool on);
  void (*present)(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const DDPixelFormat* format,
                  bool fullscreen);
  int (*messageBox)(const char* text, const char* caption, uint32_t style);
  void (*cursorVisible)(bool visible);
  void (*cursorPos)(PlatPoint* screen);
  void (*openViewer)(const char* fileName);
  bool (*audioOpen)(int32_t rate, PlatAudioFill fill, void* user);
  void (*audioPause)(bool pause);
  void (*audioClose)();
};
extern const PlatBackendOps platHeadlessOps;
extern const PlatBackendOps platSdlOps;
const PlatBackendOps* platOps();  // null before platInit

// Logical frame sizes used for the window rectangle around the client area.
enum : int32_t { PLAT_FRAME = 4, PLAT_CAPTION = 19 };

PlatWindowRec* platWindowRec();  // the engine window or null
void platClientOrigin(PlatPoint* screen);
void platClientSize(int32_t* width, int32_t* height);
// The application became (in)active: WM_ACTIVATEAPP and keyboard foreground.
void platSetForeground(bool foreground);
bool platIsForeground();
// Ticks since platInit (the script's time base), without advancing the clock.
int64_t platScriptNow();
void platScriptRun();          // fires due scripted events
int64_t platScriptNextTime();  // -1 when none is left
void platDDReset();            // forget every object (platShutdown)
void platDIReset();
void platStandardModes(PlatMode* out, int32_t* count);  // the nine low-resolution modes
void platFormatForBits(int32_t bits, DDPixelFormat* format);
