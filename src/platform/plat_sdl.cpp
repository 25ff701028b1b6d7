// The sdl backend: one SDL2 window showing the display, first at an integer scale of its
// logical size; the window can be resized and goes full screen on the chosen monitor, the
// picture scaled as the presentation settings say (plat_sdl_present.cpp). All engine
// coordinates are logical: physical pixels divided by the window scale.
#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/plat_internal.h"
#include "platform/plat_present.h"
#include "platform/plat_sdl_present.h"

static int32_t sdlScaleWanted = 0;
static int32_t sdlScale = 1;
static SDL_Window* sdlWindow = nullptr;
static bool sdlFull = false;
static bool sdlCursorWanted = true;             // what the engine asked for; hidden anyway in full screen
static int32_t sdlPlacedW = 0, sdlPlacedH = 0;  // logical client size the window was last sized to
static PlatWindowState sdlState;                // the window as the layer above last wanted it
static int sdlSavedX = 0, sdlSavedY = 0;        // physical window place and size before going
static int sdlSavedW = 0, sdlSavedH = 0;        // full screen
static uint32_t sdlRestoreUntil = 0;            // SDL ticks until which that size is held
// Over the picture in a window the cursor hides after a while without movement; moving it shows it.
static const uint32_t kSdlCursorIdleMs = 2000;
static uint32_t sdlMouseMovedAt = 0;  // SDL ticks of the last movement (or of the window's opening)
static bool sdlCursorIdle = false;

void platSetWindowScale(int32_t scale) { sdlScaleWanted = scale < 0 ? 0 : scale; }
int32_t platSdlScale() { return sdlScale; }

static bool sdlInit(char* err, size_t errSize) {
  const char* drv = std::getenv("SDL_VIDEODRIVER");
  bool forced = drv && *drv;
  const char* x = std::getenv("DISPLAY");
  const char* wl = std::getenv("WAYLAND_DISPLAY");
  if (!forced && !(x && *x) && !(wl && *wl)) {
    std::snprintf(err, errSize, "no display found (DISPLAY is not set); use --headless to run without one");
    return false;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the platform's own handlers stay in place
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::snprintf(err, errSize, "cannot open the display (%s); use --headless to run without one", SDL_GetError());
    return false;
  }
  // When no real display answers, SDL falls back to drivers that show nothing; only an explicit
  // SDL_VIDEODRIVER may choose them.
  const char* got = SDL_GetCurrentVideoDriver();
  if (!forced && got && (!std::strcmp(got, "offscreen") || !std::strcmp(got, "dummy"))) {
    SDL_Quit();
    if (x && *x)
      std::snprintf(err, errSize, "cannot open the display %s (DISPLAY); use --headless to run without one", x);
    else
      std::snprintf(err, errSize, "cannot open the display %s (WAYLAND_DISPLAY); use --headless to run without one",
                    wl);
    return false;
  }
  int32_t displays = SDL_GetNumVideoDisplays(), want = platPresentation()->display;
  if (want >= displays) {
    std::snprintf(err, errSize, "there is no monitor %d (%d found, numbered from 0)", want, displays);
    SDL_Quit();
    return false;
  }
  SDL_DisplayMode dm;
  int32_t dw = 1024, dh = 768;
  if (SDL_GetDesktopDisplayMode(want, &dm) == 0) dw = dm.w, dh = dm.h;
  sdlCursorWanted = true;
  sdlCursorIdle = false;
  sdlRestoreUntil = 0;
  sdlPlacedW = sdlPlacedH = 0;
  std::memset(&sdlState, 0, sizeof sdlState);
  sdlScale = sdlScaleWanted;
  if (sdlScale <= 0) {
    // The largest scale whose 320x240 client covers at most about half the desktop.
    sdlScale = 1;
    for (int32_t s = 2; s <= 16; s++)
      if ((int64_t)s * s * 320 * 240 * 2 <= (int64_t)dw * dh && s * 320 <= dw * 9 / 10 && s * 240 <= dh * 9 / 10)
        sdlScale = s;
  }
  return true;
}

static void sdlShutdown() {
  platSdlPresentClose();
  if (sdlWindow) SDL_DestroyWindow(sdlWindow);
  sdlWindow = nullptr;
  sdlFull = false;
  SDL_Quit();
}

static uint32_t sdlTicks(bool) { return SDL_GetTicks(); }
static void sdlSleep(uint32_t ms) { SDL_Delay(ms); }

