// Signals: the handler only notes the signal and writes a byte into a self-pipe, so that
// whatever waits (the main loop, a box, a dialog, an event wait) can notice it and end the
// program in order. Child processes (a box shown apart from the program) are waited for
// together with that pipe and ended with their whole process group.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>

#include "platform/platform.h"

static volatile sig_atomic_t sigCaught = 0;
static volatile sig_atomic_t sigWatchers = 0;  // nesting count of platSignalWatch
static int sigPipe[2] = {-1, -1};

static void sigHandler(int sig) {
  int saved = errno;
  if (!sigCaught) sigCaught = sig;
  if (!sigWatchers) {
    // Nobody looks: the default action, delivered once the handler returns.
    signal(sig, SIG_DFL);
    raise(sig);
  }
  if (sigPipe[1] >= 0) {
    char c = 1;
    ssize_t n = write(sigPipe[1], &c, 1);  // full pipe: already readable, nothing lost
    (void)n;
  }
  errno = saved;
}

void platSignalWatch(bool on) {
  if (on) sigWatchers = sigWatchers + 1;
  else if (sigWatchers > 0) sigWatchers = sigWatchers - 1;
}

void platSignalsInstall() {
  if (sigPipe[0] >= 0) return;
  if (pipe2(sigPipe, O_CLOEXEC | O_NONBLOCK) != 0) sigPipe[0] = sigPipe[1] = -1;
  struct sigaction sa = {};
  sa.sa_handler = sigHandler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;  // reads and writes go on; every wait also watches the pipe
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

int32_t platSignalCaught() { return (int32_t)sigCaught; }
int32_t platSignalStatus() { return sigCaught ? 128 + (int32_t)sigCaught : 0; }
int32_t platSignalFd() { return sigPipe[0]; }

// The child: its own group (so that ending it ends whatever it starts), the default signal
// actions, no share in the parent's pipe.
static void sigChildMain(PlatChildBody body, void* user, int fd) {
  setpgid(0, 0);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(sig, SIG_DFL);
  if (sigPipe[0] >= 0) close(sigPipe[0]), close(sigPipe[1]);
  body(fd, user);
  _exit(0);
}

bool platRunChild(PlatChildBody body, void* user, int32_t* answer) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::fflush(nullptr);  // the child must not write the parent's buffered output again
  // Watched from before the fork: a signal between the fork and the wait below must not take
  // its default action and leave the child running on its own.
  platSignalWatch(true);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    sigChildMain(body, user, fds[1]);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    platSignalWatch(false);
    return false;
  }
  setpgid(pid, pid);  // also here, so that the group exists before any kill below
  int32_t value = 0;
  size_t got = 0;
  bool answered = false;
  for (;;) {
    if (sigCaught) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      break;
    }
    pollfd p[2] = {{fds[0], POLLIN, 0}, {sigPipe[0], POLLIN, 0}};
    if (poll(p, sigPipe[0] >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) break;
    if (!(p[0].revents & (POLLIN | POLLHUP))) continue;
    ssize_t n = read(fds[0], (char*)&value + got, sizeof value - got);
    if (n < 0 && errno == EINTR) continue;
    if (n > 0 && (got += (size_t)n) < sizeof value) continue;
    answered = got == sizeof value;
    break;
  }
  close(fds[0]);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  platSignalWatch(false);
  if (answered) *answer = value;
  return answered;
}
