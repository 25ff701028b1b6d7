// The sdl backend's dialog: a window of its own, painted in software (plat_dlgpaint.cpp) at
// the display's scale and shown 1:1, with mouse and keyboard input. Without any usable font
// the dialog falls back to a chain of message boxes, one button per control.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/plat_dlgpaint.h"
#include "platform/plat_internal.h"

static SDL_Window* sdWindow = nullptr;
static SDL_Renderer* sdRenderer = nullptr;
static SDL_Texture* sdTexture = nullptr;
static std::vector<uint32_t> sdPixels;
static PlatDlgLayout sdLayout;
static bool sdFallback = false;
static int32_t sdHover = -1, sdPressed = -1;
static int32_t sdRatio = 1;  // renderer pixels per window point (2 on some HiDPI systems)
static PlatRect sdPlaced;

// The box's process is the program started afresh (a forked copy would share the program's
// display connection): it finds the box in its arguments and shows it before anything else of
// the program runs. Arguments: answer fd, box flags, title, message, then flags, id and text of
// each button.
enum : int32_t { SD_BOX_MAX_BUTTONS = 16, SD_BOX_NO_PROCESS = -2 };

__attribute__((constructor)) static void sdBoxProcess(int argc, char** argv, char**) {
  if (!std::getenv("QV_PLAT_BOX_PROCESS") || argc < 5 || (argc - 5) % 3 != 0) return;
  SDL_MessageBoxButtonData b[SD_BOX_MAX_BUTTONS];
  int n = 0;
  for (int i = 5; i + 2 < argc && n < SD_BOX_MAX_BUTTONS; i += 3)
    b[n++] = {(Uint32)std::strtoul(argv[i], nullptr, 10), std::atoi(argv[i + 1]), argv[i + 2]};
  SDL_MessageBoxData d = {(Uint32)std::strtoul(argv[2], nullptr, 10), nullptr, argv[3], argv[4], n, b, nullptr};
  int answer = -1;
  if (SDL_ShowMessageBox(&d, &answer) != 0) answer = -1;
  int32_t value = answer;
  ssize_t w = write(std::atoi(argv[1]), &value, sizeof value);
  (void)w;
  _exit(0);
}

static void sdBoxChild(int32_t fd, void* data) {
  const SDL_MessageBoxData* d = (const SDL_MessageBoxData*)data;
  std::vector<std::string> args = {"quorvane-box", std::to_string(fd), std::to_string(d->flags),
                                   d->title ? d->title : "", d->message ? d->message : ""};
  for (int i = 0; i < d->numbuttons && i < SD_BOX_MAX_BUTTONS; i++) {
    args.push_back(std::to_string(d->buttons[i].flags));
    args.push_back(std::to_string(d->buttons[i].buttonid));
    args.push_back(d->buttons[i].text ? d->buttons[i].text : "");
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  setenv("QV_PLAT_BOX_PROCESS", "1", 1);
  fcntl(fd, F_SETFD, 0);  // the answer's pipe stays open across the exec
  execv("/proc/self/exe", argv.data());
  int32_t value = SD_BOX_NO_PROCESS;
  ssize_t w = write(fd, &value, sizeof value);
  (void)w;
}

// The button chosen, -1 without an answer (no box could be shown, or a signal came). Shown by
// a process of its own, so that a signal can end it while the program waits.
static int32_t sdShowBox(const SDL_MessageBoxData* d) {
  int32_t answer = -1;
  if (!platRunChild(sdBoxChild, (void*)d, &answer)) return -1;
  if (answer == SD_BOX_NO_PROCESS && SDL_ShowMessageBox(d, &answer) != 0) answer = -1;  // shown here then
  return answer;
}

PlatAnswer platSdlBox(void* parent, const char* text, const char* caption, uint32_t flags) {
  bool yesNo = (flags & PLAT_BOX_YESNO) != 0;
  SDL_MessageBoxButtonData yn[2] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, PLAT_ANSWER_YES, "Yes"},
                                    {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, PLAT_ANSWER_NO, "No"}};
  SDL_MessageBoxButtonData ok[1] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, PLAT_ANSWER_OK, "OK"}};
  uint32_t kind = (flags & PLAT_BOX_ERROR)      ? SDL_MESSAGEBOX_ERROR
                  : (flags & PLAT_BOX_QUESTION) ? SDL_MESSAGEBOX_WARNING
                                                : SDL_MESSAGEBOX_INFORMATION;
  SDL_MessageBoxData d = {kind, (SDL_Window*)parent, caption, text, yesNo ? 2 : 1, yesNo ? yn : ok, nullptr};
  int32_t answer = sdShowBox(&d);
  if (answer < 0) return yesNo ? PLAT_ANSWER_YES : PLAT_ANSWER_OK;
  return (PlatAnswer)answer;
}