// Whole milliseconds but the last in one sleep, the last in steps of 0.2 ms: a handful of wake-ups,
// and the tick is seen turning within about 0.25 ms (the kernel's default timer slack is 50 us).
static void sdlSleepUntil(uint32_t tick) {
  for (;;) {
    int32_t left = (int32_t)(tick - SDL_GetTicks());
    if (left <= 0) return;
    if (left > 1) {
      SDL_Delay((Uint32)(left - 1));
    } else {
      struct timespec step = {0, 200000};
      nanosleep(&step, nullptr);
    }
  }
}

static int64_t sdlMicros() {
  static const uint64_t freq = SDL_GetPerformanceFrequency();
  uint64_t c = SDL_GetPerformanceCounter();
  return (int64_t)(c / freq * 1000000 + c % freq * 1000000 / freq);
}

// SDL's scan codes as PC set-1 scan codes (extended keys + 0x80).
static uint32_t sdlScanCode(SDL_Scancode s) {
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) {
    static const uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    return letters[s - SDL_SCANCODE_A];
  }
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_0) return 0x02 + (uint32_t)(s - SDL_SCANCODE_1);
  if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F10) return 0x3B + (uint32_t)(s - SDL_SCANCODE_F1);
  switch (s) {
    case SDL_SCANCODE_RETURN: return 0x1C;
    case SDL_SCANCODE_ESCAPE: return 0x01;
    case SDL_SCANCODE_BACKSPACE: return 0x0E;
    case SDL_SCANCODE_TAB: return 0x0F;
    case SDL_SCANCODE_SPACE: return 0x39;
    case SDL_SCANCODE_MINUS: return 0x0C;
    case SDL_SCANCODE_EQUALS: return 0x0D;
    case SDL_SCANCODE_LEFTBRACKET: return 0x1A;
    case SDL_SCANCODE_RIGHTBRACKET: return 0x1B;
    case SDL_SCANCODE_BACKSLASH: return 0x2B;
    case SDL_SCANCODE_SEMICOLON: return 0x27;
    case SDL_SCANCODE_APOSTROPHE: return 0x28;
    case SDL_SCANCODE_GRAVE: return 0x29;
    case SDL_SCANCODE_COMMA: return 0x33;
    case SDL_SCANCODE_PERIOD: return 0x34;
    case SDL_SCANCODE_SLASH: return 0x35;
    case SDL_SCANCODE_CAPSLOCK: return 0x3A;
    case SDL_SCANCODE_F11: return 0x57;
    case SDL_SCANCODE_F12: return 0x58;
    case SDL_SCANCODE_SCROLLLOCK: return 0x46;
    case SDL_SCANCODE_PAUSE: return 0xC5;
    case SDL_SCANCODE_INSERT: return 0xD2;
    case SDL_SCANCODE_HOME: return 0xC7;
    case SDL_SCANCODE_PAGEUP: return 0xC9;
    case SDL_SCANCODE_DELETE: return 0xD3;
    case SDL_SCANCODE_END: return 0xCF;
    case SDL_SCANCODE_PAGEDOWN: return 0xD1;
    case SDL_SCANCODE_RIGHT: return 0xCD;
    case SDL_SCANCODE_LEFT: return 0xCB;
    case SDL_SCANCODE_DOWN: return 0xD0;
    case SDL_SCANCODE_UP: return 0xC8;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 0x45;
    case SDL_SCANCODE_KP_DIVIDE: return 0xB5;
    case SDL_SCANCODE_KP_MULTIPLY: return 0x37;
    case SDL_SCANCODE_KP_MINUS: return 0x4A;
    case SDL_SCANCODE_KP_PLUS: return 0x4E;
    case SDL_SCANCODE_KP_ENTER: return 0x9C;
    case SDL_SCANCODE_KP_1: return 0x4F;
    case SDL_SCANCODE_KP_2: return 0x50;
    case SDL_SCANCODE_KP_3: return 0x51;
    case SDL_SCANCODE_KP_4: return 0x4B;
    case SDL_SCANCODE_KP_5: return 0x4C;
    case SDL_SCANCODE_KP_6: return 0x4D;
    case SDL_SCANCODE_KP_7: return 0x47;
    case SDL_SCANCODE_KP_8: return 0x48;
    case SDL_SCANCODE_KP_9: return 0x49;
    case SDL_SCANCODE_KP_0: return 0x52;
    case SDL_SCANCODE_KP_PERIOD: return 0x53;
    case SDL_SCANCODE_LCTRL: return 0x1D;
    case SDL_SCANCODE_LSHIFT: return 0x2A;
    case SDL_SCANCODE_LALT: return 0x38;
    case SDL_SCANCODE_LGUI: return 0xDB;
    case SDL_SCANCODE_RCTRL: return 0x9D;
    case SDL_SCANCODE_RSHIFT: return 0x36;
    case SDL_SCANCODE_RALT: return 0xB8;
    case SDL_SCANCODE_RGUI: return 0xDC;
    case SDL_SCANCODE_APPLICATION: return 0xDD;
    case SDL_SCANCODE_NONUSBACKSLASH: return 0x56;
    default: return 0;
  }
}

