// Backend choice, time, the message queue and the engine window's geometry.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/plat_dinput.h"
#include "platform/plat_headless.h"
#include "platform/plat_internal.h"

static const PlatBackendOps* platCurrent = nullptr;
static PlatBackendKind platKind = PLAT_BACKEND_HEADLESS;
static uint32_t platStartTick = 0;

// Posted messages: a ring of 256; a full queue drops the newest (Win32 limits the queue too).
static PlatMsg platQueue[256];
static int32_t platQueueHead = 0, platQueueCount = 0;
static bool platQuitPosted = false;
static int32_t platQuitCode = 0;

static PlatWindowRec platWindow;
static char platClassName[128];
static PlatWndProc platClassProc = nullptr;
static const PlatIcon* platClassIcon = nullptr;
static int32_t platCursorCount = 0;
static bool platForeground = false;

const PlatBackendOps* platOps() { return platCurrent; }
bool platIsInitialised() { return platCurrent != nullptr; }
PlatBackendKind platBackend() { return platKind; }

PlatBackendKind platBackendFromEnv() {
  const char* b = std::getenv("QV_BACKEND");
  return (b && std::strcmp(b, "headless") == 0) ? PLAT_BACKEND_HEADLESS : PLAT_BACKEND_SDL;
}

static void platResetState() {
  platQueueHead = platQueueCount = 0;
  platQuitPosted = false;
  std::memset(&platWindow, 0, sizeof platWindow);
  platClassName[0] = 0;
  platClassProc = nullptr;
  platClassIcon = nullptr;
  platCursorCount = 0;
  platForeground = false;
  platDialogTraceClear();
}

bool platInit(PlatBackendKind kind, char* err, size_t errSize) {
  if (platCurrent) platShutdown();
  platResetState();
  const PlatBackendOps* ops = kind == PLAT_BACKEND_SDL ? &platSdlOps : &platHeadlessOps;
  if (!ops->init(err, errSize)) return false;
  platCurrent = ops;
  platKind = kind;
  platStartTick = ops->ticks(false);
  return true;
}

void platShutdown() {
  if (!platCurrent) return;
  platCurrent->audioClose();
  platDDReset();
  platDIReset();
  platCurrent->shutdown();
  platCurrent = nullptr;
  platResetState();
  platScriptClear();
}

uint32_t platGetTickCount() { return platCurrent ? platCurrent->ticks(true) : 0; }
uint32_t platPeekTickCount() { return platCurrent ? platCurrent->ticks(false) : 0; }
void platSleep(uint32_t ms) {
  if (platCurrent) platCurrent->sleep(ms);
}
int64_t platCalendarSeconds() {
  if (platCurrent == &platHeadlessOps) return 0;
  return (int64_t)std::time(nullptr);
}
int64_t platScriptNow() { return platCurrent ? (int64_t)(uint32_t)(platCurrent->ticks(false) - platStartTick) : 0; }

// ---- Messages ------------------------------------------------------------------

bool platPostMessage(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (platQueueCount == 256) return false;
  PlatMsg& m = platQueue[(platQueueHead + platQueueCount) & 255];
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = platPeekTickCount();
  platQueueCount++;
  return true;
}

void platPostQuitMessage(int32_t exitCode) {
  platQuitPosted = true;
  platQuitCode = exitCode;
}

static void platPump() {
  if (!platCurrent) return;
  platCurrent->pump();
  platScriptRun();
}

bool platPeekMessage(PlatMsg* msg, bool remove) {
  platPump();
  if (platQueueCount > 0) {
    *msg = platQueue[platQueueHead];
    if (remove) {
      platQueueHead = (platQueueHead + 1) & 255;
      platQueueCount--;
    }
    return true;
  }
  // As in Win32, the quit message comes once the posted messages are gone.
  if (platQuitPosted) {
    std::memset(msg, 0, sizeof *msg);
    msg->message = WM_QUIT;
    msg->wParam = (uintptr_t)platQuitCode;
    msg->time = platPeekTickCount();
    if (remove) platQuitPosted = false;
    return true;
  }
  return false;
}

void platWaitMessage() {
  if (!platCurrent) return;
  for (;;) {
    platPump();
    if (platQueueCount > 0 || platQuitPosted) return;
    if (!platCurrent->wait(platScriptNextTime())) {
      // Nothing can ever arrive (an inactive headless run whose script has ended): close
      // the window, so the program ends through its own close path instead of hanging.
      std::fprintf(stderr, "quorvane: no more events can arrive; closing the window\n");
      platPostMessage(platWindow.used ? &platWindow : nullptr, WM_CLOSE, 0, 0);
      return;
    }
  }
}

