#include <gtest/gtest.h>

#include <vector>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "winlike/wl_script.h"
#include "system/xerror.h"
#include "system/xsystem.h"

// Every case runs on a fresh headless backend (virtual clock from 0) and a fresh driver.
class XSys : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qvStartHeadless(), "");
    xSysInit("Test", nullptr, nullptr);
    xSysSetActive(1);
    log.clear();
  }
  void TearDown() override {
    xSysSetActive(0);
    xSysDone();
    platShutdown();
  }
  static std::vector<std::string> log;
};
std::vector<std::string> XSys::log;

static std::vector<uint32_t> gCounts;
static int gPasses = 0;
static void tCount(uint32_t n) { gCounts.push_back(n); }
static void tQuitAfter3(uint32_t) {
  if (++gPasses == 3) xSysQuit();
}

TEST_F(XSys, TimerPeriodsFromFrequency) {
  auto a = +[](uint32_t) {};
  auto b = +[](uint32_t) {};
  auto c = +[](uint32_t) {};
  xSysAddTimer(a, 1000);
  xSysAddTimer(b, 3);
  xSysAddTimer(c, 0);
  xSysAddTimer(a, 5);  // already there: keeps its first frequency
  ASSERT_EQ(xSysTimerCount(), 3);
  EXPECT_EQ(xSysTimerAt(0)->period, 1u);
  EXPECT_EQ(xSysTimerAt(1)->period, 333u);
  EXPECT_EQ(xSysTimerAt(2)->period, 0u);
  xSysRemoveTimer(b);
  ASSERT_EQ(xSysTimerCount(), 2);
  EXPECT_EQ(xSysTimerAt(1)->callback, c);  // order kept
}

TEST_F(XSys, LateTimerDropsMissedPeriods) {
  gCounts.clear();
  gPasses = 0;
  xSysAddTimer(tCount, 10);  // 100 ms period
  uint32_t due = xSysTimerAt(0)->due;
  platHeadlessAdvance(due - platPeekTickCount() + 250);  // 2.5 periods late
  xSysAddTimer(tQuitAfter3, 0);
  xSysRun();
  ASSERT_EQ(gCounts.size(), 1u);
  EXPECT_EQ(gCounts[0], 3u);
  // Next due one period after the time of the call, not on the old grid.
  int32_t ahead = (int32_t)(xSysTimerAt(0)->due - platPeekTickCount());
  EXPECT_GT(ahead, 90);
  EXPECT_LE(ahead, 100);
}

TEST_F(XSys, OnTimeTimerAdvancesByOnePeriod) {
  gCounts.clear();
  xSysAddTimer(tCount, 20);  // 50 ms
  uint32_t due = xSysTimerAt(0)->due;
  platHeadlessAdvance(due - platPeekTickCount() + 10);
  gPasses = 0;
  xSysAddTimer(tQuitAfter3, 0);
  xSysRun();
  ASSERT_EQ(gCounts.size(), 1u);
  EXPECT_EQ(gCounts[0], 1u);
  EXPECT_EQ(xSysTimerAt(0)->due, due + 50);
}

// Timers that change the table during a pass.
static std::vector<char> gOrder;
static void tC(uint32_t) { gOrder.push_back('C'); }
static void tD(uint32_t) { gOrder.push_back('D'); }
static void tB(uint32_t) { gOrder.push_back('B'); }
static void tA(uint32_t) {
  gOrder.push_back('A');
  xSysRemoveTimer(tA);
  xSysAddTimer(tD, 0);
}
static void tStop(uint32_t) { xSysQuit(); }

TEST_F(XSys, RemovalAndAdditionDuringAPass) {
  gOrder.clear();
  xSysAddTimer(tA, 0);
  xSysAddTimer(tB, 0);
  xSysAddTimer(tC, 0);
  xSysAddTimer(tStop, 0);
  xSysRun();
  // B slid into A's place and waits for the next pass; D, appended, runs in this one.
  // (The quit ends the loop after this first pass.)
  EXPECT_EQ(std::string(gOrder.begin(), gOrder.end()), "ACD");
}

static std::string gEvents;
static void rA(void* r) {
  gEvents.push_back('a');
  gEvents.append(std::to_string(*(uint32_t*)r));
}
static void rB(void* r) {
  gEvents.push_back('b');
  gEvents.append(std::to_string(*(uint32_t*)r));
}
static void rC(void* r) {
  gEvents.push_back('c');
  gEvents.append(std::to_string(*(uint32_t*)r));
}

TEST_F(XSys, RespondersByPriorityThenRegistration) {
  gEvents.clear();
  xSysAddResponder(rA, 0, 5);
  xSysAddResponder(rB, 0, 5);
  xSysAddResponder(rC, 0, 1);  // lower priority, registered later: called first
  uint32_t code = 7;
  xSysDispatch(0, &code);
  EXPECT_EQ(gEvents, "c7a7b7");
  EXPECT_EQ(xSysResponderCount(0), 3);
  xSysDispatch(1, &code);  // empty list
  EXPECT_EQ(gEvents, "c7a7b7");
}

