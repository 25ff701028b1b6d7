// Bad input that once crashed, hung or passed for success: effect textures of the wrong size,
// a module that never reaches the end, numbers that wrap, outputs that cannot be written or
// land elsewhere, a broken scene member, pipes in place of the archive and the module. Each
// now ends with the program's own message and status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"

namespace {

// Seconds after which a run that blocks is ended by SIGALRM (status 142) instead of hanging
// the suite; a correct run of these tests ends long before.
const unsigned kBlockedAfter = 120;

// A valid uncompressed 32-bit TGA of w x h grey pixels.
std::string qvTga(int w, int h) {
  std::string t(18, '\0');
  t[2] = 2;
  t[12] = (char)(w & 255), t[13] = (char)(w >> 8);
  t[14] = (char)(h & 255), t[15] = (char)(h >> 8);
  t[16] = 32, t[17] = 8;
  return t + std::string((size_t)w * h * 4, '\x80');
}

// A run that must fail: its status and the start of its stderr.
void qvExpectMessage(const std::string& dir, const std::string& args, int status, const std::string& start) {
  std::string err;
  EXPECT_EQ(qvRunProgram(dir, args, nullptr, &err), status) << args << "\n" << err;
  EXPECT_EQ(err.rfind(start, 0), 0u) << args << "\n" << err;
}

// The program started in the folder open as dirFd (its path may be too long to name), stdout
// discarded; returns the status and stderr.
int qvRunInFolder(int dirFd, const std::vector<std::string>& args, std::string* err) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (fchdir(dirFd) != 0 || null < 0) _exit(99);
    dup2(null, 1);
    dup2(pipeFds[1], 2);
    close(pipeFds[0]);
    std::string exe = std::string(QV_BINARY_DIR) + "/quorvane";
    std::vector<char*> argv = {exe.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    alarm(kBlockedAfter);  // survives the exec
    execv(exe.c_str(), argv.data());
    _exit(98);
  }
  close(pipeFds[1]);
  err->clear();
  char buf[4096];
  for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) err->append(buf, (size_t)n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int qvRunInFolder(const std::string& dir, const std::vector<std::string>& args, std::string* err) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  int status = qvRunInFolder(fd, args, err);
  close(fd);
  return status;
}

// A folder holding the built archive and the module with the given bytes.
std::string qvModuleDir(const char* name, const std::string& module) {
  std::string dir = qvFreshDir(name);
  EXPECT_TRUE(qvWriteArchive(dir, nullptr));
  std::FILE* f = std::fopen((dir + "/" + QV_MUSIC_FILE).c_str(), "wb");
  EXPECT_NE(f, nullptr);
  if (f) {
    std::fwrite(module.data(), 1, module.size(), f);
    std::fclose(f);
  }
  return dir;
}

}  // namespace

TEST(BadInput, EffectTexturesOfAnotherSizeAreRefused) {
  // The effects read these as 256 x 256 texels; a smaller picture was read past its end.
  for (const char* name : {"TEXTURES/TEXTURE5.TGA", "TEXTURES/TEXTURE4.TGA", "TEXTURES/TEXTURE.TGA"}) {
    std::string dir = qvFreshDir("texsize");
    ASSERT_TRUE(qvWriteArchiveWith(dir, name, qvTga(16, 16)));
    ASSERT_TRUE(qvCopyBuilt(dir, QV_MUSIC_FILE));
    qvExpectMessage(dir, "--headless --start-order 9 --script 2000:key:ESC", 1,
                    std::string("XERR: Error: Broken resource file -> ") + name + " is 16x16, expected 256x256\n");
  }
}

TEST(BadInput, ModuleThatNeverReachesTheEndIsRefused) {
  std::string module = qvReadFile(std::string(QV_BINARY_DIR) + "/" + QV_MUSIC_FILE);
  ASSERT_GT(module.size(), 0x80u);
  // Escape after a minute of the presentation: without the check such a run never ends.
  const std::string bound = " --script 60000:key:ESC";
  // An order list of one order.
  std::string one = module;
  one[0x20] = 1, one[0x21] = 0;
  qvExpectMessage(qvModuleDir("oneorder", one), "--headless --start-order 24" + bound, 1,
                  "XERR: Error: Can't load RUL-QUOR.S3M -> its order list has no order 26 (1 entries)\n");
  // The song ends at order 10 ("---" in the order list) and starts over: order 26 is reached
  // only when the presentation starts after that end.
  std::string ended = module;
  ended[0x60 + 10] = (char)255;
  std::string dir = qvModuleDir("endmarker", ended);
  qvExpectMessage(dir, "--headless --start-order 3" + bound, 1,
                  "XERR: Error: Can't load RUL-QUOR.S3M -> played from order 3 it never reaches order 26\n");
  std::string out, err;
  EXPECT_EQ(qvRunProgram(dir, "--headless --start-order 25" + bound, &out, &err), 0) << err;
}

