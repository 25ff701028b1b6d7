// The program as a whole: options, the start-up's faults, keys, and headless runs of the
// presentation read back from their logs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"
#include "demo/qvoptions.h"
#include "demo/qvtimeline.h"
#include "platform/plat_present.h"
#include "platform/qvsimd.h"
#include "video/xvideo.h"

// Runs the program's main with these arguments (argv[0] added).
static int32_t qvRun(std::vector<const char*> args) {
  args.insert(args.begin(), "quorvane");
  return qvMain((int32_t)args.size(), (char**)args.data());
}

TEST(QvOptions, ParsesAndRejects) {
  qvOptions o;
  const char* ok[] = {"q",          "--windowed",    "--scale", "3",      "--log", "a.log",
                      "--headless", "--start-order", "13",      "--loop", "--mute"};
  EXPECT_EQ(qvParseOptions(11, (char**)ok, &o), 0);
  EXPECT_EQ(o.fullScreen, 0);
  EXPECT_TRUE(o.displayGiven);
  EXPECT_EQ(o.scale, 3);
  EXPECT_TRUE(o.headless && o.loop && o.mute && !o.noMusic);
  EXPECT_EQ(o.startOrder, 13);
  EXPECT_STREQ(o.logName, "a.log");
  const char* none[] = {"q"};
  EXPECT_EQ(qvParseOptions(1, (char**)none, &o), 0);
  EXPECT_EQ(o.fullScreen, 1);  // full screen unless asked otherwise
  EXPECT_FALSE(o.displayGiven);
  const char* help[] = {"q", "--help"};
  EXPECT_EQ(qvParseOptions(2, (char**)help, &o), 1);
  const char* version[] = {"q", "--version"};
  EXPECT_EQ(qvParseOptions(2, (char**)version, &o), 1);
  EXPECT_TRUE(o.version);
  EXPECT_EQ(o.scaling, PLAT_SCALING_FIT);
  EXPECT_EQ(o.filter, PLAT_FILTER_SHARP);
  EXPECT_FALSE(o.noVsync);
  const char* shown[] = {"q", "--scaling", "stretch", "--filter", "nearest", "--no-vsync", "--display", "2"};
  ASSERT_EQ(qvParseOptions(8, (char**)shown, &o), 0);
  EXPECT_EQ(o.scaling, PLAT_SCALING_STRETCH);
  EXPECT_EQ(o.filter, PLAT_FILTER_NEAREST);
  EXPECT_TRUE(o.noVsync);
  EXPECT_EQ(o.display, 2);
  const char* integer[] = {"q", "--scaling", "integer", "--filter", "linear"};
  ASSERT_EQ(qvParseOptions(5, (char**)integer, &o), 0);
  EXPECT_EQ(o.scaling, PLAT_SCALING_INTEGER);
  EXPECT_EQ(o.filter, PLAT_FILTER_LINEAR);
}

