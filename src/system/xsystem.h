// The engine's run-time kernel: title and icon, responders per event kind with a level
// stack, timers called from the message loop, activation with the due-time shift.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

// Event kinds and their records (valid only during the call).
enum : uint32_t {
  XSYS_KEY_PRESSED = 0,    // uint32_t scan code
  XSYS_KEY_RELEASED = 1,   // uint32_t scan code
  XSYS_MOUSE_MOVED = 2,    // int32_t x, y, 0, 0
  XSYS_PRESENT_BEGIN = 7,  // null
  XSYS_PRESENT_END = 8,    // null
  XSYS_MODE_SET = 9,       // uint32_t full-screen flag
  XSYS_ACTIVATED = 10,     // uint32_t new active flag
  XSYS_RUN = 11,           // uint32_t 0 at start, 1 at end
  XSYS_CLOSE = 12,         // null
  XSYS_EVENT_KINDS = 13,
};
enum : int32_t { XSYS_MAX_RESPONDERS = 10, XSYS_MAX_TIMERS = 10, XSYS_LEVELS = 20 };

typedef void (*xSysResponderProc)(void* record);
typedef void (*xSysTimerProc)(uint32_t periodsDue);

struct xSysResponder {
  xSysResponderProc callback;
  uint32_t kind;
  uint32_t level;
  uint32_t priority;
};
struct xSysTimer {
  xSysTimerProc callback;
  uint32_t due;     // tick at which the timer is next due
  uint32_t period;  // ms; 0 = every pass
};

// Shared with the video driver, which writes it directly (no event, no timer shift).
extern uint8_t xSysActive;
extern char* xSysTitle;
extern const PlatIcon* xSysIcon;
extern WlHwnd xSysWindow;  // the engine window, set by the video driver
// The seed xSysInit gave the C run-time generator (calendar seconds modulo 60).
extern uint32_t xSysRandSeed;

void xSysInit(const char* title, const PlatIcon* icon, const char* logFileName);
void xSysDone();
void xSysAddResponder(xSysResponderProc callback, uint32_t kind, uint32_t priority);
void xSysDispatch(uint32_t kind, void* record);
void xSysSetActive(uint32_t active);
// frequency in calls per second (0 = every pass, at most 1000).
void xSysAddTimer(xSysTimerProc callback, uint32_t frequency);
void xSysRemoveTimer(xSysTimerProc callback);
// Runs the message loop until WM_QUIT.
void xSysRun();
void xSysQuit();

// Read-only views for tests and diagnostics.
int32_t xSysTimerCount();
const xSysTimer* xSysTimerAt(int32_t index);
int32_t xSysResponderCount(uint32_t kind);
int32_t xSysLevelTop();
