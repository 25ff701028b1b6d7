#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "winlike/winlike.h"

// A small dialog of every kind of control: OK (default), Cancel, a group of two radio buttons
// and a third push button; OK and the cancel command end it.
static const uint32_t kPixels[4] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF};
static const PlatDlgItem kItems[] = {
    {10, PLAT_DLG_DEFPUSHBUTTON, "OK", 100, 10, 50, 14, nullptr, 0, 0, "ok"},
    {11, PLAT_DLG_PUSHBUTTON, "Cancel", 100, 30, 50, 14, nullptr, 0, 0, "cancel"},
    {-1, PLAT_DLG_BITMAP, nullptr, 5, 5, 80, 60, kPixels, 2, 2, nullptr},
    {-1, PLAT_DLG_GROUPBOX, "Group", 5, 70, 80, 40, nullptr, 0, 0, nullptr},
    {20, PLAT_DLG_AUTORADIO, "A", 10, 80, 60, 10, nullptr, 0, 0, "windowed"},
    {21, PLAT_DLG_AUTORADIO, "B", 10, 92, 60, 10, nullptr, 0, 0, "fullscreen"},
    {30, PLAT_DLG_PUSHBUTTON, "More", 100, 50, 50, 14, nullptr, 0, 0, "infofile"},
};
static const PlatDlgTemplate kTmpl = {"Test", 160, 120, "Tahoma", 8, kItems, 7};

static std::string gSeen;
static WlHwnd gDialog;

static intptr_t testProc(WlHwnd d, uint32_t msg, uintptr_t wp, intptr_t lp) {
  gDialog = d;
  if (msg == WM_INITDIALOG) {
    gSeen += "init(" + std::to_string(lp) + ")";
    wlSendDlgItemMessage(d, 21, BM_CLICK, 0, 0);
    EXPECT_EQ(wlSetFocus(wlGetDlgItem(d, 10)), nullptr);
    EXPECT_EQ(wlGetDlgCtrlID(wlGetFocus()), 10);
  }
  if (msg != WM_COMMAND) return 0;
  int32_t id = (int32_t)(wp & 0xFFFF);
  gSeen.append(" ").append(std::to_string(id));
  if (id != IDCANCEL) {
    EXPECT_EQ(wlGetDlgCtrlID((WlHwnd)lp), id);  // the control comes in lParam
  }
  if (id == 30) wlMessageBoxOwned(d, "more text", "More:", MB_OK);
  if (id == 10 || id == IDCANCEL) wlEndDialog(d, id);
  return 0;
}

static intptr_t runHeadless(const char* list, int32_t desktopW = 1024, int32_t desktopH = 768) {
  EXPECT_EQ(qvStartHeadless(list, desktopW, desktopH), "");
  gSeen.clear();
  return wlDialogBox(&kTmpl, testProc, 77);
}

TEST(PlatDialog, ReplayClicksRadiosAndEnds) {
  EXPECT_EQ(runHeadless("windowed,fullscreen,windowed,infofile,ok"), 10);
  EXPECT_EQ(gSeen, "init(77) 21 20 21 20 30 10");
  // Clicks focus the control; the radio group keeps one button checked.
  EXPECT_STREQ(platDialogTrace(),
               "init command:21 focus:10 focus:20 command:20 focus:21 command:21 focus:20 command:20 focus:30 "
               "command:30 focus:10 command:10 end:10");
  EXPECT_EQ(platHeadlessBoxCount(), 1);
  EXPECT_STREQ(platHeadlessLastBoxCaption(), "More:");
  PlatRect r;
  EXPECT_FALSE(wlGetWindowRect(gDialog, &r));
  EXPECT_EQ(wlGetDlgItem(gDialog, 10), nullptr);  // gone with the dialog
  platShutdown();

  // A list that leaves the dialog open ends with ok; escape and close are the cancel command.
  EXPECT_EQ(runHeadless("windowed"), 10);
  EXPECT_EQ(gSeen, "init(77) 21 20 10");
  platShutdown();
  EXPECT_EQ(runHeadless("escape,ok"), IDCANCEL);
  EXPECT_EQ(gSeen, "init(77) 21 2");
  platShutdown();
  EXPECT_EQ(runHeadless("close"), IDCANCEL);
  platShutdown();
}

