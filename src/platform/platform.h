// Narrow platform contract used by the engine in place of Win32 calls.
// Only the backend files include SDL; everything above sees these functions.
// Two backends, chosen at run time by platInit: "sdl" (a real window) and
// "headless" (no devices, virtual clock, scripted events, frames kept in memory).
#pragma once
#include <cstddef>
#include <cstdint>

// MessageBox styles and answers (Win32 values).
enum : uint32_t {
  MB_OK = 0x0000, MB_YESNO = 0x0004,
  MB_ICONERROR = 0x0010, MB_ICONQUESTION = 0x0020, MB_ICONINFORMATION = 0x0040,
  MB_SETFOREGROUND = 0x10000, MB_TOPMOST = 0x40000,
};
enum : int { IDOK = 1, IDYES = 6, IDNO = 7 };

// ---- Backend ---------------------------------------------------------------
enum PlatBackendKind : int32_t { PLAT_BACKEND_HEADLESS = 0, PLAT_BACKEND_SDL = 1 };

// Picks and starts a backend. Returns false (with a one-line reason in err) when the
// backend cannot start, e.g. the sdl backend without a display. Calling it again after
// platShutdown starts afresh (tests do this).
bool platInit(PlatBackendKind kind, char* err, size_t errSize);
void platShutdown();
bool platIsInitialised();
PlatBackendKind platBackend();
// The backend named by QV_BACKEND ("sdl" or "headless"); sdl when unset or unknown.
PlatBackendKind platBackendFromEnv();
// Window-scale for the sdl backend (0 = automatic: the largest scale whose window
// fits within about half the desktop). Set before platInit.
void platSetWindowScale(int32_t scale);

// ---- Presentation (how the sdl backend puts the frame on the screen) ----------------
// The headless backend accepts the settings and ignores them. Set before platInit.
// The enums follow the order of the option words "fit|integer|stretch" and "nearest|sharp|linear".
enum PlatScaling : int32_t { PLAT_SCALING_FIT = 0, PLAT_SCALING_INTEGER = 1, PLAT_SCALING_STRETCH = 2 };
enum PlatFilter : int32_t { PLAT_FILTER_NEAREST = 0, PLAT_FILTER_SHARP = 1, PLAT_FILTER_LINEAR = 2 };
struct PlatPresentation {
  PlatScaling scaling;  // fit: largest size in the frame's aspect; integer: largest whole multiple; stretch: fill
  PlatFilter filter;    // sharp: whole-multiple nearest blow-up, then linear to the final size
  bool vsync;           // wait for the display's refresh
  int32_t display;      // monitor index for full screen, 0 the first
};
// fit, sharp, vsync on, display 0.
void platPresentationDefaults(PlatPresentation* presentation);
void platSetPresentation(const PlatPresentation* presentation);
const PlatPresentation* platPresentation();

// Where a srcW x srcH frame goes in an outW x outH output: the destination rectangle (centred
// on black unless stretched) and, for the sharp filter, the size of the nearest-neighbour
// intermediate (0 x 0 when the frame is drawn straight: the destination is itself a whole
// multiple, or the blow-up would be 1). linear: the last step filters linearly.
struct PlatPresentGeometry {
  int32_t x, y, width, height;
  int32_t preWidth, preHeight;
  bool linear;
};
void platPresentGeometry(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH, PlatScaling scaling,
                         PlatFilter filter, PlatPresentGeometry* geometry);
// The largest whole k with k*srcW <= outW and k*srcH <= outH; 0 when not even 1 fits.
int32_t platIntegerFactor(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH);

// ---- Time ------------------------------------------------------------------
// Milliseconds since an arbitrary start (GetTickCount). Headless: every call advances
// a virtual clock by 1 ms, so busy-waits end and runs repeat exactly.
uint32_t platGetTickCount();
// Current time without advancing the headless clock (for audio replay and timestamps).
uint32_t platPeekTickCount();
void platSleep(uint32_t ms);
// Seconds of the calendar clock (time()); the headless backend always answers 0, so that
// whatever is seeded from it repeats exactly.
int64_t platCalendarSeconds();

// ---- Messages (Win32 values) -------------------------------------------------
enum : uint32_t {
  WM_NULL = 0x0000, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014, WM_ACTIVATEAPP = 0x001C, WM_GETMINMAXINFO = 0x0024,
  WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_EXITSIZEMOVE = 0x0232,
};
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1 };

