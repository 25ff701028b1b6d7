#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/qvtest.h"
#include "system/xerror.h"
#include "system/xlog.h"

// Each fatal routine: exact box text on stderr, and the exit status
// (never 0 for a failure; 256 folds to 255).
TEST(XErrDeath, CodeWithoutDetail) {
  EXPECT_EXIT(xErrCode("Main", 1691, 1, nullptr), ::testing::ExitedWithCode(1),
              "XERR: Error: Can't allocate memory, 1\nFile Main\nLine 1691\n");
}
TEST(XErrDeath, CodeWithDetail) {
  EXPECT_EXIT(xErrCode("X3d", 12, 6, "scene.3ds"), ::testing::ExitedWithCode(6),
              "Error: Broken file -> scene.3ds, 6\nFile X3d\nLine 12\n");
}
TEST(XErrDeath, UnknownCodeIsUnknownError) {
  EXPECT_EXIT(xErrCode("Main", 5, 3, nullptr), ::testing::ExitedWithCode(255), "Error: Unknown error, 256\n");
}
TEST(XErrDeath, CodeZeroStillFails) {
  EXPECT_EXIT(xErrCode("Main", 5, 0, nullptr), ::testing::ExitedWithCode(1), "Error: Everything is ok\\?!, 0\n");
}
TEST(XErrDeath, AtAndMsg) {
  EXPECT_EXIT(xErrAt("Memfile", 53, "Assertion failed"), ::testing::ExitedWithCode(1),
              "XERR: Error: Assertion failed\nFile Memfile\nLine 53\n");
  EXPECT_EXIT(xErrMsg("Can't load RUL-QUOR.S3M"), ::testing::ExitedWithCode(1),
              "XERR: Error: Can't load RUL-QUOR.S3M\n");
}
TEST(XErrDeath, LongMessagesAreCut) {
  std::string big(1000, 'x');
  EXPECT_EXIT(xErrMsg(big.c_str()), ::testing::ExitedWithCode(1), "Error: x+\n");
}

TEST(XErr, LookupSetsCaptionAndCode) {
  EXPECT_STREQ(xErrLookup(5), "Can't access file ( open error )");
  EXPECT_EQ(xErr.code, 5);
  EXPECT_STREQ(xErrLookup(3), "Unknown error");
  EXPECT_EQ(xErr.code, 256);
  EXPECT_STREQ(xErr.caption, "XERR:");
  EXPECT_EQ(xErr.rows, 8);
}

TEST(XFormat, SharedBufferIsBounded) {
  const char* a = xFormat("%d-%s", 7, "x");
  EXPECT_STREQ(a, "7-x");
  std::string big(600, 'y');
  const char* b = xFormat("%s", big.c_str());
  EXPECT_EQ(std::string(b).size(), 255u);
  EXPECT_EQ(a, b);  // one shared buffer
}

TEST(XLog, WritesOnlyWhenOpen) {
  xLogFile log("XLOG", "xLog");
  log.Print("dropped");  // no file yet: nothing happens
  std::string path = ::testing::TempDir() + "qv_xlog.txt";
  log.Open(path.c_str());
  log.Print("one").Print("two");
  log.Close();
  EXPECT_EQ(qvReadFile(path), "XLOG: one\nXLOG: two\n");
  xLogFile log3(nullptr, "x3dLog");
  log3.Open(path.c_str());
  log3.Print("scene");
  EXPECT_TRUE(log3.Close());
  EXPECT_EQ(qvReadFile(path), "X3D: scene\n");
  // Lines lost on a full device are reported by the close.
  log.Open("/dev/full");
  log.Print("lost");
  EXPECT_FALSE(log.Close());
  EXPECT_FALSE(log.IsOpen());
}
TEST(XLogDeath, OpenFailureMessage) {
  xLogFile log(nullptr, "x3dLog");
  EXPECT_EXIT(log.Open("/nonexistent-dir/x.log"), ::testing::ExitedWithCode(1),
              "Error: x3dLog error: file create error /nonexistent-dir/x.log\n");
}