static void sdlHoldWindowed();
static void sdlApplyCursor();

// Hides the cursor once it has rested long enough, shows it again on a movement.
static void sdlCursorIdleCheck(bool moved) {
  uint32_t now = SDL_GetTicks();
  if (moved) sdlMouseMovedAt = now;
  bool idle = sdlWindow && !moved && now - sdlMouseMovedAt >= kSdlCursorIdleMs;
  if (idle == sdlCursorIdle) return;
  sdlCursorIdle = idle;
  sdlApplyCursor();
}

// The next event the layer above needs; window resizes only redraw the picture.
static bool sdlPoll(PlatEvent* ev) {
  SDL_Event e;
  if (sdlRestoreUntil && (int32_t)(SDL_GetTicks() - sdlRestoreUntil) > 0) {
    sdlRestoreUntil = 0;  // the window is back: its place goes up as a move
    if (!sdlFull && sdlState.open && sdlWindow) {
      int x, y;
      SDL_GetWindowPosition(sdlWindow, &x, &y);
      std::memset(ev, 0, sizeof *ev);
      ev->kind = PLAT_EVENT_MOVED;
      ev->x = x / sdlScale, ev->y = y / sdlScale;
      sdlState.x = ev->x, sdlState.y = ev->y;
      return true;
    }
  }
  while (SDL_PollEvent(&e)) {
    std::memset(ev, 0, sizeof *ev);
    switch (e.type) {
      case SDL_QUIT: ev->kind = PLAT_EVENT_CLOSE; return true;
      case SDL_MOUSEMOTION: sdlCursorIdleCheck(true); break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (e.key.repeat) break;
        ev->kind = PLAT_EVENT_KEY;
        ev->key = sdlScanCode(e.key.keysym.scancode);
        ev->down = e.type == SDL_KEYDOWN;
        ev->alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        return true;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: ev->kind = PLAT_EVENT_CLOSE; return true;
          case SDL_WINDOWEVENT_FOCUS_GAINED: ev->kind = PLAT_EVENT_FOCUS, ev->down = true; return true;
          case SDL_WINDOWEVENT_FOCUS_LOST: ev->kind = PLAT_EVENT_FOCUS; return true;
          case SDL_WINDOWEVENT_EXPOSED: ev->kind = PLAT_EVENT_EXPOSED; return true;
          case SDL_WINDOWEVENT_MINIMIZED: ev->kind = PLAT_EVENT_MINIMIZED; return true;
          case SDL_WINDOWEVENT_RESTORED: ev->kind = PLAT_EVENT_RESTORED; return true;
          // The engine's client size stays put; only the picture follows the window's size.
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            sdlHoldWindowed();
            platSdlPresentRedraw();
            break;
          case SDL_WINDOWEVENT_MOVED:
            if (sdlRestoreUntil) sdlHoldWindowed();
            if (sdlFull || !sdlState.open || sdlRestoreUntil) break;  // not the user's move
            ev->kind = PLAT_EVENT_MOVED;
            ev->x = e.window.data1 / sdlScale, ev->y = e.window.data2 / sdlScale;
            sdlState.x = ev->x, sdlState.y = ev->y;
            return true;
          default: break;
        }
        break;
      default: break;
    }
  }
  // After the queue's movements, so that one waiting there keeps the cursor.
  sdlCursorIdleCheck(false);
  return false;
}

static bool sdlWait(int32_t timeoutMs) {
  SDL_WaitEventTimeout(nullptr, timeoutMs < 0 || timeoutMs > 100 ? 100 : timeoutMs);
  return true;
}

