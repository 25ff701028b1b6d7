// Signals and hostile surroundings of a run: SIGINT, SIGTERM and SIGHUP end the program in
// order with 128 + the signal (a message box up, a capture running: whole frames, the audio
// written, no temporary file or child process left); an ffmpeg that fails and a display that
// cannot be opened end with a message and status 1.
//
// No test races the program: a capture writes into a FIFO that the test reads, so it cannot
// run ahead by more than the pipe holds, and the signal lands after a dozen frames however fast
// the machine is. Each run is short (the last order of the music), so a lost signal costs a few
// seconds; every wait still has a generous bound after which the test says what went wrong.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"

namespace {

const int kBoundPolls = 6000;  // 100 ms each: what a lost event may cost before the test gives up

// Starts the program in dir in a process group of its own (as a shell's job), stdout to
// /dev/null, stderr to dir/err.txt. env: "NAME=VALUE" to set, "NAME=" to remove.
pid_t qvSpawn(const std::string& dir, const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
  pid_t pid = fork();
  if (pid != 0) {
    if (pid > 0) setpgid(pid, pid);
    return pid;
  }
  setpgid(0, 0);
  if (chdir(dir.c_str()) != 0) _exit(99);
  if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("err.txt", "w", stderr)) _exit(99);
  for (const std::string& e : env) {
    size_t eq = e.find('=');
    if (eq + 1 == e.size()) unsetenv(e.substr(0, eq).c_str());
    else setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
  }
  std::string exe = std::string(QV_BINARY_DIR) + "/quorvane";
  std::vector<char*> argv = {(char*)exe.c_str()};
  for (const std::string& a : args) argv.push_back((char*)a.c_str());
  argv.push_back(nullptr);
  execv(exe.c_str(), argv.data());
  _exit(98);
}

// The exit status (128 + signal when killed); -1 (after killing it) when the bound passed.
int qvWaitBounded(pid_t pid) {
  int st = 0;
  for (int i = 0; i < kBoundPolls; i++) {
    if (waitpid(pid, &st, WNOHANG) == pid) return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    usleep(100000);
  }
  kill(-pid, SIGKILL);
  waitpid(pid, &st, 0);
  return -1;
}

// The processes whose parent is this one (zombies included).
std::vector<int> qvChildren() {
  std::vector<int> kids;
  DIR* d = opendir("/proc");
  for (dirent* e = d ? readdir(d) : nullptr; e; e = readdir(d)) {
    std::string stat = qvReadFile(std::string("/proc/") + e->d_name + "/stat");
    size_t close = stat.rfind(')');
    int ppid = 0;
    if (close != std::string::npos && std::sscanf(stat.c_str() + close + 2, "%*c %d", &ppid) == 1 && ppid == getpid())
      kids.push_back(std::atoi(e->d_name));
  }
  if (d) closedir(d);
  return kids;
}

// Children that were not there before (the test is their subreaper: a process the program left
// behind lands here). Ends them, so that a failure does not leave them running.
int qvLeftChildren(const std::vector<int>& before) {
  int left = 0;
  for (int pid : qvChildren()) {
    bool old = false;
    for (int b : before) old |= b == pid;
    if (old) continue;
    left++;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return left;
}

struct Stream {
  size_t bytes = 0;   // all the test read
  size_t header = 0;  // length of the y4m header line with its line break (0 until seen)
  int status = -1;    // the program's exit status, -1 when the bound passed
  bool signalled = false;
};

// Reads the y4m stream the program writes into the FIFO fd; once `frames` whole frames of
// frameBytes came, sends sig to the program (its whole group when group is set). Ends with the
// program.
Stream qvReadCapture(int fd, pid_t pid, size_t frameBytes, size_t frames, int sig, bool group) {
  Stream s;
  std::string head;
  for (int idle = 0; idle < kBoundPolls;) {
    char buf[1 << 16];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      if (!s.header) {
        head.append(buf, (size_t)std::min<ssize_t>(n, 256));
        if (head.find('\n') != std::string::npos) s.header = head.find('\n') + 1;
      }
      s.bytes += (size_t)n;
      if (!s.signalled && s.header && s.bytes >= s.header + frames * frameBytes) {
        kill(group ? -pid : pid, sig);
        s.signalled = true;
      }
      idle = 0;
      continue;
    }
    int st = 0;
    if (waitpid(pid, &st, WNOHANG) == pid) {
      while ((n = read(fd, buf, sizeof buf)) > 0) s.bytes += (size_t)n;  // what came before the end
      s.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      return s;
    }
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 100) == 0) idle++;
  }
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return s;
}

