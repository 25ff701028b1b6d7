// Hostile input and hostile surroundings: broken archives, entries of the wrong kind or empty,
// logs and captures that cannot be written, an interrupted capture. Each ends with its own
// message and a non-zero status; nothing is reported as success.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"

namespace {

// A headless run that must fail with a box text starting "XERR: Error: " + start.
void qvExpectFailure(const std::string& dir, const std::string& start, const char* what) {
  std::string err;
  int status = qvRunProgram(dir, "--headless", nullptr, &err);
  EXPECT_NE(status, 0) << what;
  EXPECT_LT(status, 128) << what << ": ended by a signal\n" << err;
  EXPECT_EQ(err.rfind("XERR: Error: " + start, 0), 0u) << what << "\n" << err;
}

}  // namespace

TEST(Faults, ArchiveCutAtEverySixteenth) {
  std::string whole = qvReadFile(std::string(QV_BINARY_DIR) + "/quorvane.kvo");
  ASSERT_FALSE(whole.empty());
  for (int k = 1; k < 16; k++) {
    std::string dir = qvAssetDir("cut");
    std::FILE* f = std::fopen((dir + "/quorvane.kvo").c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() * k / 16, f);
    std::fclose(f);
    qvExpectFailure(dir, "Resource file damaged -> QUORVANE.KVO", ("cut at " + std::to_string(k) + "/16").c_str());
  }
}

TEST(Faults, EntriesOfTheWrongKindOrEmpty) {
  const struct {
    const char* name;
    const char* from;  // null: the entry is emptied
    const char* message;
  } cases[] = {
      {"kvologo.tga", "greet1.jpg", "x2dSprite::LoadAlphaChannel() -> Incorrect mode or size -> kvologom.gif"},
      {"scene_4.x3d", "scene_4.3ds", "Broken resource file -> scene_4.x3d sets up no scene"},
      {"back02.jpg", nullptr, "xImageLoad( xFile *, xImage &): unrecognized file type back02.jpg"},
      {"mirvak.flc", nullptr, "Broken resource file -> can't load mirvak.flc"},
      {"scene_7.x3d", nullptr, "Broken resource file -> scene_7.x3d sets up no scene"},
      {"textures/texture6.tga", nullptr,
       "xImageLoad( xFile *, xImage &): unrecognized file type textures/texture6.tga"},
  };
  for (const auto& c : cases) {
    std::string dir = qvFreshDir("kind");
    ASSERT_TRUE(qvWriteArchive(dir, nullptr, c.from ? nullptr : c.name, 0, c.from ? c.name : nullptr, c.from));
    ASSERT_TRUE(qvCopyBuilt(dir, QV_MUSIC_FILE));
    qvExpectFailure(dir, c.message, c.name);
  }
}

TEST(Faults, LogAndCaptureThatCannotBeWritten) {
  std::string dir = qvAssetDir("unwritable"), err;
  EXPECT_EQ(qvRunProgram(dir, "--headless --log /nonexistent/folder/q.log", nullptr, &err), 1);
  EXPECT_EQ(err, "quorvane: cannot write /nonexistent/folder/q.log: No such file or directory\n");
  // A full device under the video's and then the audio's name.
  ASSERT_EQ(symlink("/dev/full", (dir + "/v.y4m").c_str()), 0);
  EXPECT_EQ(qvRunProgram(dir, "--capture v --start-order 25", nullptr, &err), 1);
  EXPECT_NE(err.find("capture failed"), std::string::npos) << err;
  ASSERT_EQ(symlink("/dev/full", (dir + "/a.wav").c_str()), 0);
  EXPECT_EQ(qvRunProgram(dir, "--capture a --start-order 25", nullptr, &err), 1);
  EXPECT_NE(err.find("capture failed"), std::string::npos) << err;
}

// The video goes into a pipe the test reads, so the capture can never run ahead of the test by
// more than the pipe holds: the interrupt lands after a dozen frames however fast the machine.
// The capture starts late in the music, so even a lost signal costs one order, not the show.
TEST(Faults, InterruptedCaptureLeavesPlayableFiles) {
  std::string dir = qvAssetDir("sigint");
  std::string video = dir + "/cut.y4m";
  ASSERT_EQ(mkfifo(video.c_str(), 0600), 0);
  // Opened before the child so the child's open never waits; reads return 0 until it writes.
  int fd = open(video.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(99);
    std::freopen("/dev/null", "w", stderr);
    std::string exe = std::string(QV_BINARY_DIR) + "/quorvane";
    execl(exe.c_str(), exe.c_str(), "--capture", "cut", "--capture-scale", "2", "--start-order", "24", (char*)nullptr);
    _exit(98);
  }
  ASSERT_GT(pid, 0);
  const size_t frameBytes = 6 + 640 * 480 * 3 / 2;
  std::string y4m;
  bool interrupted = false, opened = false;
  int status = 0;
  for (;;) {
    char buf[1 << 16];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      y4m.append(buf, (size_t)n);
      opened = true;
    }
    if (!interrupted && y4m.size() >= 12 * frameBytes + 100) {
      kill(pid, SIGINT);
      interrupted = true;
    }
    if (n > 0) continue;
    // Nothing to read: the writer has closed (or not opened yet), or is between frames.
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    pollfd p = {fd, POLLIN, 0};
    poll(&p, 1, opened ? 100 : 10);
  }
  // What the child wrote after the last read and before it ended.
  char buf[1 << 16];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) y4m.append(buf, (size_t)n);
  close(fd);
  ASSERT_TRUE(interrupted) << "the capture ended after " << y4m.size() << " bytes, before a dozen frames were read";
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 130) << "the interrupt did not stop the capture";
  std::string wav = qvReadFile(dir + "/cut.wav");
  size_t headerEnd = y4m.find('\n') + 1;
  ASSERT_GT(y4m.size(), headerEnd);
  size_t frames = (y4m.size() - headerEnd) / frameBytes;
  EXPECT_EQ((y4m.size() - headerEnd) % frameBytes, 0u);  // whole frames only
  EXPECT_GT(frames, 10u);
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.size() - 44, frames * 44100 / 60 * 4);
  if (!qvHaveTool("ffprobe")) return;
  std::string copy = dir + "/copy.y4m";
  std::FILE* f = std::fopen(copy.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(y4m.data(), 1, y4m.size(), f);
  std::fclose(f);
  std::string cmd = "ffprobe -v error '" + copy + "' && ffprobe -v error '" + dir + "/cut.wav'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}
