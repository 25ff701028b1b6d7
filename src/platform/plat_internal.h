// Shared between the platform's own files: the backend operations behind the contract and the
// dialog state both backends drive. Nothing outside src/platform includes this.
#pragma once
#include <cstdint>

#include "platform/plat_dialog.h"

// The running dialog's window as the backends see it.
struct PlatDlgWindow {
  bool shown;
  PlatRect rect;  // window rectangle in screen units
  char title[256];
};

struct PlatBackendOps {
  const char* name;
  bool (*init)(char* err, size_t errSize);
  void (*shutdown)();
  uint32_t (*ticks)(bool advance);
  void (*sleep)(uint32_t ms);
  void (*sleepUntil)(uint32_t tick);
  int64_t (*micros)();
  bool (*poll)(PlatEvent* event);
  bool (*wait)(int32_t timeoutMs);
  void (*desktop)(int32_t* width, int32_t* height, PlatPixelFormat* format);
  int32_t (*modes)(PlatMode* out, int32_t max);
  bool (*displayAvailable)();
  void (*windowUpdate)(const PlatWindowState* state);
  void (*setFullscreen)(bool on);
  void (*present)(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const PlatPixelFormat* format,
                  bool fullscreen);
  PlatAnswer (*showBox)(const char* text, const char* caption, uint32_t flags);
  void (*cursorVisible)(bool visible);
  bool (*cursorPos)(PlatPoint* screen, PlatPoint* client);
  void (*openViewer)(const char* fileName);
  bool (*audioOpen)(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
  void (*audioPause)(bool pause);
  void (*audioClose)();
  // Dialogs (plat_dialog.cpp drives them): open makes the hidden dialog window and sets the size
  // of its rectangle; run shows it at the rectangle and handles input until platDlgEnded();
  // close removes it. showBox is a box owned by the open dialog.
  bool (*dialogOpen)(PlatDlgWindow* dialog);
  void (*dialogRun)(PlatDlgWindow* dialog);
  void (*dialogClose)(PlatDlgWindow* dialog);
  PlatAnswer (*dialogShowBox)(PlatDlgWindow* dialog, const char* text, const char* caption, uint32_t flags);
};
extern const PlatBackendOps platHeadlessOps;
extern const PlatBackendOps platSdlOps;
extern const PlatBackendOps platWebOps;  // emscripten builds: a page's canvas, keys and Web Audio
// The backend behind PLAT_BACKEND_SDL: a window natively, the page on the web.
#ifdef __EMSCRIPTEN__
#define platWindowedOps platWebOps
#else
#define platWindowedOps platSdlOps
#endif
const PlatBackendOps* platOps();  // null before platInit

void platStandardModes(PlatMode* out, int32_t* count);  // the nine low-resolution modes

// ---- Dialogs (plat_dialog.cpp) ------------------------------------------------------
const PlatDlgTemplate* platDlgTemplate();  // null when none is open
bool platDlgEnded();
bool platDlgChecked(int32_t index);
int32_t platDlgFocus();               // item index, -1 when no control has the focus
int32_t platDlgDefault();             // the push button Enter would click: the focused one, else the default
bool platDlgIsButton(int32_t index);  // push buttons and radio buttons (controls that can be clicked)
int32_t platDlgFindReplayName(const char* name);  // item index or -1
// Input, as the user gives it: a click (mouse, Space, replay) focuses the control, checks a
// radio button and sends the command; Tab moves between tab stops; arrows move inside a radio
// group (checking the new button), elsewhere like Tab; Enter clicks platDlgDefault().
void platDlgClick(int32_t index);
void platDlgCommand(int32_t id);  // a command without a control (PLAT_DLG_CANCEL)
void platDlgTab(bool backwards);
void platDlgArrow(bool backwards);
void platDlgEnter();
// Window rectangle of a dialog client of w x h screen units, with a frame on each side and a
// caption above (PLAT_FRAME and PLAT_CAPTION at scale 1).
void platDlgSetClientSize(int32_t width, int32_t height, int32_t frame, int32_t caption);
void platDlgClientOrigin(PlatPoint* screen);
void platDlgTraceAdd(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The headless dialog: the replay list (parsed by platHeadlessConfigure; null clears it) and
// the backend hooks that replay it.
bool platHlDialogParse(const char* list, char* err, size_t errSize);
bool platHlDialogOpen(PlatDlgWindow* dialog);
void platHlDialogRun(PlatDlgWindow* dialog);
void platHlDialogClose(PlatDlgWindow* dialog);
// The sdl backend's window scale: screen units are physical pixels divided by it.
int32_t platSdlScale();
// The sdl backend's audio device (plat_sdl_audio.cpp).
bool platSdlAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
void platSdlAudioPause(bool pause);
void platSdlAudioClose();
// The sdl backend's dialog hooks (plat_sdl_dialog.cpp).
bool platSdlDialogOpen(PlatDlgWindow* dialog);
void platSdlDialogRun(PlatDlgWindow* dialog);
void platSdlDialogClose(PlatDlgWindow* dialog);
PlatAnswer platSdlDialogShowBox(PlatDlgWindow* dialog, const char* text, const char* caption, uint32_t flags);
// The sdl backend's message box (plat_sdl_dialog.cpp), owned by `parent` when not null.
PlatAnswer platSdlBox(void* parent, const char* text, const char* caption, uint32_t flags);