intptr_t platDispatchMessage(const PlatMsg* msg) {
  if (!msg->window || msg->window != &platWindow || !platWindow.used || !platWindow.proc) return 0;
  return platWindow.proc(msg->window, msg->message, msg->wParam, msg->lParam);
}

intptr_t platSendMessage(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!window || window != &platWindow || !platWindow.used || !platWindow.proc) return 0;
  return platWindow.proc(window, message, wParam, lParam);
}

intptr_t platDefWindowProc(PlatHwnd window, uint32_t message, uintptr_t, intptr_t) {
  // Closing destroys the window, as DefWindowProc does; everything else needs no default.
  if (message == WM_CLOSE) platDestroyWindow(window);
  return 0;
}

// ---- Window ----------------------------------------------------------------------

uint32_t platRegisterClass(const PlatWndClass* wc) {
  if (!wc || !wc->className || !wc->wndProc || platClassName[0]) return 0;
  std::snprintf(platClassName, sizeof platClassName, "%s", wc->className);
  platClassProc = wc->wndProc;
  platClassIcon = wc->icon;
  return 1;
}

PlatWindowRec* platWindowRec() { return platWindow.used ? &platWindow : nullptr; }
PlatHwnd platMainWindow() { return platWindowRec(); }
bool platIsWindow(PlatHwnd window) { return window && window == &platWindow && platWindow.used; }
const char* platWindowTitle(PlatHwnd window) { return platIsWindow(window) ? platWindow.title : ""; }

static int32_t platCaptionOf(const PlatWindowRec* w) { return (w->style & WS_CAPTION) ? PLAT_CAPTION : 0; }
static int32_t platFrameOf(const PlatWindowRec* w) { return (w->style & WS_THICKFRAME) ? PLAT_FRAME : 0; }

PlatHwnd platCreateWindow(const char* className, const char* title, uint32_t style, int32_t x, int32_t y,
                          int32_t width, int32_t height) {
  if (!platCurrent || platWindow.used || !className || std::strcmp(className, platClassName) != 0) return nullptr;
  std::memset(&platWindow, 0, sizeof platWindow);
  platWindow.used = true;
  platWindow.style = style;
  platWindow.proc = platClassProc;
  platWindow.icon = platClassIcon;
  std::snprintf(platWindow.title, sizeof platWindow.title, "%s", title ? title : "");
  int32_t frame = platFrameOf(&platWindow), caption = platCaptionOf(&platWindow);
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  if (width == CW_USEDEFAULT) width = 640 + 2 * frame;
  if (height == CW_USEDEFAULT) height = 480 + caption + 2 * frame;
  platWindow.rect = {x, y, x + width, y + height};
  platCurrent->windowChanged(&platWindow);
  return &platWindow;
}

void platDestroyWindow(PlatHwnd window) {
  if (!platIsWindow(window)) return;
  platSendMessage(window, WM_DESTROY, 0, 0);
  platWindow.used = false;
  if (platCurrent) platCurrent->windowChanged(&platWindow);
}

void platShowWindow(PlatHwnd window, int32_t) {
  if (!platIsWindow(window)) return;
  bool first = !platWindow.shown;
  platWindow.shown = true;
  platCurrent->windowChanged(&platWindow);
  if (first) platSetForeground(true);
}

void platUpdateWindow(PlatHwnd window) {
  if (platIsWindow(window)) platSendMessage(window, WM_ERASEBKGND, 0, 0);
}

bool platSetWindowPos(PlatHwnd window, intptr_t, int32_t x, int32_t y, int32_t width, int32_t height,
                      uint32_t flags) {
  if (platDlgSetPos(window, x, y, width, height, flags)) return true;
  if (!platIsWindow(window)) return false;
  PlatMinMaxInfo info;
  std::memset(&info, 0, sizeof info);
  info.ptMinTrackSize = {1, 1};
  info.ptMaxTrackSize = {1 << 16, 1 << 16};
  platSendMessage(window, WM_GETMINMAXINFO, 0, (intptr_t)&info);
  if (width < info.ptMinTrackSize.x) width = info.ptMinTrackSize.x;
  if (height < info.ptMinTrackSize.y) height = info.ptMinTrackSize.y;
  if (width > info.ptMaxTrackSize.x) width = info.ptMaxTrackSize.x;
  if (height > info.ptMaxTrackSize.y) height = info.ptMaxTrackSize.y;
  PlatRect old = platWindow.rect;
  platWindow.rect = {x, y, x + width, y + height};
  if (flags & SWP_SHOWWINDOW) platWindow.shown = true;
  platCurrent->windowChanged(&platWindow);
  if (old.left != x || old.top != y) platSendMessage(window, WM_MOVE, 0, 0);
  if (old.right - old.left != width || old.bottom - old.top != height) {
    int32_t cw, ch;
    platClientSize(&cw, &ch);
    platSendMessage(window, WM_SIZE, SIZE_RESTORED, (intptr_t)((ch << 16) | (cw & 0xffff)));
  }
  return true;
}

