#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "winlike/wl_script.h"
#include "system/xerror.h"
#include "system/xkeyboard.h"
#include "system/xsystem.h"

static std::string gKeys;
static bool gAltAtEnter = false;
static void kDown(void* r) {
  uint32_t c = *(uint32_t*)r;
  gKeys.push_back('+');
  gKeys.append(std::to_string(c));
  if (c == DIK_RETURN) gAltAtEnter = xKeyState[DIK_LMENU] || xKeyState[DIK_RMENU];
}
static void kUp(void* r) {
  gKeys.push_back('-');
  gKeys.append(std::to_string(*(uint32_t*)r));
}
static intptr_t kProc(WlHwnd w, uint32_t m, uintptr_t wp, intptr_t lp) {
  if (m == WM_ACTIVATEAPP) xSysSetActive(wp ? 1 : 0);
  return wlDefWindowProc(w, m, wp, lp);
}

// A headless window that is the foreground one, a system driver and the keyboard.
class XKeyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qvStartHeadless(), "");
    xSysInit("Keys", nullptr, nullptr);
    WlWndClass wc = {0, kProc, nullptr, "keys"};
    ASSERT_TRUE(wlRegisterClass(&wc));
    window = wlCreateWindow("keys", "Keys", WS_CAPTION, 0, 0, 100, 100);
    wlShowWindow(window, SW_SHOWNORMAL);
    pump();
    xKeyboardInit(window);
    xSysAddResponder(kDown, XSYS_KEY_PRESSED, 1);
    xSysAddResponder(kUp, XSYS_KEY_RELEASED, 1);
    gKeys.clear();
    gAltAtEnter = false;
  }
  void TearDown() override {
    xSysDone();
    platShutdown();
  }
  static void pump() {
    WlMsg m;
    while (wlPeekMessage(&m, true)) wlDispatchMessage(&m);
  }
  void script(const char* s) {
    char err[200];
    ASSERT_TRUE(wlScriptAdd(s, err, sizeof err)) << err;
    platHeadlessAdvance(1000);
    pump();
  }
  WlHwnd window = nullptr;
};

TEST_F(XKeyboard, PressAndReleaseInOnePass) {
  script("10:key:ESC");
  xKeyboardTimer(1);
  EXPECT_EQ(gKeys, "+1-1");
  EXPECT_EQ(xKeyState[DIK_ESCAPE], 0);
  script("1010:down:SPACE");
  xKeyboardTimer(1);
  EXPECT_EQ(xKeyState[DIK_SPACE], 1);
}

TEST_F(XKeyboard, AltEnterWithEitherAlt) {
  script("10:down:LALT,11:key:ENTER,12:up:LALT");
  xKeyboardTimer(1);
  EXPECT_TRUE(gAltAtEnter);
  EXPECT_EQ(gKeys, "+56+28-28-56");
  gAltAtEnter = false;
  script("1010:down:RALT,1011:key:RETURN");
  xKeyboardTimer(1);
  EXPECT_TRUE(gAltAtEnter);
  script("2010:up:RALT,2011:key:ENTER");
  gAltAtEnter = true;
  xKeyboardTimer(1);
  EXPECT_FALSE(gAltAtEnter);  // Enter alone
}

TEST_F(XKeyboard, LostInputIsReacquiredWithoutBlocking) {
  script("10:deactivate,20:key:A");  // typed while another program has the keyboard: never seen
  xKeyboardTimer(1);                 // input lost, re-acquire refused: returns, loop goes on
  EXPECT_EQ(gKeys, "");
  script("1010:activate");
  xKeyboardTimer(1);  // re-acquired
  script("2010:key:B");
  xKeyboardTimer(1);
  EXPECT_EQ(gKeys, "+48-48");
}

TEST_F(XKeyboard, SixteenChangesPerRead) {
  std::string s;
  for (int i = 0; i < 10; i++) s += std::to_string(10 + i) + ":key:" + std::string(1, (char)('A' + i)) + ",";
  s.pop_back();
  script(s.c_str());  // 20 changes: 16 fit the device buffer
  xKeyboardTimer(1);
  EXPECT_EQ(std::count(gKeys.begin(), gKeys.end(), '+') + std::count(gKeys.begin(), gKeys.end(), '-'), 16);
}

TEST(XKeyboardNames, ErrorNames) {
  EXPECT_STREQ(xDIErrorName(DIERR_INPUTLOST), "DIERR_INPUTLOST");
  EXPECT_STREQ(xDIErrorName(DIERR_OTHERAPPHASPRIO), "DIERR_OTHERAPPHASPRIO");
  EXPECT_STREQ(xDIErrorName((int32_t)0x8007047e), "DIERR_OLDDIRECTINPUTVERISON");
  EXPECT_STREQ(xDIErrorName((int32_t)0x80070481), "DIERR_BETADIRECTINPUTVERSION");
  EXPECT_STREQ(xDIErrorName((int32_t)0x800700aa), "DIERR_ACQUIRED");
  EXPECT_STREQ(xDIErrorName(DIERR_NOTBUFFERED), "DIERR_NOTBUFFERED");
  EXPECT_STREQ(xDIErrorName(-1), "DIERR_UNKNOWN");
}

TEST(XKeyboardDeath, NoWindow) {
  EXPECT_EXIT(
      {
        char err[100];
        platInit(PLAT_BACKEND_HEADLESS, err, sizeof err);
        xKeyboardInit(nullptr);
      },
      ::testing::ExitedWithCode(1), "XERR: Error: xKeyboardInit::No main window to set cooperative level\n");
  EXPECT_EXIT(xKeyboardInit(nullptr), ::testing::ExitedWithCode(1),
              "Error: xKeyboardInit::DirectInputCreate\\(\\): DIERR_NOTINITIALIZED\n");
}