std::string qvSigName(int sig) { return sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP"; }

// A folder holding the assets, a FIFO `name` opened for reading (returned in fd) and an empty
// tmp/ for TMPDIR.
std::string qvCaptureDir(const char* label, const std::string& name, int* fd) {
  std::string dir = qvAssetDir(label);
  mkdir((dir + "/tmp").c_str(), 0700);
  *fd = -1;
  if (mkfifo((dir + "/" + name).c_str(), 0600) != 0) return dir;
  // Opened before the program so its open never waits; reads return 0 until it writes.
  *fd = open((dir + "/" + name).c_str(), O_RDONLY | O_NONBLOCK);
  return dir;
}

bool qvFolderEmpty(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  int n = 0;
  for (dirent* e = d ? readdir(d) : nullptr; e; e = readdir(d)) n += e->d_name[0] != '.';
  if (d) closedir(d);
  return d && n == 0;
}

// An ffmpeg on the PATH that runs `body` (a shell script's lines; "$out" is the output file).
std::string qvFakeFfmpeg(const std::string& dir, const char* body) {
  std::string bin = dir + "/bin";
  mkdir(bin.c_str(), 0700);
  std::FILE* f = std::fopen((bin + "/ffmpeg").c_str(), "w");
  std::fprintf(f, "#!/bin/sh\nfor a; do out=$a; done\n%s\n", body);
  std::fclose(f);
  chmod((bin + "/ffmpeg").c_str(), 0755);
  return "PATH=" + bin + ":" + std::getenv("PATH");
}

}  // namespace

