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
  bool (*audioOpen)(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
  void (*audioPause)(bool pause);
  void (*audioClose)();
  // Dialogs (plat_dialog.cpp drives them): open makes the hidden dialog window and sets the size
  // of its rectangle; run shows it at the rectangle and handles input until platDlgEnded();
  // close removes it. messageBox is a box owned by the open dialog.
  bool (*dialogOpen)(PlatWindowRec* dialog);
  void (*dialogRun)(PlatWindowRec* dialog);
  void (*dialogClose)(PlatWindowRec* dialog);
  int (*dialogMessageBox)(PlatWindowRec* dialog, const char* text, const char* caption, uint32_t style);
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

// ---- Dialogs (plat_dialog.cpp) ------------------------------------------------------
// The running dialog's window record (rect, title, shown), or null when none runs.
PlatWindowRec* platDlgWindow();
const PlatDlgTemplate* platDlgTemplate();
bool platDlgEnded();
bool platDlgChecked(int32_t index);
int32_t platDlgFocus();         // item index, -1 when no control has the focus
int32_t platDlgDefault();       // the push button Enter would click: the focused one, else the default
bool platDlgIsButton(int32_t index);  // push buttons and radio buttons (controls that can be clicked)
int32_t platDlgFindReplayName(const char* name);  // item index or -1
// Input, as the user gives it: a click (mouse, Space, replay) focuses the control, checks a
// radio button and sends WM_COMMAND; Tab moves between tab stops; arrows move inside a radio
// group (checking the new button), elsewhere like Tab; Enter clicks platDlgDefault().
void platDlgClick(int32_t index);
void platDlgCommand(int32_t id);  // WM_COMMAND without a control (IDCANCEL)
void platDlgTab(bool backwards);
void platDlgArrow(bool backwards);
void platDlgEnter();
// Window rectangle of a dialog client of w x h screen units, with a frame on each side and a
// caption above (PLAT_FRAME and PLAT_CAPTION at scale 1).
void platDlgSetClientSize(int32_t width, int32_t height, int32_t frame, int32_t caption);
void platDlgClientOrigin(PlatPoint* screen);
// platGetWindowRect and platSetWindowPos for the dialog's handle (false for any other).
bool platDlgGetRect(PlatHwnd dialog, PlatRect* rect);
bool platDlgSetPos(PlatHwnd dialog, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
// A short record of what happened in the dialogs since platInit ("init focus:1006 command:1000 ..."),
// for tests and the headless replay.
void platDlgTraceAdd(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The headless dialog: the replay list (parsed by platHeadlessConfigure; null clears it) and
// the backend hooks that replay it.
bool platHlDialogParse(const char* list, char* err, size_t errSize);
bool platHlDialogOpen(PlatWindowRec* dialog);
void platHlDialogRun(PlatWindowRec* dialog);
void platHlDialogClose(PlatWindowRec* dialog);
// The sdl backend's window scale: screen units are physical pixels divided by it.
int32_t platSdlScale();
// The sdl backend's audio device (plat_sdl_audio.cpp).
bool platSdlAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
void platSdlAudioPause(bool pause);
void platSdlAudioClose();
// The sdl backend's dialog hooks (plat_sdl_dialog.cpp).
bool platSdlDialogOpen(PlatWindowRec* dialog);
void platSdlDialogRun(PlatWindowRec* dialog);
void platSdlDialogClose(PlatWindowRec* dialog);
int platSdlDialogMessageBox(PlatWindowRec* dialog, const char* text, const char* caption, uint32_t style);