// Bad command lines: one line naming the fault, a pointer to --help, status 2.
struct BadLine {
  std::vector<const char*> args;
  const char* message;
};
static const BadLine kBad[] = {
    {{"--frobnicate"}, "unknown option '--frobnicate'\nTry 'quorvane --help'"},
    {{"--scale", "0"}, "--scale needs a whole number 1..16, not '0'"},
    {{"--start-order", "27"}, "--start-order needs a whole number 0..26, not '27'"},
    {{"--start-order"}, "--start-order needs a whole number"},
    {{"--log"}, "--log needs a value"},
    {{"--headless-desktop", "8"}, "--headless-desktop needs 15, 16, 24 or 32"},
    {{"--headless", "--script", "soon:key:ESC"}, "bad script item 'soon:key:ESC'"},
    {{"--headless", "--headless-modes", "320by240"}, "bad mode list '320by240'"},
    {{"--scaling", "zoom"}, "quorvane: --scaling needs fit, integer or stretch, not 'zoom'\nTry 'quorvane --help'"},
    {{"--scaling", "fi"}, "--scaling needs fit, integer or stretch, not 'fi'"},
    {{"--scaling", ""}, "--scaling needs fit, integer or stretch, not ''"},
    {{"--filter"}, "--filter needs nearest, sharp or linear\nTry"},
    {{"--filter", "Sharp"}, "--filter needs nearest, sharp or linear, not 'Sharp'"},
    {{"--display", "-1"}, "--display needs a whole number 0..63, not '-1'"},
    {{"--display", "one"}, "--display needs a whole number 0..63, not 'one'"},
    {{"--no-vsync", "1"}, "unknown option '1'"},
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

// The help against the option table: every option once, under a heading, its text at least
// two blanks after its name and argument (or on the next line), no line wider than 79.
TEST(QvMainDeath, HelpListsEveryOptionUnderAHeading) {
  testing::internal::CaptureStdout();
  qvPrintHelp();
  std::istringstream help(testing::internal::GetCapturedStdout());
  std::map<std::string, int32_t> seen;
  std::string line, heading, previous;
  while (std::getline(help, line)) {
    EXPECT_LE(line.size(), 79u) << line;
    if (previous.empty() && !line.empty() && line[0] != ' ' && line.back() == ':') heading = line;
    if (line.empty()) heading.clear();
    previous = line;
    if (line.rfind("  --", 0) != 0) continue;
    std::string name = line.substr(2, line.find(' ', 2) - 2);
    const QvOptionDef* d = nullptr;
    for (int32_t i = 0; i < qvOptionCount; i++)
      if (qvOptionTable[i].name && name == qvOptionTable[i].name) d = &qvOptionTable[i];
    ASSERT_NE(d, nullptr) << "not in the table: " << line;
    seen[name]++;
    EXPECT_FALSE(heading.empty()) << name << " has no heading";
    std::string head = "  " + name + (d->arg ? std::string(" ") + d->arg : "");
    ASSERT_EQ(line.rfind(head, 0), 0u) << line;
    std::string rest = line.substr(head.size());
    EXPECT_TRUE(rest.empty() || (rest.rfind("  ", 0) == 0 && rest.find_first_not_of(' ') != std::string::npos))
        << "the text runs into its option: " << line;
  }
  int32_t headings = 0;
  for (int32_t i = 0; i < qvOptionCount; i++) {
    if (qvOptionTable[i].kind == QV_OPT_HEADING) {
      headings++;
      continue;
    }
    EXPECT_EQ(seen[qvOptionTable[i].name], 1) << qvOptionTable[i].name;
  }
  EXPECT_GE(headings, 3);
  EXPECT_EQ(qvOptionTable[0].kind, QV_OPT_HEADING);  // no option before the first heading
}

// ---- Faults of the start-up: the exact box text, status 1 ------------------------------

static void qvExpectFatal(const std::string& dir, const char* message) {
  std::string err;
  EXPECT_EQ(qvRunProgram(dir, "--headless", nullptr, &err), 1) << message;
  EXPECT_EQ(err, std::string("XERR: Error: ") + message + "\n\n") << message;
}

TEST(QvStartup, MissingArchiveAndModule) {
  // The program copied alone into an empty folder: neither that folder nor the program's own
  // has the data (unless an installed copy exists on this machine).
  std::string dir = qvFreshDir("nothing"), err;
  std::string copy = "cp '" + std::string(QV_BINARY_DIR) + "/quorvane' '" + dir + "/quorvane'";
  ASSERT_EQ(std::system(copy.c_str()), 0);
  int status = std::system(("cd '" + dir + "' && ./quorvane --headless --log run.log 2>err.txt >/dev/null").c_str());
  if (WEXITSTATUS(status) == 0)
    GTEST_SKIP() << "an installed copy of the data was found: " << qvReadFile(dir + "/run.log");
  EXPECT_EQ(WEXITSTATUS(status), 1);
  // The message, then the four folders it looked in (the last one is the installed one).
  char real[4096];
  std::string here = realpath(dir.c_str(), real) ? real : dir;
  err = qvReadFile(dir + "/err.txt");
  EXPECT_EQ(
      err.rfind("XERR: Error: Resource file not found -> QUORVANE.KVO\nLooked for quorvane.kvo in:\n  " + here +
                    " (the current folder)\n  " + here + " (beside the program)\n  " + here + "/../share/quorvane\n  /",
                0),
      0u)
      << err;
  const std::string tail = "/share/quorvane (installed)\n\n";
  EXPECT_EQ(err.substr(err.size() < tail.size() ? 0 : err.size() - tail.size()), tail) << err;
  dir = qvFreshDir("nomodule");
  ASSERT_TRUE(qvWriteArchive(dir, nullptr));
  qvExpectFatal(dir, "Can't load RUL-QUOR.S3M");
  // A file of that name that is not a module.
  std::FILE* f = std::fopen((dir + "/" + QV_MUSIC_FILE).c_str(), "wb");
  std::fputs("this is not a module", f);
  std::fclose(f);
  qvExpectFatal(dir, "Can't load RUL-QUOR.S3M");
}

TEST(QvStartup, LoaderFaults) {
  const struct {
    const char* drop;
    const char* cut;
    size_t keep;
    const char* message;
  } cases[] = {
      {"textures/texture6.tga", nullptr, 0, "Can't load TEXTURES/TEXTURE6.TGA"},
      {"textures/texture7.tga", nullptr, 0, "Can't load TEXTURES/TEXTURE7.TGA"},
      {"mirvak.flc", nullptr, 0, "Broken resource file -> can't load mirvak.flc"},
      {nullptr, "mirvak.flc", 100, "Broken resource file -> can't load mirvak.flc"},
      {"scene_5.x3d", nullptr, 0, "x3dLoadSceneScript::xFileIO->load() - can't load scene_5.x3d"},
      {"greet2.jpg", nullptr, 0, "x2dSprite::Load(..) -> Error loading greet2.jpg"},
      {"loading.tga", nullptr, 0, "x2dSprite::Load(..) -> Error loading loading.tga"},
  };
  for (const auto& c : cases) {
    std::string dir = qvAssetDir("loader", c.drop, c.cut, c.keep);
    qvExpectFatal(dir, c.message);
  }
}

// ---- Keys ------------------------------------------------------------------------------

TEST(QvMainDeath, EscapeCloseAndAltEnter) {
  EXPECT_EXIT(std::exit(qvRun({"--headless", "--script", "5000:key:ESC"}) == 0 && qvStats.segment == 0 ? 0 : 3),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      std::exit(qvRun({"--headless", "--windowed", "--script", "12000:close"}) == 0 && qvStats.segment == 1 ? 0 : 3),
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        int32_t r = qvRun({"--headless", "--windowed", "--script",
                           "5000:down:LALT,5010:key:ENTER,5020:up:LALT,5900:down:RALT,5910:key:ENTER,5920:up:RALT,"
                           "6950:key:ENTER,7200:key:ESC"});
        std::exit(r == 0 && xVideoFullScreen == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

// F11 switches like Alt+Enter; the presentation options change nothing headless.
TEST(QvMainDeath, F11AndPresentationOptions) {
  EXPECT_EXIT(
      {
        int32_t r = qvRun({"--headless", "--windowed", "--scaling", "integer", "--filter", "linear", "--no-vsync",
                           "--display", "3", "--script", "5000:key:F11,7200:key:ESC"});
        std::exit(r == 0 && xVideoFullScreen == 1 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        int32_t r =
            qvRun({"--headless", "--fullscreen", "--script", "5000:key:F11,6000:key:F11,6500:key:F11,7200:key:ESC"});
        std::exit(r == 0 && xVideoFullScreen == 0 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

// ---- Whole runs --------------------------------------------------------------------------

// The order and row at which each segment's end condition first holds, for a module of
// 64-row orders: segment k (1..14) hands over exactly there.
static const int32_t kBoundary[14][2] = {{1, 6},  {3, 0},  {5, 63}, {8, 0},  {9, 0},   {10, 0}, {11, 63},
                                         {13, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 55}, {20, 0}, {23, 0}};

// exact: the hand-over comes at that very position (a clock read from the module; the
// counting clock moves a row per call, many calls per frame, so it only has to have passed).
static void qvExpectHandOvers(const std::string& log, int32_t first, bool exact = true) {
  std::string lines = qvLogLines(log, "XLOG: segment ");
  int32_t k = first;
  for (size_t at = 0; at < lines.size(); k++) {
    int from, to, order, row;
    unsigned ms, frames;
    ASSERT_EQ(std::sscanf(lines.c_str() + at, "XLOG: segment %d -> %d: order %d row %d, %u ms, %u frames", &from, &to,
                          &order, &row, &ms, &frames),
              6);
    EXPECT_EQ(from, k);
    EXPECT_EQ(to, k + 1);
    EXPECT_TRUE(qvSegmentEnded(k - 1, order, row)) << "segment " << k;
    if (exact) {
      EXPECT_EQ(order, kBoundary[k - 1][0]) << "segment " << k;
      EXPECT_EQ(row, kBoundary[k - 1][1]) << "segment " << k;
    }
    EXPECT_GT(frames, 0u);
    at = lines.find('\n', at) + 1;
  }
  EXPECT_EQ(k, 15) << lines;
}

TEST(QvProgram, WholePresentationTwiceTheSame) {
  std::string dir = qvAssetDir("whole", nullptr), out1, out2;
  ASSERT_EQ(qvRunProgram(dir, "--headless --log run1.log", &out1), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --log run2.log", &out2), 0);
  EXPECT_EQ(out1, out2);
  EXPECT_EQ(out1.rfind("quorvane: ", 0), 0u) << out1;
  std::string log = qvReadFile(dir + "/run1.log");
  EXPECT_NE(log.find("XLOG: timeline: segment 1 at order 0\n"), std::string::npos);
  qvExpectHandOvers(log, 1);
  EXPECT_EQ(qvLogLines(log, "XLOG: presented"), qvLogLines(qvReadFile(dir + "/run2.log"), "XLOG: presented"));
}

// --scalar puts every library on its plain routines and the sprites on the plain class, as
// QV_SCALAR=1 in the environment does.
TEST(QvProgram, ScalarAsTheEnvironmentSays) {
  std::string dir = qvAssetDir("scalar", nullptr), simd, plain, env;
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 22 --log simd.log", &simd), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 22 --scalar --log plain.log", &plain), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 22", &env, nullptr, "QV_SCALAR=1"), 0);
  EXPECT_EQ(plain, env);
  const char* mmx = "XLOG: Pentium MMX detected";
  if (qvUseSSE2()) {
    EXPECT_NE(qvReadFile(dir + "/simd.log").find(mmx), std::string::npos);
    EXPECT_NE(simd, plain);  // the plain sprite class draws some pixels otherwise
  }
  EXPECT_EQ(qvReadFile(dir + "/plain.log").find(mmx), std::string::npos);
}

TEST(QvProgram, CountingClockWithoutMusic) {
  std::string dir = qvAssetDir("nomusic", nullptr);
  ASSERT_EQ(qvRunProgram(dir, "--headless --no-music --log run.log"), 0);
  qvExpectHandOvers(qvReadFile(dir + "/run.log"), 1, false);
}

TEST(QvProgram, StartOrder) {
  std::string dir = qvAssetDir("startorder", nullptr);
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 13 --log run.log"), 0);
  std::string log = qvReadFile(dir + "/run.log");
  EXPECT_NE(log.find("XLOG: timeline: segment 9 at order 13\n"), std::string::npos);
  qvExpectHandOvers(log, 9);
}