static void sdlDesktop(int32_t* w, int32_t* h, PlatPixelFormat* f) {
  SDL_DisplayMode dm;
  int32_t bits = 32;
  *w = 1024, *h = 768;
  if (SDL_GetDesktopDisplayMode(platPresentation()->display, &dm) == 0) {
    *w = dm.w, *h = dm.h;
    if (SDL_BITSPERPIXEL(dm.format) == 16) bits = 16;
    if (SDL_BITSPERPIXEL(dm.format) == 15) bits = 15;
  }
  *w /= sdlScale, *h /= sdlScale;
  platFormatForBits(bits, f);
}

static int32_t sdlModes(PlatMode* out, int32_t max) {
  PlatMode m[16];
  int32_t n;
  platStandardModes(m, &n);
  if (n > max) n = max;
  std::memcpy(out, m, sizeof(PlatMode) * (size_t)n);
  return n;
}

static bool sdlDisplayAvailable() { return true; }

// A window size in physical pixels shrunk (keeping its shape) until the window with its frame
// and caption fits the monitor's usable area; the picture follows the window's size.
static void sdlFitSize(int32_t* w, int32_t* h) {
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(platPresentation()->display, &r) != 0) return;
  int32_t maxW = r.w - 2 * PLAT_FRAME, maxH = r.h - PLAT_CAPTION - 2 * PLAT_FRAME;
  if (maxW < 64 || maxH < 48 || (*w <= maxW && *h <= maxH)) return;
  if ((int64_t)*w * maxH > (int64_t)*h * maxW) *h = (int32_t)((int64_t)*h * maxW / *w), *w = maxW;
  else *w = (int32_t)((int64_t)*w * maxH / *h), *h = maxH;
}

static void sdlPlace() {
  if (!sdlWindow || sdlFull) return;
  int32_t cw = sdlState.width < 1 ? 1 : sdlState.width, ch = sdlState.height < 1 ? 1 : sdlState.height;
  // The user may resize the window (the picture follows); it is only sized again when the
  // engine's client size changes.
  SDL_SetWindowMinimumSize(sdlWindow, cw / 4 > 0 ? cw / 4 : 1, ch / 4 > 0 ? ch / 4 : 1);
  if (cw != sdlPlacedW || ch != sdlPlacedH) {
    int32_t pw = cw * sdlScale, ph = ch * sdlScale;
    sdlFitSize(&pw, &ph);
    SDL_SetWindowSize(sdlWindow, pw, ph);
  }
  sdlPlacedW = cw, sdlPlacedH = ch;
  if (sdlRestoreUntil) SDL_SetWindowPosition(sdlWindow, sdlSavedX, sdlSavedY);
  else SDL_SetWindowPosition(sdlWindow, sdlState.x * sdlScale, sdlState.y * sdlScale);
}

static void sdlWindowUpdate(const PlatWindowState* w) {
  sdlState = *w;
  if (!w->open) {
    platSdlPresentClose();
    if (sdlWindow) SDL_DestroyWindow(sdlWindow);
    sdlWindow = nullptr;
    sdlPlacedW = sdlPlacedH = 0;
    return;
  }
  const char* title = w->title ? w->title : "";
  if (!sdlWindow) {
    int32_t d = platPresentation()->display;
    int32_t pw = w->width * sdlScale, ph = w->height * sdlScale;
    sdlFitSize(&pw, &ph);
    sdlWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED_DISPLAY(d), SDL_WINDOWPOS_UNDEFINED_DISPLAY(d), pw, ph,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!sdlWindow) return;
    sdlMouseMovedAt = SDL_GetTicks();
    platSdlPresentOpen(sdlWindow);
    if (w->icon && w->icon->pixels) {
      SDL_Surface* icon = SDL_CreateRGBSurfaceFrom((void*)w->icon->pixels, w->icon->width, w->icon->height, 32,
                                                   w->icon->width * 4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
      if (icon) {
        SDL_SetWindowIcon(sdlWindow, icon);
        SDL_FreeSurface(icon);
      }
    }
  }
  SDL_SetWindowTitle(sdlWindow, title);
  sdlPlace();
  if (w->shown) SDL_ShowWindow(sdlWindow);
}

static void sdlApplyCursor() {
  SDL_ShowCursor(sdlCursorWanted && !sdlFull && !sdlCursorIdle ? SDL_ENABLE : SDL_DISABLE);
}