TEST_F(XSys, LoopEventsAndQuit) {
  gEvents.clear();
  xSysAddResponder(rA, XSYS_RUN, 1);
  xSysAddTimer(tStop, 0);
  xSysRun();
  EXPECT_EQ(gEvents, "a0a1");
}

TEST_F(XSys, ActivationShiftsDueTimes) {
  gEvents.clear();
  xSysAddResponder(rA, XSYS_ACTIVATED, 1);
  xSysAddTimer(tCount, 10);
  uint32_t due = xSysTimerAt(0)->due;
  xSysSetActive(0);
  xSysSetActive(0x100);  // only the low byte counts: still inactive, no event
  platHeadlessAdvance(10000);
  xSysSetActive(1);
  EXPECT_EQ(gEvents, "a0a1");
  uint32_t shift = xSysTimerAt(0)->due - due;
  EXPECT_GE(shift, 10001u);
  EXPECT_LE(shift, 10004u);
}

static void tStopWhenLate(uint32_t) { xSysQuit(); }
TEST_F(XSys, InactiveLoopRunsNoTimerAndWaits) {
  gCounts.clear();
  xSysAddTimer(tCount, 0);
  xSysAddTimer(tStopWhenLate, 0);
  char err[100];
  ASSERT_TRUE(wlScriptAdd("500:activate", err, sizeof err));
  xSysSetActive(0);
  // The loop sleeps until the scripted activation; without a window it cannot be told,
  // so activate by hand once the clock got there.
  platHeadlessAdvance(0);
  xSysSetActive(1);
  xSysRun();
  EXPECT_EQ(gCounts.size(), 1u);
}

TEST(XSysDeath, Limits) {
  auto setup = [] {
    char err[100];
    platInit(PLAT_BACKEND_HEADLESS, err, sizeof err);
    xSysInit("T", nullptr, nullptr);
  };
  static xSysTimerProc timers[11] = {[](uint32_t) {}, [](uint32_t) {}, [](uint32_t) {}, [](uint32_t) {},
                                     [](uint32_t) {}, [](uint32_t) {}, [](uint32_t) {}, [](uint32_t) {},
                                     [](uint32_t) {}, [](uint32_t) {}, [](uint32_t) {}};
  EXPECT_EXIT(
      {
        setup();
        for (auto t : timers) xSysAddTimer(t, 0);
      },
      ::testing::ExitedWithCode(1), "XERR: Error: xSysAddTimer\\(\\) - limit of 10 timers exceeded\n");
  EXPECT_EXIT(
      {
        setup();
        for (int i = 0; i < 11; i++) xSysAddResponder(rA, 3, 0);
      },
      ::testing::ExitedWithCode(1), "Error: xSysAddResponder\\(\\) - limit of 10 responders exceeded\n");
  EXPECT_EXIT(
      {
        setup();
        xSysAddTimer(timers[0], 1001);
      },
      ::testing::ExitedWithCode(1), "Error: xSysAddTimer\\(\\) - invalid frequency 1001\n");
  EXPECT_EXIT(
      {
        setup();
        xSysRemoveTimer(timers[0]);
      },
      ::testing::ExitedWithCode(1), "Error: xSysRemoveTimer\\(\\) - cannot find timer 0x[0-9a-f]+\n");
  EXPECT_EXIT(
      {
        setup();
        xSysAddResponder(rA, 13, 0);
      },
      ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Xsystem\nLine 100\n");
  EXPECT_EXIT(
      {
        setup();
        xSysDispatch(13, nullptr);
      },
      ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Xsystem\nLine 62\n");
  EXPECT_EXIT(
      {
        setup();
        xSysAddTimer(nullptr, 0);
      },
      ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Xsystem\nLine 138\n");
}

// Every registration uses one slot of the level stack, which bounds nested dispatches.
static void rNest(void* r) {
  uint32_t depth = *(uint32_t*)r + 1;
  xSysDispatch(5, &depth);
}
TEST(XSysDeath, NestedDispatchDepthIsBounded) {
  EXPECT_EXIT(
      {
        char err[100];
        platInit(PLAT_BACKEND_HEADLESS, err, sizeof err);
        xSysInit("T", nullptr, nullptr);
        xSysAddResponder(rNest, 5, 0);
        uint32_t d = 0;
        xSysDispatch(5, &d);
      },
      ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Xsystem\nLine 66\n");
}
TEST_F(XSys, InitGivesBackLevelSlots) {
  for (int i = 0; i < 10; i++) xSysAddResponder(rA, 4, 0);
  EXPECT_EQ(xSysLevelTop(), 10);
  xSysInit("Again", nullptr, nullptr);
  EXPECT_EQ(xSysLevelTop(), 0);
  EXPECT_EQ(xSysResponderCount(4), 0);
  EXPECT_STREQ(xSysTitle, "Again");
}
