#include <gtest/gtest.h>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "system/xcursor.h"
#include "winlike/winlike.h"

// The display count starts at 0 (shown) on a fresh backend; wlShowCursor reports the
// count after its own step, so each check steps back to where it was.
static int countNow() {
  wlShowCursor(1);
  return wlShowCursor(0);
}

TEST(XCursor, ShowAndHideReachTheThresholdFromAnyCount) {
  ASSERT_EQ(qvStartHeadless(), "");
  ASSERT_EQ(countNow(), 0);
  xSysShowCursor(false);  // 0 -> -1
  EXPECT_EQ(countNow(), -1);
  xSysShowCursor(false);  // at least one step even when already hidden
  EXPECT_EQ(countNow(), -2);
  for (int i = 0; i < 3; i++) wlShowCursor(0);
  xSysShowCursor(true);  // -5 -> 0, not beyond
  EXPECT_EQ(countNow(), 0);
  xSysShowCursor(true);  // at least one step even when already shown
  EXPECT_EQ(countNow(), 1);
  platShutdown();
}