static void sdDestroy() {
  if (sdTexture) SDL_DestroyTexture(sdTexture);
  if (sdRenderer) SDL_DestroyRenderer(sdRenderer);
  if (sdWindow) SDL_DestroyWindow(sdWindow);
  sdTexture = nullptr;
  sdRenderer = nullptr;
  sdWindow = nullptr;
}

// Client pixels to screen units (physical pixels / the backend's scale), rounded up; the frame
// and caption keep their size in physical pixels, as a window manager draws them.
static void sdSetRectSize() {
  int32_t s = platSdlScale(), pw = sdLayout.width / sdRatio, ph = sdLayout.height / sdRatio;
  platDlgSetClientSize((pw + s - 1) / s, (ph + s - 1) / s, (PLAT_FRAME + s - 1) / s, (PLAT_CAPTION + s - 1) / s);
}

bool platSdlDialogOpen(PlatDlgWindow* dialog) {
  const PlatDlgTemplate* t = platDlgTemplate();
  sdHover = sdPressed = -1;
  sdFallback = !platDlgFontOpen();
  if (sdFallback) {
    sdLayout.width = (t->width * 6 + 2) / 4, sdLayout.height = (t->height * 13 + 4) / 8;
    sdRatio = 1;
    sdSetRectSize();
    return true;
  }
  int32_t bx, by;
  platDlgBaseUnits(t->fontPoints, &bx, &by);
  sdWindow = SDL_CreateWindow(dialog->title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, (t->width * bx) / 4,
                              (t->height * by) / 8, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (sdWindow) sdRenderer = SDL_CreateRenderer(sdWindow, -1, 0);
  if (!sdRenderer && sdWindow) sdRenderer = SDL_CreateRenderer(sdWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!sdRenderer) {
    std::fprintf(stderr, "quorvane: cannot open the dialog window (%s)\n", SDL_GetError());
    sdDestroy();
    return false;
  }
  int ww, wh, ow, oh;
  SDL_GetWindowSize(sdWindow, &ww, &wh);
  SDL_GetRendererOutputSize(sdRenderer, &ow, &oh);
  sdRatio = ww > 0 && ow >= 2 * ww ? ow / ww : 1;
  float dpi = 96.0f;
  if (SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) != 0) dpi = 96.0f;
  SDL_DisplayMode dm;
  int32_t dw = 1024, dh = 768;
  if (SDL_GetDesktopDisplayMode(0, &dm) == 0) dw = dm.w, dh = dm.h;
  int32_t k = platDlgChooseScale(t, bx, by, dpi * (float)sdRatio, dw * sdRatio, dh * sdRatio);
  platDlgLayoutMake(t, t->fontPoints, bx, by, k, &sdLayout);
  sdPixels.assign((size_t)sdLayout.width * (size_t)sdLayout.height, 0);
  SDL_SetWindowSize(sdWindow, sdLayout.width / sdRatio, sdLayout.height / sdRatio);
  sdTexture = SDL_CreateTexture(sdRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, sdLayout.width,
                                sdLayout.height);
  if (!sdTexture) {
    std::fprintf(stderr, "quorvane: cannot open the dialog window (%s)\n", SDL_GetError());
    sdDestroy();
    return false;
  }
  sdSetRectSize();
  return true;
}

static void sdPaint() {
  platDlgPaint(&sdLayout, sdPixels.data(), sdHover, sdPressed);
  SDL_UpdateTexture(sdTexture, nullptr, sdPixels.data(), sdLayout.width * 4);
  SDL_RenderClear(sdRenderer);
  SDL_RenderCopy(sdRenderer, sdTexture, nullptr, nullptr);
  SDL_RenderPresent(sdRenderer);
}

static void sdPlace(PlatDlgWindow* dialog) {
  sdPlaced = dialog->rect;
  PlatPoint o;
  platDlgClientOrigin(&o);
  int32_t s = platSdlScale();
  SDL_SetWindowPosition(sdWindow, o.x * s, o.y * s);
}

static int32_t sdHit(int32_t x, int32_t y) { return platDlgHitTest(&sdLayout, x * sdRatio, y * sdRatio); }