// An error box that nobody answers (the archive is broken): each signal ends the program with
// its status, and the box's process goes with it.
TEST(Signals, EndTheProgramWhileABoxIsUp) {
  bool reaper = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    // An archive that cannot be opened in the current folder.
    std::string dir = qvFreshDir("box"), what = qvSigName(sig);
    std::FILE* f = std::fopen((dir + "/quorvane.kvo").c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("not an archive", f);
    std::fclose(f);
    std::vector<int> before = qvChildren();
    pid_t pid = qvSpawn(dir, {"--headless", "--headless-answers", "hold"});
    ASSERT_GT(pid, 0);
    // The box's text goes to stderr as it comes up.
    bool up = false, ended = false;
    for (int i = 0; i < kBoundPolls && !up && !ended; i++) {
      up = qvReadFile(dir + "/err.txt").find("XERR: Error: Resource file damaged") != std::string::npos;
      ended = !up && waitpid(pid, nullptr, WNOHANG) == pid;
      if (!up && !ended) usleep(20000);
    }
    ASSERT_FALSE(ended) << what << ": the program ended before its box came up:\n" << qvReadFile(dir + "/err.txt");
    ASSERT_TRUE(up) << what << ": no box after the bound:\n" << qvReadFile(dir + "/err.txt");
    kill(pid, sig);
    int status = qvWaitBounded(pid);
    EXPECT_EQ(status, 128 + sig) << what << (status < 0 ? ": the program did not end (killed)" : "") << "\n"
                                 << qvReadFile(dir + "/err.txt");
    if (reaper) EXPECT_EQ(qvLeftChildren(before), 0) << what << ": the box's process was left behind";
  }
  if (reaper) prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// SIGTERM and SIGHUP stop a capture as Ctrl+C does: whole frames, then the audio of exactly
// those frames, and the status of the signal.
TEST(Signals, StopACaptureAfterWholeFrames) {
  const size_t frameBytes = 6 + 320 * 240 * 3 / 2;
  for (int sig : {SIGTERM, SIGHUP}) {
    int fd;
    std::string what = qvSigName(sig), dir = qvCaptureDir("capsig", "cap.y4m", &fd);
    ASSERT_GE(fd, 0);
    pid_t pid = qvSpawn(dir, {"--capture", "cap", "--start-order", "25"});
    ASSERT_GT(pid, 0);
    Stream s = qvReadCapture(fd, pid, frameBytes, 12, sig, false);
    close(fd);
    ASSERT_TRUE(s.signalled) << what << ": the capture ended after " << s.bytes << " bytes, before 12 frames\n"
                             << qvReadFile(dir + "/err.txt");
    EXPECT_EQ(s.status, 128 + sig) << what << (s.status < 0 ? ": the capture did not end (killed)" : "") << "\n"
                                   << qvReadFile(dir + "/err.txt");
    ASSERT_GT(s.bytes, s.header);
    EXPECT_EQ((s.bytes - s.header) % frameBytes, 0u) << what << ": the video ends in a torn frame";
    uint64_t frames = (s.bytes - s.header) / frameBytes;
    struct stat wav;
    ASSERT_EQ(stat((dir + "/cap.wav").c_str(), &wav), 0) << what << ": no cap.wav";
    EXPECT_EQ((uint64_t)wav.st_size, 44 + frames * 44100 / 60 * 4) << what << ": " << frames << " frames";
  }
}

// Ctrl+C in a terminal reaches the whole process group: the program stops after a whole frame
// and lets ffmpeg (in a group of its own) finish the file; the temporary audio goes, in TMPDIR.
TEST(Signals, CtrlCDuringAnMp4Capture) {
  int fd;
  std::string dir = qvCaptureDir("capmp4", "c.mp4", &fd);
  ASSERT_GE(fd, 0);
  // The stand-in ffmpeg copies the y4m stream it is given into the output (the test's FIFO).
  std::string path = qvFakeFfmpeg(dir, "exec cat > \"$out\"");
  pid_t pid = qvSpawn(dir, {"--capture", "c.mp4", "--start-order", "25"}, {path, "TMPDIR=" + dir + "/tmp"});
  ASSERT_GT(pid, 0);
  const size_t frameBytes = 6 + 320 * 240 * 3 / 2;
  Stream s = qvReadCapture(fd, pid, frameBytes, 12, SIGINT, true);
  close(fd);
  std::string err = qvReadFile(dir + "/err.txt");
  ASSERT_TRUE(s.signalled) << "the capture ended after " << s.bytes << " bytes, before 12 frames\n" << err;
  EXPECT_EQ(s.status, 130) << (s.status == 141 ? "killed by SIGPIPE: ffmpeg got the Ctrl+C too\n" : "") << err;
  ASSERT_GT(s.bytes, s.header);
  EXPECT_EQ((s.bytes - s.header) % frameBytes, 0u) << "the video ends in a torn frame";
  EXPECT_NE(err.find("capture interrupted"), std::string::npos) << err;
  EXPECT_TRUE(qvFolderEmpty(dir + "/tmp")) << "the temporary audio was left in TMPDIR";
}

// An ffmpeg that fails: its status is reported, the run fails, the temporary audio goes.
TEST(Signals, FfmpegThatFails) {
  std::string dir = qvAssetDir("capfail");
  mkdir((dir + "/tmp").c_str(), 0700);
  std::string path = qvFakeFfmpeg(dir, "exit 1");
  std::string err;
  EXPECT_EQ(qvRunProgram(dir, "--capture c.mp4 --start-order 25", nullptr, &err, path + " TMPDIR=" + dir + "/tmp"), 1)
      << err;
  EXPECT_NE(err.find("quorvane: ffmpeg failed with exit status 1"), std::string::npos) << err;
  EXPECT_NE(err.find("capture failed"), std::string::npos) << err;
  EXPECT_TRUE(qvFolderEmpty(dir + "/tmp")) << "the temporary audio was left in TMPDIR";
}

// No display answers and no driver was asked for: the program says which display it could not
// open instead of running on an invisible one, and ends.
TEST(Signals, UnreachableDisplay) {
  int n = 55;
  struct stat st;
  while (stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &st) == 0 ||
         stat(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), &st) == 0)
    n++;
  std::string dir = qvAssetDir("nodisplay"), display = ":" + std::to_string(n);
  pid_t pid =
      qvSpawn(dir, {"--windowed"},
              {"DISPLAY=" + display, "SDL_VIDEODRIVER=", "WAYLAND_DISPLAY=", "QV_BACKEND=", "SDL_AUDIODRIVER=dummy"});
  ASSERT_GT(pid, 0);
  int status = qvWaitBounded(pid);
  std::string err = qvReadFile(dir + "/err.txt");
  EXPECT_EQ(status, 1) << (status < 0 ? "still running on an invisible display (killed)\n" : "") << err;
  EXPECT_NE(err.find("quorvane: cannot open the display " + display + " (DISPLAY); use --headless to run without one"),
            std::string::npos)
      << err;
}