typedef struct PlatWindowRec* PlatHwnd;
typedef intptr_t (*PlatWndProc)(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

struct PlatRect { int32_t left, top, right, bottom; };
struct PlatPoint { int32_t x, y; };
struct PlatMinMaxInfo { PlatPoint ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize; };

struct PlatMsg {
  PlatHwnd window;  // null for thread messages such as WM_QUIT
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t time;
};

// PeekMessage with PM_REMOVE semantics when remove is true: true when a message was taken.
// Gathers backend and scripted events first.
bool platPeekMessage(PlatMsg* msg, bool remove);
// Calls the window procedure of msg->window; WM_QUIT and thread messages return 0.
intptr_t platDispatchMessage(const PlatMsg* msg);
// Blocks until a message is queued (headless: advances the clock to the next scripted event;
// with nothing left that could ever arrive it posts WM_CLOSE, so a run cannot hang).
void platWaitMessage();
void platPostQuitMessage(int32_t exitCode);
bool platPostMessage(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Calls the window procedure at once (SendMessage).
intptr_t platSendMessage(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t platDefWindowProc(PlatHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Window -------------------------------------------------------------------
enum : uint32_t {
  WS_CAPTION = 0x00C00000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000, WS_MINIMIZEBOX = 0x00020000,
  CS_BYTEALIGNWINDOW = 0x2000,
  SWP_SHOWWINDOW = 0x0040, SW_SHOWNORMAL = 1,
};
enum : int32_t { CW_USEDEFAULT = (int32_t)0x80000000 };
// SetWindowPos insertion values.
enum : intptr_t { HWND_NOTOPMOST = -2 };
// GetSystemMetrics indices.
enum : int32_t { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CYCAPTION = 4, SM_CXFRAME = 32, SM_CYFRAME = 33 };

// 0xAARRGGBB pixels, rows top to bottom.
struct PlatIcon { int32_t width, height; const uint32_t* pixels; };

struct PlatWndClass {
  uint32_t style;
  PlatWndProc wndProc;
  const PlatIcon* icon;
  const char* className;
};
// Non-zero on success. One class name may be registered once.
uint32_t platRegisterClass(const PlatWndClass* wc);
// One engine window at a time; null on failure (unknown class, window already exists).
PlatHwnd platCreateWindow(const char* className, const char* title, uint32_t style, int32_t x, int32_t y,
                          int32_t width, int32_t height);
// Sends WM_DESTROY, then forgets the window.
void platDestroyWindow(PlatHwnd window);
bool platIsWindow(PlatHwnd window);
PlatHwnd platMainWindow();
// The first show makes the application the active one (sends WM_ACTIVATEAPP 1).
void platShowWindow(PlatHwnd window, int32_t cmd);
// Sends WM_ERASEBKGND.
void platUpdateWindow(PlatHwnd window);
// Moves and sizes the window rectangle (sends WM_GETMINMAXINFO, then WM_MOVE and WM_SIZE when they change).
bool platSetWindowPos(PlatHwnd window, intptr_t insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                      uint32_t flags);
bool platGetWindowRect(PlatHwnd window, PlatRect* rect);
// Client rectangle in client coordinates: (0, 0, width, height).
bool platGetClientRect(PlatHwnd window, PlatRect* rect);
bool platClientToScreen(PlatHwnd window, PlatPoint* point);
bool platScreenToClient(PlatHwnd window, PlatPoint* point);
int32_t platGetSystemMetrics(int32_t index);
bool platGetCursorPos(PlatPoint* point);
const char* platWindowTitle(PlatHwnd window);

// ShowCursor semantics: adds +1 (show) or -1 (hide) to the display count and returns it;
// the cursor is visible while the count is 0 or more. The count starts at 0.
int platShowCursor(int show);

// Shows a message box (always also written to stderr as "CAPTION TEXT") and returns the answer.
// Headless answers are scripted (default IDOK/IDYES).
int platMessageBox(const char* text, const char* caption, uint32_t style);

// Opens a text file in the desktop's viewer (xdg-open); the result is not reported.
// Headless only records the request.
void platOpenViewer(const char* fileName);

// Processor features, queried once. QV_SCALAR=1 in the environment reports no SIMD,
// so the plain classes can be compared with the SIMD ones.
bool platCpuHasSSE2();

// ---- Audio ---------------------------------------------------------------------
// The fill callback writes frameCount frames of interleaved signed 16-bit stereo at the opened
// rate. The sdl backend calls it on its own audio thread; the headless backend calls it on the
// caller's thread whenever the virtual clock moves, so that floor(T x rate / 1000) frames have
// been asked for in all after T virtual ms of unpaused device: the audio keeps in lockstep with
// the clock.
typedef void (*PlatAudioFill)(void* user, int16_t* frames, int32_t frameCount);
struct PlatAudioInfo {
  // Frames still waiting in the device when a fill returns (its latency; 0 headless).
  int32_t queuedFrames;
  char reason[160];  // why the device could not be opened
};
// Opens the one output device, paused. False (with a reason in info) when there is no sound
// device or it cannot take the rate; the caller then plays silently on its own clock.
bool platAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
// While paused the fill is not called and nothing is heard.
void platAudioPause(bool pause);
// Stops the device; once it returns the fill is not running and will not be called again.
// platShutdown closes it too.
void platAudioClose();

// ---- Dialogs (DialogBoxParam) --------------------------------------------------
// A modal dialog built from a template. Positions are dialog units: x in quarters of the
// font's average character width, y in eighths of its height. The sdl backend shows a window
// of its own; the headless backend replays a list of clicks (PlatHeadlessConfig::dialog).
// While a dialog runs, platGetWindowRect and platSetWindowPos also accept its handle (window
// rectangle in the same screen units as SM_CXSCREEN/SM_CYSCREEN).
enum : uint32_t {
  WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111,
  BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_CLICK = 0x00F5,
  BN_CLICKED = 0, BST_UNCHECKED = 0, BST_CHECKED = 1,
};
enum : int { IDCANCEL = 2 };

enum PlatDlgKind : int32_t {
  PLAT_DLG_DEFPUSHBUTTON, PLAT_DLG_PUSHBUTTON, PLAT_DLG_BITMAP, PLAT_DLG_GROUPBOX, PLAT_DLG_AUTORADIO,
};
struct PlatDlgItem {
  int32_t id;  // -1 for controls that send nothing (picture, group box)
  PlatDlgKind kind;
  const char* text;
  int32_t x, y, width, height;  // dialog units
  // PLAT_DLG_BITMAP: 0xAARRGGBB pixels, rows top to bottom.
  const uint32_t* pixels;
  int32_t pixelWidth, pixelHeight;
  // The word that names the control in a headless replay list (e.g. "ok"), or null.
  const char* replayName;
};
// Consecutive auto radio buttons form one group: checking one unchecks the others, and the
// group is one tab stop. Tab order is the table order.
struct PlatDlgTemplate {
  const char* caption;
  int32_t width, height;  // dialog units, client area
  const char* fontName;
  int32_t fontPoints;
  const PlatDlgItem* items;
  int32_t itemCount;  // at most PLAT_DLG_MAX_ITEMS
};
enum : int32_t { PLAT_DLG_MAX_ITEMS = 32 };
typedef intptr_t (*PlatDlgProc)(PlatHwnd dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Runs the dialog modally: WM_INITDIALOG (lParam = param) first, then WM_COMMAND for clicks
// (low word of wParam = control id; IDCANCEL for Escape and the close box), until the procedure
// calls platEndDialog. Returns that result, or -1 when the dialog cannot be shown.
intptr_t platDialogBox(const PlatDlgTemplate* tmpl, PlatDlgProc proc, intptr_t param);
bool platEndDialog(PlatHwnd dialog, intptr_t result);
PlatHwnd platGetDlgItem(PlatHwnd dialog, int32_t id);
int32_t platGetDlgCtrlID(PlatHwnd control);  // 0 for anything but a control of the running dialog
// BM_CLICK (an auto radio button is checked and the rest of its group unchecked, then the
// dialog gets WM_COMMAND), BM_GETCHECK, BM_SETCHECK (no WM_COMMAND). 0 for anything else.
intptr_t platSendDlgItemMessage(PlatHwnd dialog, int32_t id, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Keyboard focus among the dialog's controls; returns the control that had it (or null).
PlatHwnd platSetFocus(PlatHwnd control);
PlatHwnd platGetFocus();
// platMessageBox owned by a window: for a running dialog the box is its child and stays above it.
int platMessageBoxOwned(PlatHwnd owner, const char* text, const char* caption, uint32_t style);