// One event; true when the picture must be painted again.
static bool sdEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN: {
      SDL_Keycode key = e.key.keysym.sym;
      bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
      if (key == SDLK_TAB) platDlgTab(shift);
      else if (key == SDLK_UP || key == SDLK_LEFT) platDlgArrow(true);
      else if (key == SDLK_DOWN || key == SDLK_RIGHT) platDlgArrow(false);
      else if (key == SDLK_SPACE && !e.key.repeat) platDlgClick(platDlgFocus());
      else if ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && !e.key.repeat) platDlgEnter();
      else if (key == SDLK_ESCAPE && !e.key.repeat) platDlgCommand(PLAT_DLG_CANCEL);
      else return false;
      return true;
    }
    case SDL_MOUSEMOTION: {
      int32_t h = sdHit(e.motion.x, e.motion.y);
      if (h == sdHover) return false;
      sdHover = h;
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      sdPressed = sdHover = sdHit(e.button.x, e.button.y);
      return true;
    case SDL_MOUSEBUTTONUP: {
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      int32_t h = sdHit(e.button.x, e.button.y), p = sdPressed;
      sdPressed = -1;
      if (p >= 0 && p == h) platDlgClick(p);
      return true;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) platDlgCommand(PLAT_DLG_CANCEL);
      if (e.window.event == SDL_WINDOWEVENT_LEAVE) sdHover = -1;
      return true;
    case SDL_QUIT: platDlgCommand(PLAT_DLG_CANCEL); return true;
    default: return false;
  }
}

// No font: each control becomes a button of a message box, shown again until the dialog ends.
static void sdFallbackRun(PlatDlgWindow* dialog) {
  const PlatDlgTemplate* t = platDlgTemplate();
  while (!platDlgEnded()) {
    SDL_MessageBoxButtonData b[PLAT_DLG_MAX_ITEMS];
    static char label[PLAT_DLG_MAX_ITEMS][64];
    int n = 0;
    for (int32_t i = 0; i < t->itemCount; i++) {
      if (!platDlgIsButton(i)) continue;
      bool radio = t->items[i].kind == PLAT_DLG_AUTORADIO;
      std::snprintf(label[n], sizeof label[n], "%s%s", t->items[i].text ? t->items[i].text : "",
                    radio && platDlgChecked(i) ? " *" : "");
      uint32_t f = i == platDlgDefault() ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
      b[n] = {f, i, label[n]};
      n++;
    }
    SDL_MessageBoxData d = {
        SDL_MESSAGEBOX_INFORMATION, nullptr, dialog->title, "(* marks the current choice)", n, b, nullptr};
    int32_t hit = sdShowBox(&d);
    if (hit < 0) platDlgCommand(PLAT_DLG_CANCEL);
    else platDlgClick(hit);
    if (!platDlgEnded() && hit < 0) return;  // no answer can come: leave instead of asking for ever
  }
}

void platSdlDialogRun(PlatDlgWindow* dialog) {
  if (sdFallback) {
    sdFallbackRun(dialog);
    return;
  }
  // Closing the dialog is the cancel command, not the end of the program's event loop.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  sdPlace(dialog);
  SDL_ShowWindow(sdWindow);
  // Placed again once shown: only a mapped window knows its frame, which X11 positions include.
  SDL_PumpEvents();
  sdPlace(dialog);
  SDL_RaiseWindow(sdWindow);
  bool dirty = true;
  platSignalWatch(true);
  while (!platDlgEnded()) {
    if (platSignalCaught()) {  // ends as Cancel would; the program then ends with the signal's status
      platDlgCommand(PLAT_DLG_CANCEL);
      break;
    }
    if (std::memcmp(&sdPlaced, &dialog->rect, sizeof sdPlaced) != 0) sdPlace(dialog);
    if (dirty) sdPaint();
    dirty = false;
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, 200)) continue;
    do dirty |= sdEvent(e);
    while (!platDlgEnded() && SDL_PollEvent(&e));
  }
  platSignalWatch(false);
  SDL_ResetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE);
}

void platSdlDialogClose(PlatDlgWindow*) {
  sdDestroy();
  sdPixels.clear();
  sdPixels.shrink_to_fit();
  platDlgFontClose();
}

PlatAnswer platSdlDialogShowBox(PlatDlgWindow*, const char* text, const char* caption, uint32_t flags) {
  if (sdTexture) sdPaint();  // the click that opened the box shows while it is up
  PlatAnswer answer = platSdlBox(sdWindow, text, caption, flags);
  sdPressed = sdHover = -1;
  if (sdWindow) {  // the keyboard comes back to the dialog
    SDL_RaiseWindow(sdWindow);
    SDL_SetWindowInputFocus(sdWindow);
  }
  return answer;
}
