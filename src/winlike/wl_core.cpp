// The message queue, the engine window and its geometry, the cursor count, activation and
// message boxes, on the platform contract. Events of the platform become messages here.
#include <cstdio>
#include <cstring>

#include "winlike/wl_dinput.h"
#include "winlike/wl_internal.h"
#include "winlike/wl_script.h"

// Posted messages: a ring of 256; a full queue drops the newest (Win32 limits the queue too).
static WlMsg platQueue[256];
static int32_t platQueueHead = 0, platQueueCount = 0;
static bool platQuitPosted = false;
static int32_t platQuitCode = 0;

static WlWindowRec platWindow;
static char platClassName[128];
static WlWndProc platClassProc = nullptr;
static const PlatIcon* platClassIcon = nullptr;
static int32_t platCursorCount = 0;
static bool platForeground = false;

// platInit and platShutdown forget the queue and the window; the display objects, the keyboard
// and the script go at shutdown only (a script may be given before platInit).
static void platWinlikeReset(bool shutdown) {
  if (shutdown) {
    wlDDReset();
    wlDIReset();
    wlScriptClear();
  }
  platQueueHead = platQueueCount = 0;
  platQuitPosted = false;
  std::memset(&platWindow, 0, sizeof platWindow);
  platClassName[0] = 0;
  platClassProc = nullptr;
  platClassIcon = nullptr;
  platCursorCount = 0;
  platForeground = false;
}
// This file is linked whenever the layer is used: its hook is in place before any platInit.
static const bool platWinlikeHooked = (platAddResetHook(platWinlikeReset), true);

// ---- Messages ------------------------------------------------------------------

bool wlPostMessage(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (platQueueCount == 256) return false;
  WlMsg& m = platQueue[(platQueueHead + platQueueCount) & 255];
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = platPeekTickCount();
  platQueueCount++;
  return true;
}

void wlPostQuitMessage(int32_t exitCode) {
  platQuitPosted = true;
  platQuitCode = exitCode;
}

static int32_t platCaptionOf(const WlWindowRec* w) { return (w->style & WS_CAPTION) ? PLAT_CAPTION : 0; }
static int32_t platFrameOf(const WlWindowRec* w) { return (w->style & WS_THICKFRAME) ? PLAT_FRAME : 0; }

// One platform event as messages, keyboard input and activation.
static void platTranslate(const PlatEvent& e) {
  WlWindowRec* w = wlWindowRec();
  if (e.kind == PLAT_EVENT_KEY) {
    wlDIKeyEvent(e.key, e.down);
    // Keys with Alt held arrive as system keys, which the window procedure swallows.
    if (w && e.alt) wlPostMessage(w, e.down ? WM_SYSKEYDOWN : WM_SYSKEYUP, 0, 0);
    return;
  }
  if (!w) return;
  switch (e.kind) {
    case PLAT_EVENT_CLOSE: wlPostMessage(w, WM_CLOSE, 0, 0); break;
    case PLAT_EVENT_FOCUS: wlSetForeground(e.down); break;
    case PLAT_EVENT_EXPOSED: wlPostMessage(w, WM_ERASEBKGND, 0, 0); break;
    case PLAT_EVENT_MINIMIZED: wlPostMessage(w, WM_SIZE, SIZE_MINIMIZED, 0); break;
    case PLAT_EVENT_RESTORED: wlPostMessage(w, WM_SIZE, SIZE_RESTORED, 0); break;
    case PLAT_EVENT_MOVED: {
      // The user moved the window: the platform reports where the client area is now.
      int32_t x = e.x - platFrameOf(w), y = e.y - platCaptionOf(w) - platFrameOf(w);
      if (x == w->rect.left && y == w->rect.top) break;
      w->rect = {x, y, x + (w->rect.right - w->rect.left), y + (w->rect.bottom - w->rect.top)};
      wlPostMessage(w, WM_MOVE, 0, 0);
      wlPostMessage(w, WM_EXITSIZEMOVE, 0, 0);
      break;
    }
    default: break;
  }
}

static void platPump() {
  if (!platIsInitialised()) return;
  PlatEvent e;
  while (platPollEvent(&e)) platTranslate(e);
  wlScriptRun();
}

