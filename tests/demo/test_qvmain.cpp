#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvoptions.h"
#include "platform/plat_headless.h"
#include "video/xvideo.h"

extern int32_t qvTempSwitches;
extern uint32_t qvTempFrames;

// Runs the program's main with these arguments (argv[0] added).
static int32_t qvRun(std::vector<const char*> args) {
  args.insert(args.begin(), "quorvane");
  return qvMain((int32_t)args.size(), (char**)args.data());
}

TEST(QvOptions, ParsesAndRejects) {
  qvOptions o;
  const char* ok[] = {"q", "--windowed", "--scale", "3", "--log", "a.log", "--x3d-log", "b.log", "--headless"};
  EXPECT_EQ(qvParseOptions(9, (char**)ok, &o), 0);
  EXPECT_EQ(o.fullScreen, 0);
  EXPECT_EQ(o.scale, 3);
  EXPECT_TRUE(o.headless);
  EXPECT_STREQ(o.logName, "a.log");
  EXPECT_STREQ(o.x3dLogName, "b.log");
  const char* none[] = {"q"};
  EXPECT_EQ(qvParseOptions(1, (char**)none, &o), 0);
  EXPECT_EQ(o.fullScreen, 1);  // full screen unless asked otherwise
  const char* help[] = {"q", "--help"};
  EXPECT_EQ(qvParseOptions(2, (char**)help, &o), 1);
}

// Bad command lines: a clear message and status 2.
struct BadLine { std::vector<const char*> args; const char* message; };
static const BadLine kBad[] = {
    {{"--frobnicate"}, "unknown option '--frobnicate'"},
    {{"--scale", "0"}, "--scale needs a whole number 1..16, not '0'"},
    {{"--scale", "2x"}, "--scale needs a whole number"},
    {{"--scale"}, "--scale needs a whole number"},
    {{"--log"}, "--log needs a value"},
    {{"--headless-desktop", "8"}, "--headless-desktop needs 15, 16, 24 or 32"},
    {{"--headless", "--script", "soon:key:ESC"}, "bad script item 'soon:key:ESC'"},
    {{"--headless", "--script", "10:key:NOPE"}, "unknown key in script item '10:key'"},
    {{"--headless", "--script", "10:explode"}, "unknown script action 'explode'"},
    {{"--headless", "--headless-modes", "320by240"}, "bad mode list '320by240'"},
};
TEST(QvMainDeath, BadCommandLines) {
  for (const BadLine& b : kBad) EXPECT_EXIT(std::exit(qvRun(b.args)), ::testing::ExitedWithCode(2), b.message);
}

TEST(QvMainDeath, NoDisplayNamesHeadless) {
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("QV_BACKEND");
        std::exit(qvRun({"--windowed"}));
      },
      ::testing::ExitedWithCode(1), "quorvane: no display found .*--headless");
}

TEST(QvMainDeath, HeadlessRunsEndByEscapeOrClose) {
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--script", "2000:key:ESC"}) == 0 && qvTempFrames > 50 ? 0 : 3),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--windowed", "--script", "1500:close"}) == 0 && qvTempFrames > 30 ? 0 : 3),
              ::testing::ExitedWithCode(0), "");
  // Inactive with nothing more to come: the run closes instead of waiting for ever.
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--script", "100:deactivate"})), ::testing::ExitedWithCode(0),
              "no more events can arrive");
}

TEST(QvMainDeath, AltEnterSwitchesAndComesBack) {
  EXPECT_EXIT(
      {
        int32_t r = qvRun({"--headless", "--windowed", "--script",
                           "500:down:LALT,510:key:ENTER,520:up:LALT,900:down:RALT,910:key:ENTER,920:up:RALT,"
                           "950:key:ENTER,1200:key:ESC"});
        std::exit(r == 0 && qvTempSwitches == 2 && xVideoFullScreen == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(QvMainDeath, MissingModeQuestion) {
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--headless-modes", "640x480x32", "--headless-answers", "no"})),
              ::testing::ExitedWithCode(1), "Requied video mode : 320x240x32bpp.*No supporting video modes found");
  EXPECT_EXIT(
      {
        int32_t r = qvRun({"--headless", "--headless-modes", "640x480x32", "--script", "300:key:ESC"});
        std::exit(r == 0 && xVideoFullScreen == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(QvMainDeath, LogOption) {
  std::string path = ::testing::TempDir() + "qv_main.log";
  std::remove(path.c_str());
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--headless-desktop", "16", "--windowed", "--log", path.c_str(),
                               "--script", "200:key:ESC"})),
              ::testing::ExitedWithCode(0), "");
  std::string log = qvReadFile(path);
  EXPECT_NE(log.find("XLOG: Initializing system driver for Quorvane Win32 final - Kelvo\n"), std::string::npos);
  EXPECT_NE(log.find("XLOG: Initializing keyboard driver\n"), std::string::npos);
  EXPECT_NE(log.find("XLOG: videomode: converted\n"), std::string::npos);

  // The 3D engine's log is opened only when named.
  std::string path3 = ::testing::TempDir() + "qv_main_x3d.log";
  std::remove(path3.c_str());
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--x3d-log", path3.c_str(), "--script", "200:key:ESC"})),
              ::testing::ExitedWithCode(0), "");
  std::string log3 = qvReadFile(path3);
  EXPECT_EQ(log3.rfind("X3D: Initializing X3D Engine..\nX3D: SizeX = 320 SizeY = 200\n", 0), 0u) << log3;
}

// The built program itself, when it has been linked.
TEST(QvBinary, HeadlessEscape) {
  std::string exe = std::string(QV_BINARY_DIR) + "/quorvane";
  if (qvReadFile(exe).empty()) GTEST_SKIP() << "program not built: " << exe;
  std::string cmd = exe + " --headless --script 2000:key:ESC >/dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  cmd = exe + " --bogus >/dev/null 2>&1";
  int st = std::system(cmd.c_str());
  EXPECT_EQ(WEXITSTATUS(st), 2);
}