TEST(BadInput, NumbersOnTheCommandLineAreRangeChecked) {
  std::string dir = qvAssetDir("numbers");
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--capture c --start-order 25 --capture-size 4294967616x240",
       "quorvane: --capture-size needs an even size of at least 320x240 and at most 7680x4320, not "
       "'4294967616x240'\n"},
      {"--capture c --start-order 25 --capture-size 640x4294967776",
       "quorvane: --capture-size needs an even size of at least 320x240 and at most 7680x4320"},
      {"--capture c --capture-size 640x480x2", "quorvane: --capture-size needs WxH, e.g. 1920x1080, not"},
      {"--headless --headless-modes 4294967616x240x32", "quorvane: --headless-modes: a number in '4294967616x240x32'"},
      {"--headless --start-order 4294967297", "quorvane: --start-order needs a whole number 0..26"},
      {"--capture c --capture-scale 4294967298", "quorvane: --capture-scale needs a whole number 1..16"},
      {"--capture c --fps 4294967356", "quorvane: --fps needs N or N/D"},
      {"--timedemo --frames 4294967297", "quorvane: --frames needs a whole number 1..100000"},
      {"--headless --dump-frames d:4294967297", "quorvane: --dump-frames needs DIR or DIR:EVERY_MS"},
      {"--headless --script 4294967297:key:ESC", "quorvane: bad script item '4294967297:key:ESC'"},
      {"--headless --script 300:key:NOPE", "quorvane: unknown key in script item '300:key:NOPE'"},
      {"--headless --script 300:move:1", "quorvane: bad script item '300:move:1' (expected TIME:move:X:Y)"},
  };
  for (const auto& c : cases) qvExpectMessage(dir, c.args, 2, c.message);
  struct stat st;
  EXPECT_NE(stat((dir + "/c.y4m").c_str(), &st), 0) << "a refused capture left a file";
}

TEST(BadInput, OutputsThatCannotBeWrittenFailTheRun) {
  std::string dir = qvAssetDir("outputs");
  qvExpectMessage(dir, "--timedemo --frames 1 --timedemo-json /proc/self/no/t.json", 1,
                  "quorvane: cannot write /proc/self/no/t.json: No such file or directory\n");
  qvExpectMessage(dir, "--timedemo --frames 1 --timedemo-json /dev/full", 1,
                  "quorvane: cannot write /dev/full: No space left on device\n");
  // The log's lines are lost when they are written out at its close.
  std::string err;
  EXPECT_EQ(qvRunProgram(dir, "--headless --start-order 25 --log /dev/full", nullptr, &err), 1) << err;
  EXPECT_NE(err.find("quorvane: cannot write the log /dev/full: No space left on device\n"), std::string::npos) << err;
}