bool wlPeekMessage(WlMsg* msg, bool remove) {
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

void wlWaitMessage() {
  if (!platIsInitialised()) return;
  for (;;) {
    platPump();
    if (platQueueCount > 0 || platQuitPosted) return;
    int64_t next = wlScriptNextTime(), wait = next < 0 ? -1 : next - platTicksSinceInit();
    if (!platWaitEvents(next < 0 ? -1 : (int32_t)(wait < 0 ? 0 : wait > 0x7fffffff ? 0x7fffffff : wait))) {
      // Nothing can ever arrive (an inactive headless run whose script has ended): close
      // the window, so the program ends through its own close path instead of hanging.
      std::fprintf(stderr, "quorvane: no more events can arrive; closing the window\n");
      wlPostMessage(platWindow.used ? &platWindow : nullptr, WM_CLOSE, 0, 0);
      return;
    }
  }
}

intptr_t wlDispatchMessage(const WlMsg* msg) {
  if (!msg->window || msg->window != &platWindow || !platWindow.used || !platWindow.proc) return 0;
  return platWindow.proc(msg->window, msg->message, msg->wParam, msg->lParam);
}

intptr_t wlSendMessage(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!window || window != &platWindow || !platWindow.used || !platWindow.proc) return 0;
  return platWindow.proc(window, message, wParam, lParam);
}

intptr_t wlDefWindowProc(WlHwnd window, uint32_t message, uintptr_t, intptr_t) {
  // Closing destroys the window, as DefWindowProc does; everything else needs no default.
  if (message == WM_CLOSE) wlDestroyWindow(window);
  return 0;
}

// ---- Window ----------------------------------------------------------------------

uint32_t wlRegisterClass(const WlWndClass* wc) {
  if (!wc || !wc->className || !wc->wndProc || platClassName[0]) return 0;
  std::snprintf(platClassName, sizeof platClassName, "%s", wc->className);
  platClassProc = wc->wndProc;
  platClassIcon = wc->icon;
  return 1;
}

WlWindowRec* wlWindowRec() { return platWindow.used ? &platWindow : nullptr; }
WlHwnd wlMainWindow() { return wlWindowRec(); }
bool wlIsWindow(WlHwnd window) { return window && window == &platWindow && platWindow.used; }
const char* wlWindowTitle(WlHwnd window) { return wlIsWindow(window) ? platWindow.title : ""; }

void wlWindowChanged() {
  PlatWindowState st;
  st.open = platWindow.used;
  st.shown = platWindow.shown;
  st.title = platWindow.title;
  st.icon = platWindow.icon;
  PlatPoint o;
  wlClientOrigin(&o);
  st.x = o.x, st.y = o.y;
  wlClientSize(&st.width, &st.height);
  platWindowUpdate(&st);
}

WlHwnd wlCreateWindow(const char* className, const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                      int32_t height) {
  if (!platIsInitialised() || platWindow.used || !className || std::strcmp(className, platClassName) != 0)
    return nullptr;
  std::memset(&platWindow, 0, sizeof platWindow);
  platWindow.used = true;
  platWindow.style = style;
  platWindow.proc = platClassProc;
  platWindow.icon = platClassIcon;
  std::snprintf(platWindow.title, sizeof platWindow.title, "%s", title ? title : "");
  int32_t frame = platFrameOf(&platWindow), caption = platCaptionOf(&platWindow);
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  // A default window takes 640x480, or three quarters of a desktop too small for that.
  int32_t dw, dh;
  PlatPixelFormat df;
  platDesktop(&dw, &dh, &df);
  if (width == CW_USEDEFAULT) width = 640 + 2 * frame <= dw ? 640 + 2 * frame : dw * 3 / 4;
  if (height == CW_USEDEFAULT) height = 480 + caption + 2 * frame <= dh ? 480 + caption + 2 * frame : dh * 3 / 4;
  platWindow.rect = {x, y, x + width, y + height};
  wlWindowChanged();
  return &platWindow;
}

void wlDestroyWindow(WlHwnd window) {
  if (!wlIsWindow(window)) return;
  wlSendMessage(window, WM_DESTROY, 0, 0);
  platWindow.used = false;
  wlWindowChanged();
}

void wlShowWindow(WlHwnd window, int32_t) {
  if (!wlIsWindow(window)) return;
  bool first = !platWindow.shown;
  platWindow.shown = true;
  wlWindowChanged();
  if (first) wlSetForeground(true);
}

void wlUpdateWindow(WlHwnd window) {
  if (wlIsWindow(window)) wlSendMessage(window, WM_ERASEBKGND, 0, 0);
}