TEST(PlatDialog, HeadlessSizeAndWindowCalls) {
  static PlatRect rect;
  ASSERT_EQ(qvStartHeadless(), "");
  auto proc = [](WlHwnd d, uint32_t msg, uintptr_t, intptr_t) -> intptr_t {
    if (msg != WM_INITDIALOG) return 0;
    wlGetWindowRect(d, &rect);
    wlSetWindowPos(d, HWND_NOTOPMOST, -3, 5, 10, 10, SWP_SHOWWINDOW);
    PlatRect moved;
    wlGetWindowRect(d, &moved);
    EXPECT_EQ(moved.left, -3);
    EXPECT_EQ(moved.bottom, 15);
    EXPECT_EQ(wlSendDlgItemMessage(d, 20, BM_GETCHECK, 0, 0), (intptr_t)BST_UNCHECKED);
    wlSendDlgItemMessage(d, 20, BM_SETCHECK, BST_CHECKED, 0);  // no command
    EXPECT_EQ(wlSendDlgItemMessage(d, 20, BM_GETCHECK, 0, 0), (intptr_t)BST_CHECKED);
    EXPECT_EQ(wlSendDlgItemMessage(d, 99, BM_CLICK, 0, 0), 0);  // no such control
    EXPECT_EQ(wlDialogBox(&kTmpl, testProc, 0), -1);            // one dialog at a time
    wlEndDialog(d, 5);
    return 0;
  };
  EXPECT_EQ(wlDialogBox(&kTmpl, proc, 0), 5);
  // 160 x 120 units at 6 x 13 pixels per 4 x 8 units, plus frame and caption.
  EXPECT_EQ(rect.right - rect.left, 240 + 8);
  EXPECT_EQ(rect.bottom - rect.top, 195 + 19 + 8);
  EXPECT_STREQ(platDialogTrace(), "init pos:-3,5,10,10 end:5");
  PlatDlgTemplate bad = kTmpl;
  bad.itemCount = PLAT_DLG_MAX_ITEMS + 1;
  EXPECT_EQ(wlDialogBox(&bad, testProc, 0), -1);
  EXPECT_EQ(wlDialogBox(&kTmpl, nullptr, 0), -1);
  platShutdown();
  EXPECT_EQ(wlDialogBox(&kTmpl, testProc, 0), -1);  // no backend
}

TEST(PlatDialog, MalformedListsAreRejected) {
  PlatHeadlessConfig c;
  platHeadlessDefaults(&c);
  char err[200];
  const char* bad[] = {"", "ok,", "ok,,cancel", "OK", "frobnicate", "ok;cancel"};
  for (const char* b : bad) {
    c.dialog = b;
    EXPECT_FALSE(platHeadlessConfigure(&c, err, sizeof err)) << b;
    EXPECT_EQ(std::string(err).rfind("bad dialog item '", 0), 0u) << err;
  }
  c.dialog = "frobnicate";
  platHeadlessConfigure(&c, err, sizeof err);
  EXPECT_STREQ(err,
               "bad dialog item 'frobnicate' (ok, cancel, close, escape, windowed, fullscreen, infofile or greetings)");
  std::string longList = "ok";
  for (int i = 0; i < 64; i++) longList += ",ok";
  c.dialog = longList.c_str();
  EXPECT_FALSE(platHeadlessConfigure(&c, err, sizeof err));
  EXPECT_STREQ(err, "dialog list too long (at most 64 items)");
}

// The sdl dialog through SDL's dummy video driver: key presses pushed before it runs.
static void pushKey(SDL_Keycode key, uint16_t mod = 0) {
  SDL_Event e;
  SDL_zero(e);
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

TEST(PlatDialogSdl, KeyboardFocusOrderAndActivation) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  char err[200];
  bool up = platInit(PLAT_BACKEND_SDL, err, sizeof err);
  unsetenv("SDL_VIDEODRIVER");
  if (!up) GTEST_SKIP() << "SDL's dummy video driver is not available: " << err;
  // Tab, Tab: Cancel, then the radio group at its checked button (B); Up checks A; Tab leaves the
  // group, Shift+Tab comes back to A; Tab twice more wraps to OK, then Cancel; Space and Enter
  // click the focused Cancel; Down on a push button moves like Tab (to the group); Escape ends.
  SDL_Keycode keys[] = {SDLK_TAB, SDLK_TAB, SDLK_UP,    SDLK_TAB,    SDLK_TAB,  SDLK_TAB,
                        SDLK_TAB, SDLK_TAB, SDLK_SPACE, SDLK_RETURN, SDLK_DOWN, SDLK_ESCAPE};
  for (int i = 0; i < 12; i++) pushKey(keys[i], i == 4 ? KMOD_LSHIFT : 0);
  gSeen.clear();
  EXPECT_EQ(wlDialogBox(&kTmpl, testProc, 1), IDCANCEL);
  EXPECT_EQ(gSeen, "init(1) 21 20 11 11 2");
  EXPECT_STREQ(platDialogTrace(),
               "init command:21 focus:10 focus:11 focus:21 focus:20 command:20 focus:30 focus:20 focus:30 focus:10 "
               "focus:11 command:11 command:11 focus:20 command:2 end:2");
  platShutdown();
}
