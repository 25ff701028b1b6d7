// The contract on its null twin: what the layers above rely on without a display.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/plat_headless.h"

namespace {
struct Headless {
  Headless() {
    char err[200];
    EXPECT_TRUE(platInit(PLAT_BACKEND_HEADLESS, err, sizeof err)) << err;
  }
  ~Headless() { platShutdown(); }
};
std::string gHooks;
void hook(bool shutdown) { gHooks += shutdown ? "S" : "I"; }
}  // namespace

TEST(PlatContract, VirtualClockAdvancesPerReading) {
  Headless h;
  uint32_t a = platGetTickCount();
  EXPECT_EQ(platGetTickCount(), a + 1);
  EXPECT_EQ(platPeekTickCount(), a + 2);
  EXPECT_EQ(platPeekTickCount(), a + 2);
  platSleep(40);
  EXPECT_EQ(platGetTickCount(), a + 42);
  // A busy wait ends.
  uint32_t start = platGetTickCount();
  while (platGetTickCount() - start < 50) {
  }
}

TEST(PlatContract, NullTwinKeepsFramesAndAnswersScripted) {
  PlatHeadlessConfig c;
  platHeadlessDefaults(&c);
  c.desktopWidth = 800, c.desktopHeight = 600, c.desktopBits = 16;
  c.modes = "320x200x8,640x480x32";
  c.answers = "no";
  char err[200];
  ASSERT_TRUE(platHeadlessConfigure(&c, err, sizeof err));
  gHooks.clear();
  platAddResetHook(hook);
  platAddResetHook(hook);  // once only
  {
    Headless h;
    EXPECT_EQ(gHooks, "I");
    int32_t w, hh;
    PlatPixelFormat f;
    platDesktop(&w, &hh, &f);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(f.bitCount, 16u);
    EXPECT_EQ(f.gBitMask, 0x07E0u);
    PlatMode m[4];
    ASSERT_EQ(platDisplayModes(m, 4), 2);
    EXPECT_EQ(m[0].bits, 8);
    // Padded rows in, packed rows kept; the count follows every present.
    uint16_t px[2][4] = {{1, 2, 0xDEAD, 0xDEAD}, {3, 4, 0xDEAD, 0xDEAD}};
    platPresent((const uint8_t*)px, 2, 2, 8, &f, false);
    PlatFrame fr;
    ASSERT_TRUE(platHeadlessLastFrame(&fr));
    EXPECT_EQ(fr.pitch, 4);
    EXPECT_EQ(((const uint16_t*)fr.pixels)[3], 4);
    EXPECT_EQ(platPresentCount(), 1u);
    PlatWindowState st = {true, true, "T", nullptr, 10, 20, 320, 240};
    platWindowUpdate(&st);
    PlatEvent e;
    EXPECT_FALSE(platPollEvent(&e));
    uint32_t t = platPeekTickCount();
    EXPECT_TRUE(platWaitEvents(25));
    EXPECT_EQ(platPeekTickCount(), t + 25);
    EXPECT_FALSE(platWaitEvents(-1));  // nothing can ever arrive
    platHeadlessSetCursor(5, 6);
    PlatPoint s, cl;
    EXPECT_FALSE(platCursorPos(&s, &cl));
    EXPECT_EQ(s.y, 6);
    platHeadlessFailRestores(1);
    EXPECT_FALSE(platDisplayAvailable());
    EXPECT_TRUE(platDisplayAvailable());
    EXPECT_EQ(platShowBox("Q?", "C", PLAT_BOX_YESNO | PLAT_BOX_QUESTION), PLAT_ANSWER_NO);
    EXPECT_EQ(platShowBox("Q?", "C", PLAT_BOX_YESNO), PLAT_ANSWER_YES);  // answers used up
    EXPECT_EQ(platShowBox("I", "C", PLAT_BOX_OK), PLAT_ANSWER_OK);
    EXPECT_EQ(platHeadlessBoxCount(), 3);
    EXPECT_STREQ(platHeadlessLastBoxText(), "I");
  }
  EXPECT_EQ(gHooks, "IS");
  EXPECT_EQ(platPresentCount(), 0u);
  EXPECT_EQ(platCalendarSeconds() != 0, true);  // the real clock without a backend
}