bool wlSetWindowPos(WlHwnd window, intptr_t, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  if (wlDlgSetPos(window, x, y, width, height, flags)) return true;
  if (!wlIsWindow(window)) return false;
  WlMinMaxInfo info;
  std::memset(&info, 0, sizeof info);
  info.ptMinTrackSize = {1, 1};
  info.ptMaxTrackSize = {1 << 16, 1 << 16};
  wlSendMessage(window, WM_GETMINMAXINFO, 0, (intptr_t)&info);
  if (width < info.ptMinTrackSize.x) width = info.ptMinTrackSize.x;
  if (height < info.ptMinTrackSize.y) height = info.ptMinTrackSize.y;
  if (width > info.ptMaxTrackSize.x) width = info.ptMaxTrackSize.x;
  if (height > info.ptMaxTrackSize.y) height = info.ptMaxTrackSize.y;
  PlatRect old = platWindow.rect;
  platWindow.rect = {x, y, x + width, y + height};
  if (flags & SWP_SHOWWINDOW) platWindow.shown = true;
  wlWindowChanged();
  if (old.left != x || old.top != y) wlSendMessage(window, WM_MOVE, 0, 0);
  if (old.right - old.left != width || old.bottom - old.top != height) {
    int32_t cw, ch;
    wlClientSize(&cw, &ch);
    wlSendMessage(window, WM_SIZE, SIZE_RESTORED, (intptr_t)((ch << 16) | (cw & 0xffff)));
  }
  return true;
}

bool wlGetWindowRect(WlHwnd window, PlatRect* rect) {
  if (wlDlgGetRect(window, rect)) return true;
  if (!wlIsWindow(window)) return false;
  *rect = platWindow.rect;
  return true;
}

void wlClientSize(int32_t* width, int32_t* height) {
  int32_t frame = platFrameOf(&platWindow), caption = platCaptionOf(&platWindow);
  *width = platWindow.rect.right - platWindow.rect.left - 2 * frame;
  *height = platWindow.rect.bottom - platWindow.rect.top - caption - 2 * frame;
  if (*width < 0) *width = 0;
  if (*height < 0) *height = 0;
}

void wlClientOrigin(PlatPoint* screen) {
  screen->x = platWindow.rect.left + platFrameOf(&platWindow);
  screen->y = platWindow.rect.top + platCaptionOf(&platWindow) + platFrameOf(&platWindow);
}

bool wlGetClientRect(WlHwnd window, PlatRect* rect) {
  if (!wlIsWindow(window)) return false;
  int32_t w, h;
  wlClientSize(&w, &h);
  *rect = {0, 0, w, h};
  return true;
}

bool wlClientToScreen(WlHwnd window, PlatPoint* point) {
  if (!wlIsWindow(window)) return false;
  PlatPoint o;
  wlClientOrigin(&o);
  point->x += o.x;
  point->y += o.y;
  return true;
}

bool wlScreenToClient(WlHwnd window, PlatPoint* point) {
  if (!wlIsWindow(window)) return false;
  PlatPoint o;
  wlClientOrigin(&o);
  point->x -= o.x;
  point->y -= o.y;
  return true;
}

int32_t wlGetSystemMetrics(int32_t index) {
  int32_t w, h;
  PlatPixelFormat f;
  platDesktop(&w, &h, &f);
  switch (index) {
    case SM_CXSCREEN: return w;
    case SM_CYSCREEN: return h;
    case SM_CYCAPTION: return PLAT_CAPTION;
    case SM_CXFRAME:
    case SM_CYFRAME: return PLAT_FRAME;
    default: return 0;
  }
}

bool wlGetCursorPos(PlatPoint* point) {
  PlatPoint client;
  if (platCursorPos(point, &client)) {
    wlClientOrigin(point);
    point->x += client.x, point->y += client.y;
  }
  return true;
}

int wlShowCursor(int show) {
  bool before = platCursorCount >= 0;
  platCursorCount += show ? 1 : -1;
  bool after = platCursorCount >= 0;
  if (before != after) platSetCursorVisible(after);
  return platCursorCount;
}

// ---- Activation --------------------------------------------------------------------

void wlSetForeground(bool foreground) {
  if (foreground == platForeground) return;
  platForeground = foreground;
  wlDIForeground(foreground);
  if (platWindow.used) wlPostMessage(&platWindow, WM_ACTIVATEAPP, foreground ? 1 : 0, 0);
}
bool wlIsForeground() { return platForeground; }

// ---- Boxes -----------------------------------------------------------------------------

uint32_t wlBoxFlags(uint32_t style) {
  uint32_t f = (style & MB_YESNO) ? PLAT_BOX_YESNO : PLAT_BOX_OK;
  if (style & MB_ICONERROR) f |= PLAT_BOX_ERROR;
  else if (style & MB_ICONQUESTION) f |= PLAT_BOX_QUESTION;
  return f;
}

int wlBoxAnswer(PlatAnswer answer) {
  return answer == PLAT_ANSWER_YES ? IDYES : answer == PLAT_ANSWER_NO ? IDNO : IDOK;
}

int wlMessageBox(const char* text, const char* caption, uint32_t style) {
  return wlBoxAnswer(platShowBox(text, caption, wlBoxFlags(style)));
}
