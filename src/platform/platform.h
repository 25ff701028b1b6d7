// The platform contract: everything the engine needs from the machine, in neutral types
// (pixels, events, time, audio, message boxes; one modal dialog in plat_dialog.h). Two
// backends, chosen by platInit: "sdl" (plat_sdl*.cpp, the only files that include SDL) and
// "headless", its null twin (no devices, a virtual clock, frames kept in memory; controls in
// plat_headless.h). A new backend implements these calls and nothing else; the Windows-shaped
// layer is built on them (src/winlike).
#pragma once
#include <cstddef>
#include <cstdint>

// ---- Backend ------------------------------------------------------------------
enum PlatBackendKind : int32_t { PLAT_BACKEND_HEADLESS = 0, PLAT_BACKEND_SDL = 1 };
// Starts a backend; false with a one-line reason (e.g. sdl without a display). Again after
// platShutdown starts afresh. Both also run the reset hooks of the layers above.
bool platInit(PlatBackendKind kind, char* err, size_t errSize);
void platShutdown();  // closes audio, runs the hooks, stops the backend; nothing when not started
bool platIsInitialised();
PlatBackendKind platBackend();  // the one last started
// Called by platInit (shutdown false) and platShutdown (true, before the backend stops). At most 4.
typedef void (*PlatResetHook)(bool shutdown);
void platAddResetHook(PlatResetHook hook);
// sdl window scale (0 = the largest whose window fits about half the desktop). Before platInit.
void platSetWindowScale(int32_t scale);

// ---- Time --------------------------------------------------------------------------
// Milliseconds since an arbitrary start. Headless: each call advances a virtual clock by 1 ms.
uint32_t platGetTickCount();
uint32_t platPeekTickCount();  // the same without advancing the headless clock
int64_t platTicksSinceInit();  // ms since platInit, not advancing (the event script's time base)
void platSleep(uint32_t ms);   // headless: moves the clock by ms at once
// Sleeps until platGetTickCount() would answer `tick` or later (signed difference), waking within
// a fraction of a millisecond after it turns; at once when it has. Headless: returns at once and
// leaves the virtual clock alone (there only tick queries move it), so a caller's loop that goes
// on asking the clock runs exactly as it would without this call.
void platSleepUntilTick(uint32_t tick);
// Microseconds since an arbitrary start, without advancing anything (frame and draw times).
// Headless: the virtual clock's ms x 1000, so that seeded runs repeat.
int64_t platMicroseconds();
int64_t platCalendarSeconds();  // time(); headless answers 0 so seeded runs repeat

// ---- Display: pixels and modes ---------------------------------------------------------
enum : uint32_t { PLAT_PF_RGB = 0x40 };  // direct colour (the only kind)
struct PlatPixelFormat {
  uint32_t flags;     // PLAT_PF_RGB
  uint32_t bitCount;  // 8 (palette indices, no masks), 16, 24 or 32
  uint32_t rBitMask, gBitMask, bBitMask, aBitMask;
};
struct PlatMode {
  int32_t width, height, bits;
};                                                              // bits 15 means 5-5-5 in 16-bit pixels
void platFormatForBits(int32_t bits, PlatPixelFormat* format);  // 8, 15, 16, 24, else 32 (x8-8-8-8)
// The desktop in screen units (physical pixels / window scale); 1024x768 before platInit.
void platDesktop(int32_t* width, int32_t* height, PlatPixelFormat* format);
int32_t platDisplayModes(PlatMode* out, int32_t max);  // full-screen modes, enumeration order
// False while another program holds the display (headless: platHeadlessFailRestores).
bool platDisplayAvailable();
void platSetFullscreen(bool on);  // sdl: desktop full screen on the chosen monitor; headless: nothing
// Shows a frame: the window's picture, or the whole screen when fullscreen.
void platPresent(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const PlatPixelFormat* format,
                 bool fullscreen);

// ---- The window ------------------------------------------------------------------------
struct PlatRect {
  int32_t left, top, right, bottom;
};
struct PlatPoint {
  int32_t x, y;
};
// A window's frame and caption in screen units, as window rectangles count them around the client.
enum : int32_t { PLAT_FRAME = 4, PLAT_CAPTION = 19 };
struct PlatIcon {
  int32_t width, height;
  const uint32_t* pixels;
};  // 0xAARRGGBB, top row first
struct PlatWindowState {
  bool open, shown;
  const char* title;
  const PlatIcon* icon;
  int32_t x, y, width, height;  // client area in screen units
};
// The one window as the layer above wants it now (open false closes it).
void platWindowUpdate(const PlatWindowState* state);
void platSetCursorVisible(bool visible);  // over the window; sdl hides it in full screen anyway
// The mouse in screen units; true with `client` set when it maps into the shown window's
// (possibly scaled) picture, in picture pixels.
bool platCursorPos(PlatPoint* screen, PlatPoint* client);