// Every output is checked before the run: one line with the name as given and the system's
// reason, status 1, and nothing left behind.
TEST(BadInput, OutputsThatCannotBeMadeAreNamedWithTheReason) {
  std::string dir = qvAssetDir("outputnames");
  std::FILE* f = std::fopen((dir + "/some-file").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  // A folder that takes no files: read-only for a user; root passes that check, and sysfs
  // refuses new files to root too.
  std::string locked = dir + "/locked";
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  int probe = open((locked + "/probe").c_str(), O_WRONLY | O_CREAT, 0666);
  if (probe >= 0) {
    close(probe);
    unlink((locked + "/probe").c_str());
    locked = "/sys/kernel";
  }
  ASSERT_EQ(mkdir((dir + "/logs").c_str(), 0777), 0);
  const struct {
    std::string args, message;
  } cases[] = {
      {"--headless --log some-file/log", "some-file/log: Not a directory"},
      {"--headless --x3d-log logs", "logs: Is a directory"},
      {"--timedemo --frames 1 --timedemo-json missing/t.json", "missing/t.json: No such file or directory"},
      {"--headless --dump-frames some-file:100", "some-file: Not a directory"},
      {"--headless --dump-frames missing/frames", "missing/frames: No such file or directory"},
      {"--headless --dump-frames " + locked, locked + ": Permission denied"},
  };
  for (const auto& c : cases) {
    std::string err;
    EXPECT_EQ(qvRunProgram(dir, c.args, nullptr, &err), 1) << c.args;
    EXPECT_EQ(err, "quorvane: cannot write " + c.message + "\n") << c.args;
  }
  EXPECT_EQ(qvReadFile(dir + "/some-file"), "");
  struct stat st;
  EXPECT_NE(stat((dir + "/missing").c_str(), &st), 0);
  EXPECT_EQ(std::system(("test -z \"$(ls -A '" + locked + "')\" || test '" + locked + "' = /sys/kernel").c_str()), 0)
      << "the probe file stayed";
}

TEST(BadInput, RelativeOutputsGoToAFolderTooLongToName) {
  // Started in a folder whose path is longer than a path may be, with the data beside the
  // program only: the log, the frame dumps and a screenshot still land in that folder.
  const std::string strays = std::string(QV_BINARY_DIR) + "/qv-longpath";
  ASSERT_EQ(std::system(("rm -rf '" + strays + ".log' '" + strays + "-frames'").c_str()), 0);
  std::string base = qvFreshDir("longpath");
  int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  const std::string step(200, 'd');
  for (int i = 0; i < 25; i++) {
    ASSERT_EQ(mkdirat(fd, step.c_str(), 0777), 0);
    int next = openat(fd, step.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    ASSERT_GE(fd = next, 0);
  }
  std::string err;
  int status = qvRunInFolder(fd,
                             {"--headless", "--start-order", "25", "--log", "qv-longpath.log", "--dump-frames",
                              "qv-longpath-frames:100000", "--script", "100:key:F12"},
                             &err);
  EXPECT_EQ(status, 0) << err;
  struct stat st;
  EXPECT_EQ(fstatat(fd, "qv-longpath.log", &st, 0), 0) << err;
  EXPECT_GT(st.st_size, 0);
  EXPECT_EQ(fstatat(fd, "qv-longpath-frames/t0000000_s15_o25_r00_first.png", &st, 0), 0) << err;
  EXPECT_EQ(fstatat(fd, "quorvane-0000.png", &st, 0), 0) << err;
  close(fd);
  EXPECT_NE(stat((strays + ".log").c_str(), &st), 0);
  EXPECT_NE(stat((strays + "-frames").c_str(), &st), 0);
}

TEST(BadInput, BrokenSceneMemberIsNamed) {
  // Status 1 like every broken resource (2 is the status of a bad command line).
  std::string dir = qvAssetDir("scene3ds", nullptr, "scene_4.3ds", 100);
  qvExpectMessage(dir, "--headless", 1,
                  "XERR: Error: File read error ( access denied ) -> scene_4.3ds, 2\nFile File3ds\nLine ");
}

TEST(BadInput, PipesInPlaceOfTheArchiveOrModuleAreRefused) {
  // Opened for reading, a pipe without a writer would block the start-up for ever.
  std::string dir = qvFreshDir("fifokvo"), err;
  ASSERT_TRUE(qvCopyBuilt(dir, QV_MUSIC_FILE));
  ASSERT_EQ(mkfifo((dir + "/quorvane.kvo").c_str(), 0644), 0);
  EXPECT_EQ(qvRunInFolder(dir, {"--headless"}, &err), 1);
  EXPECT_EQ(err, "XERR: Error: Resource file is not a regular file -> QUORVANE.KVO\n\n");
  dir = qvFreshDir("fifos3m");
  ASSERT_TRUE(qvWriteArchive(dir, nullptr));
  ASSERT_EQ(mkfifo((dir + "/" + QV_MUSIC_FILE).c_str(), 0644), 0);
  EXPECT_EQ(qvRunInFolder(dir, {"--headless"}, &err), 1);
  EXPECT_EQ(err, "XERR: Error: Can't load RUL-QUOR.S3M -> rul-quor.s3m is not a regular file\n\n");
}