bool platGetWindowRect(PlatHwnd window, PlatRect* rect) {
  if (platDlgGetRect(window, rect)) return true;
  if (!platIsWindow(window)) return false;
  *rect = platWindow.rect;
  return true;
}

void platClientSize(int32_t* width, int32_t* height) {
  int32_t frame = platFrameOf(&platWindow), caption = platCaptionOf(&platWindow);
  *width = platWindow.rect.right - platWindow.rect.left - 2 * frame;
  *height = platWindow.rect.bottom - platWindow.rect.top - caption - 2 * frame;
  if (*width < 0) *width = 0;
  if (*height < 0) *height = 0;
}

void platClientOrigin(PlatPoint* screen) {
  screen->x = platWindow.rect.left + platFrameOf(&platWindow);
  screen->y = platWindow.rect.top + platCaptionOf(&platWindow) + platFrameOf(&platWindow);
}

bool platGetClientRect(PlatHwnd window, PlatRect* rect) {
  if (!platIsWindow(window)) return false;
  int32_t w, h;
  platClientSize(&w, &h);
  *rect = {0, 0, w, h};
  return true;
}

bool platClientToScreen(PlatHwnd window, PlatPoint* point) {
  if (!platIsWindow(window)) return false;
  PlatPoint o;
  platClientOrigin(&o);
  point->x += o.x;
  point->y += o.y;
  return true;
}

bool platScreenToClient(PlatHwnd window, PlatPoint* point) {
  if (!platIsWindow(window)) return false;
  PlatPoint o;
  platClientOrigin(&o);
  point->x -= o.x;
  point->y -= o.y;
  return true;
}

int32_t platGetSystemMetrics(int32_t index) {
  int32_t w = 1024, h = 768;
  DDPixelFormat f;
  if (platCurrent) platCurrent->desktop(&w, &h, &f);
  switch (index) {
    case SM_CXSCREEN: return w;
    case SM_CYSCREEN: return h;
    case SM_CYCAPTION: return PLAT_CAPTION;
    case SM_CXFRAME:
    case SM_CYFRAME: return PLAT_FRAME;
    default: return 0;
  }
}

bool platGetCursorPos(PlatPoint* point) {
  point->x = point->y = 0;
  if (platCurrent) platCurrent->cursorPos(point);
  return true;
}

int platShowCursor(int show) {
  bool before = platCursorCount >= 0;
  platCursorCount += show ? 1 : -1;
  bool after = platCursorCount >= 0;
  if (before != after && platCurrent) platCurrent->cursorVisible(after);
  return platCursorCount;
}

// ---- Activation --------------------------------------------------------------------

void platSetForeground(bool foreground) {
  if (foreground == platForeground) return;
  platForeground = foreground;
  platDIForeground(foreground);
  if (platWindow.used) platPostMessage(&platWindow, WM_ACTIVATEAPP, foreground ? 1 : 0, 0);
}
bool platIsForeground() { return platForeground; }

// ---- Boxes, viewer, audio ------------------------------------------------------------

int platMessageBox(const char* text, const char* caption, uint32_t style) {
  std::fprintf(stderr, "%s %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  if (!platCurrent) return (style & MB_YESNO) ? IDYES : IDOK;
  return platCurrent->messageBox(text ? text : "", caption ? caption : "", style);
}

void platOpenViewer(const char* fileName) {
  if (platCurrent && fileName) platCurrent->openViewer(fileName);
}

bool platAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  PlatAudioInfo scratch;
  if (!info) info = &scratch;
  info->queuedFrames = 0;
  std::snprintf(info->reason, sizeof info->reason, "%s", !platCurrent ? "no platform" : "bad parameters");
  if (!platCurrent || !fill || rate < 8000 || rate > 192000) return false;
  info->reason[0] = 0;
  return platCurrent->audioOpen(rate, fill, user, info);
}
void platAudioPause(bool pause) {
  if (platCurrent) platCurrent->audioPause(pause);
}
void platAudioClose() {
  if (platCurrent) platCurrent->audioClose();
}

bool platCpuHasSSE2() {
  const char* force = std::getenv("QV_SCALAR");
  if (force && *force && *force != '0') return false;
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}