// ---- Events ------------------------------------------------------------------------------
enum PlatEventKind : int32_t {
  PLAT_EVENT_CLOSE,
  PLAT_EVENT_KEY,
  PLAT_EVENT_FOCUS,
  PLAT_EVENT_EXPOSED,
  PLAT_EVENT_MINIMIZED,
  PLAT_EVENT_RESTORED,
  PLAT_EVENT_MOVED,
};
struct PlatEvent {
  PlatEventKind kind;
  uint32_t key;  // KEY: PC set-1 scan code, extended keys + 0x80 (0 unknown)
  bool down;     // KEY: pressed; FOCUS: gained
  bool alt;      // KEY: an Alt key held
  int32_t x, y;  // MOVED: the client area's new origin in screen units
};
bool platPollEvent(PlatEvent* event);  // false when none is waiting
// Blocks until an event may be there or timeoutMs passed (-1: no deadline). Headless moves the
// clock by timeoutMs; false when nothing can ever arrive (headless without a deadline).
bool platWaitEvents(int32_t timeoutMs);

// ---- Message boxes, viewer, processor ----------------------------------------------------
enum : uint32_t { PLAT_BOX_OK = 0, PLAT_BOX_YESNO = 1, PLAT_BOX_QUESTION = 2, PLAT_BOX_ERROR = 4 };
enum PlatAnswer : int32_t { PLAT_ANSWER_OK, PLAT_ANSWER_YES, PLAT_ANSWER_NO };
// Also written to stderr as "CAPTION TEXT". Headless answers are scripted (default yes / OK).
PlatAnswer platShowBox(const char* text, const char* caption, uint32_t flags);
void platOpenViewer(const char* fileName);  // xdg-open, result unreported; headless records it
void platOfferFile(const char* fileName);   // a file made for the viewer: the web page downloads it
bool platCpuHasSSE2();                      // queried once; QV_SCALAR=1 or platForceScalar reports no SIMD
void platForceScalar(bool scalar);          // --scalar: before the first library installs its kernels

// ---- Signals ------------------------------------------------------------------------------
// SIGINT, SIGTERM and SIGHUP note the first signal (and wake a self-pipe). While some code
// watches for them (the message loop, a dialog, a box, a capture: platSignalWatch) it notices
// the note and ends the program in order with 128 + the signal; outside those the signal ends
// the process at once, as by default. SIGPIPE is ignored: a write to a closed pipe fails
// instead. platInit installs them; calling it again does nothing.
void platSignalsInstall();
void platSignalWatch(bool on);  // nests: on ... off around the code that looks at the note
int32_t platSignalCaught();     // the first signal that came, 0 when none
int32_t platSignalStatus();     // the exit status it asks for (130, 143, 129), 0 when none
int32_t platSignalFd();         // readable once a signal came (for poll), -1 before installing
// Runs body in a child process of its own process group; body writes one int32_t answer to fd
// and returns (the child then ends). Waits for the answer or for a signal, which ends the
// child's whole group. False when no answer came (signal, no child, the child died); the child
// is reaped either way.
typedef void (*PlatChildBody)(int32_t fd, void* user);
bool platRunChild(PlatChildBody body, void* user, int32_t* answer);

// ---- Audio ------------------------------------------------------------------------------
// The fill writes frameCount frames of interleaved s16 stereo. sdl calls it on its own thread;
// headless on the caller's whenever the clock moves, floor(T x rate / 1000) frames in all
// after T ms of unpaused device.
typedef void (*PlatAudioFill)(void* user, int16_t* frames, int32_t frameCount);
struct PlatAudioInfo {
  int32_t queuedFrames;  // frames still waiting in the device when a fill returns (0 headless)
  char reason[160];      // why the device could not be opened
};
// Opens the one device, paused; false (reason in info) without a device or for this rate.
bool platAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
void platAudioPause(bool pause);  // while paused the fill is not called and nothing is heard
void platAudioClose();            // once it returns the fill never runs again; platShutdown closes it too
