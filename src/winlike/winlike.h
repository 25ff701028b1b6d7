// The Windows-shaped layer on the platform contract: a message queue and one window with its
// procedure, message boxes and a modal dialog with Win32's values (MB_*, WM_*, ID*, BM_*).
// The DirectDraw-like display (wl_ddraw.h) and DirectInput-like keyboard (wl_dinput.h) sit
// beside it; the event script (wl_script.h) drives all three.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_dialog.h"

// MessageBox styles and answers (Win32 values).
enum : uint32_t {
  MB_OK = 0x0000,
  MB_YESNO = 0x0004,
  MB_ICONERROR = 0x0010,
  MB_ICONQUESTION = 0x0020,
  MB_ICONINFORMATION = 0x0040,
  MB_SETFOREGROUND = 0x10000,
  MB_TOPMOST = 0x40000,
};
enum : int { IDOK = 1, IDYES = 6, IDNO = 7 };

// ---- Messages (Win32 values) -------------------------------------------------
enum : uint32_t {
  WM_NULL = 0x0000,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_ACTIVATEAPP = 0x001C,
  WM_GETMINMAXINFO = 0x0024,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_EXITSIZEMOVE = 0x0232,
};
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1 };

typedef struct WlWindowRec* WlHwnd;
typedef intptr_t (*WlWndProc)(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

struct WlMinMaxInfo {
  PlatPoint ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

struct WlMsg {
  WlHwnd window;  // null for thread messages such as WM_QUIT
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t time;
};

// PeekMessage with PM_REMOVE semantics when remove is true: true when a message was taken.
// Gathers the platform's and the script's events first.
bool wlPeekMessage(WlMsg* msg, bool remove);
// Calls the window procedure of msg->window; WM_QUIT and thread messages return 0.
intptr_t wlDispatchMessage(const WlMsg* msg);
// Blocks until a message is queued (headless: advances the clock to the next scripted event;
// with nothing left that could ever arrive it posts WM_CLOSE, so a run cannot hang).
void wlWaitMessage();
void wlPostQuitMessage(int32_t exitCode);
bool wlPostMessage(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Calls the window procedure at once (SendMessage).
intptr_t wlSendMessage(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t wlDefWindowProc(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Window -------------------------------------------------------------------
enum : uint32_t {
  WS_CAPTION = 0x00C00000,
  WS_SYSMENU = 0x00080000,
  WS_THICKFRAME = 0x00040000,
  WS_MINIMIZEBOX = 0x00020000,
  CS_BYTEALIGNWINDOW = 0x2000,
  SWP_SHOWWINDOW = 0x0040,
  SW_SHOWNORMAL = 1,
};
enum : int32_t { CW_USEDEFAULT = (int32_t)0x80000000 };
// SetWindowPos insertion values.
enum : intptr_t { HWND_NOTOPMOST = -2 };
// GetSystemMetrics indices.
enum : int32_t { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CYCAPTION = 4, SM_CXFRAME = 32, SM_CYFRAME = 33 };

struct WlWndClass {
  uint32_t style;
  WlWndProc wndProc;
  const PlatIcon* icon;
  const char* className;
};
// Non-zero on success. One class name may be registered once.
uint32_t wlRegisterClass(const WlWndClass* wc);
// One engine window at a time; null on failure (unknown class, window already exists).
WlHwnd wlCreateWindow(const char* className, const char* title, uint32_t style, int32_t x, int32_t y, int32_t width,
                      int32_t height);
// Sends WM_DESTROY, then forgets the window.
void wlDestroyWindow(WlHwnd window);
bool wlIsWindow(WlHwnd window);
WlHwnd wlMainWindow();
// The first show makes the application the active one (sends WM_ACTIVATEAPP 1).
void wlShowWindow(WlHwnd window, int32_t cmd);
// Sends WM_ERASEBKGND.
void wlUpdateWindow(WlHwnd window);
// Moves and sizes the window rectangle (sends WM_GETMINMAXINFO, then WM_MOVE and WM_SIZE when they change).
bool wlSetWindowPos(WlHwnd window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                    uint32_t flags);
bool wlGetWindowRect(WlHwnd window, PlatRect* rect);
// Client rectangle in client coordinates: (0, 0, width, height).
bool wlGetClientRect(WlHwnd window, PlatRect* rect);
bool wlClientToScreen(WlHwnd window, PlatPoint* point);
bool wlScreenToClient(WlHwnd window, PlatPoint* point);
int32_t wlGetSystemMetrics(int32_t index);
bool wlGetCursorPos(PlatPoint* point);
const char* wlWindowTitle(WlHwnd window);

// ShowCursor semantics: adds +1 (show) or -1 (hide) to the display count and returns it;
// the cursor is visible while the count is 0 or more. The count starts at 0.
int wlShowCursor(int show);

// Shows a message box (always also written to stderr as "CAPTION TEXT") and returns the answer.
// Headless answers are scripted (default IDOK/IDYES).
int wlMessageBox(const char* text, const char* caption, uint32_t style);

// ---- Dialogs (DialogBoxParam) --------------------------------------------------
// The platform's dialog (platDialogOpen) with a dialog procedure and handles. While a dialog
// runs, wlGetWindowRect and wlSetWindowPos also accept its handle (window
// rectangle in the same screen units as SM_CXSCREEN/SM_CYSCREEN).
enum : uint32_t {
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_CLICK = 0x00F5,
  BN_CLICKED = 0,
  BST_UNCHECKED = 0,
  BST_CHECKED = 1,
};
enum : int { IDCANCEL = 2 };
static_assert((int)IDOK == (int)PLAT_DLG_OK && (int)IDCANCEL == (int)PLAT_DLG_CANCEL,
              "the platform's dialog commands are Win32's");

typedef intptr_t (*WlDlgProc)(WlHwnd dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Runs the dialog modally: WM_INITDIALOG (lParam = param) first, then WM_COMMAND for clicks
// (low word of wParam = control id; IDCANCEL for Escape and the close box), until the procedure
// calls wlEndDialog. Returns that result, or -1 when the dialog cannot be shown.
intptr_t wlDialogBox(const PlatDlgTemplate* tmpl, WlDlgProc proc, intptr_t param);
bool wlEndDialog(WlHwnd dialog, intptr_t result);
WlHwnd wlGetDlgItem(WlHwnd dialog, int32_t id);
int32_t wlGetDlgCtrlID(WlHwnd control);  // 0 for anything but a control of the running dialog
// BM_CLICK (an auto radio button is checked and the rest of its group unchecked, then the
// dialog gets WM_COMMAND), BM_GETCHECK, BM_SETCHECK (no WM_COMMAND). 0 for anything else.
intptr_t wlSendDlgItemMessage(WlHwnd dialog, int32_t id, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Keyboard focus among the dialog's controls; returns the control that had it (or null).
WlHwnd wlSetFocus(WlHwnd control);
WlHwnd wlGetFocus();
// wlMessageBox owned by a window: for a running dialog the box is its child and stays above it.
int wlMessageBoxOwned(WlHwnd owner, const char* text, const char* caption, uint32_t style);