// Leaving full screen, the window manager answers in its own time: it may hand the window back
// at the full-screen size or place after it was set, so for a moment after leaving every
// change it makes is undone. The layer above learns the place once that moment is over.
static void sdlHoldWindowed() {
  if (!sdlWindow || sdlFull || !sdlRestoreUntil) return;
  if ((int32_t)(SDL_GetTicks() - sdlRestoreUntil) > 0) return;  // sdlPoll ends the moment
  if (SDL_GetWindowFlags(sdlWindow) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MAXIMIZED)) SDL_RestoreWindow(sdlWindow);
  int x, y, w, h;
  SDL_GetWindowPosition(sdlWindow, &x, &y);
  SDL_GetWindowSize(sdlWindow, &w, &h);
  if (w != sdlSavedW || h != sdlSavedH) SDL_SetWindowSize(sdlWindow, sdlSavedW, sdlSavedH);
  if (x != sdlSavedX || y != sdlSavedY) SDL_SetWindowPosition(sdlWindow, sdlSavedX, sdlSavedY);
}

static void sdlSetFullscreen(bool on) {
  if (!sdlWindow || on == sdlFull) return;
  sdlFull = on;
  if (on) {
    SDL_GetWindowPosition(sdlWindow, &sdlSavedX, &sdlSavedY);
    SDL_GetWindowSize(sdlWindow, &sdlSavedW, &sdlSavedH);
    sdlRestoreUntil = 0;
    // Desktop full screen takes the monitor the window is on: move it to the chosen one first.
    int32_t d = platPresentation()->display;
    if (SDL_GetWindowDisplayIndex(sdlWindow) != d)
      SDL_SetWindowPosition(sdlWindow, SDL_WINDOWPOS_CENTERED_DISPLAY(d), SDL_WINDOWPOS_CENTERED_DISPLAY(d));
  }
  SDL_SetWindowFullscreen(sdlWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  sdlApplyCursor();
  if (!on && sdlState.open) {
    sdlRestoreUntil = SDL_GetTicks() + 1500;
    if (!sdlRestoreUntil) sdlRestoreUntil = 1;
    sdlPlace();
    sdlHoldWindowed();
  }
}

static void sdlPresent(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f, bool) {
  platSdlPresentFrame(pixels, w, h, pitch, f);
}

static PlatAnswer sdlShowBox(const char* text, const char* caption, uint32_t flags) {
  // A full-screen window would hide the box.
  if (sdlFull && sdlWindow) SDL_SetWindowFullscreen(sdlWindow, 0);
  SDL_ShowCursor(SDL_ENABLE);  // the box is answered with the mouse too
  PlatAnswer answer = platSdlBox(nullptr, text, caption, flags);
  if (sdlFull && sdlWindow) SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
  sdlApplyCursor();
  return answer;
}

static void sdlCursorVisible(bool visible) {
  sdlCursorWanted = visible;
  sdlApplyCursor();
}

static bool sdlCursorPos(PlatPoint* screen, PlatPoint* client) {
  int x = 0, y = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&x, &y);
  screen->x = x / sdlScale;
  screen->y = y / sdlScale;
  // In a window the picture may be scaled and moved: the engine's client area is where it is.
  if (!sdlWindow || sdlFull || !sdlState.open) return false;
  SDL_GetWindowPosition(sdlWindow, &wx, &wy);
  return platSdlPresentToFrame(x - wx, y - wy, &client->x, &client->y);
}

static void sdlOpenViewer(const char* fileName) {
  // Detached: the intermediate child exits at once, so no zombie is left behind.
  pid_t pid = fork();
  if (pid == 0) {
    if (fork() == 0) {
      signal(SIGPIPE, SIG_DFL);  // ignored in the program, not in what it starts
      execlp("xdg-open", "xdg-open", fileName, (char*)nullptr);
      _exit(127);
    }
    _exit(0);
  }
  if (pid > 0) waitpid(pid, nullptr, 0);
}

const PlatBackendOps platSdlOps = {
    "sdl",
    sdlInit,
    sdlShutdown,
    sdlTicks,
    sdlSleep,
    sdlSleepUntil,
    sdlMicros,
    sdlPoll,
    sdlWait,
    sdlDesktop,
    sdlModes,
    sdlDisplayAvailable,
    sdlWindowUpdate,
    sdlSetFullscreen,
    sdlPresent,
    sdlShowBox,
    sdlCursorVisible,
    sdlCursorPos,
    sdlOpenViewer,
    platSdlAudioOpen,
    platSdlAudioPause,
    platSdlAudioClose,
    platSdlDialogOpen,
    platSdlDialogRun,
    platSdlDialogClose,
    platSdlDialogShowBox,
};
