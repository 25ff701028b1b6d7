#include "demo/qvcapture.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>

#include <csignal>
#include <initializer_list>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo/qvcapout.h"
#include "demo/qvdemo.h"
#include "demo/qvmusic.h"
#include "demo/qvtimeline.h"
#include "platform/platform.h"
#include "platform/qvtext.h"
#include "system/xsystem.h"
#include "video/xvideo.h"

namespace {

struct Capture {
  QvCaptureSettings set;
  QvCanvas canvas;
  QvY4mWriter y4m;
  FILE* video = nullptr;
  bool pipe = false;  // video goes into ffmpeg
  pid_t ffmpeg = -1;
  std::string videoName, wavName, tempWav;
  int32_t startOrder = 0;
  std::vector<uint32_t> frame;  // the frame presented last
  bool haveFrame = false;
  uint32_t lastMs = 0;
  uint64_t written = 0;   // video frames
  uint64_t expected = 0;  // frames of the whole presentation, about (a bound for a runaway run)
  uint64_t spanMs = 0;    // the music's length from the start order to the end (the bar)
  bool failed = false;
  bool tty = false;
  bool watching = false, ended = false;
  std::chrono::steady_clock::time_point began;
};
Capture cap;

// The temporary audio goes whatever way the program ends (a fatal error included).
void qvRemoveTempWav() {
  if (!cap.tempWav.empty()) std::remove(cap.tempWav.c_str());
  cap.tempWav.clear();
}

std::string qvQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The instant of output frame k, compared with a time in ms: k / fps < ms / 1000.
bool qvInstantBefore(uint64_t k, uint32_t ms) { return k * 1000u * cap.set.fpsDen < (uint64_t)ms * cap.set.fpsNum; }

// The bar follows the presentation's time against the music's length; the count shown is the
// frames written so far, exact at every step (the closing frame's instant is only known at the end).
void qvProgress(bool last) {
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - cap.began).count();
  if (!cap.tty) return;
  if (!last && cap.written % 30 != 0) return;
  uint64_t done = (uint64_t)cap.written * 1000 * cap.set.fpsDen / cap.set.fpsNum;  // ms of video
  int32_t pct = last ? 100 : cap.spanMs ? (int32_t)std::min<uint64_t>(99, done * 100 / cap.spanMs) : 0;
  double left = done && !last && done < cap.spanMs ? elapsed * (double)(cap.spanMs - done) / (double)done : 0;
  char bar[31];
  for (int32_t i = 0; i < 30; i++) bar[i] = i < pct * 30 / 100 ? '#' : '.';
  bar[30] = 0;
  std::fprintf(stderr, "\r[%s] %3d%% %llu frames, %.1f of %.1f s, %.0f s elapsed, %.0f s left ", bar, pct,
               (unsigned long long)cap.written, (double)done / 1000, (double)cap.spanMs / 1000, elapsed, left);
  if (last) std::fputc('\n', stderr);
}

void qvEmit() {
  if (cap.failed) return;
  // The presentation has a known length; a run far past it (a clock that never reaches the
  // end) is stopped rather than filling the disk.
  if (cap.written > 2 * cap.expected + 600) {
    cap.failed = true;
    std::fprintf(stderr, "\nquorvane: capture stopped: %llu frames, far longer than the presentation\n",
                 (unsigned long long)cap.written);
    xSysQuit();
    return;
  }
  if (!cap.y4m.Frame(cap.frame.data())) {
    cap.failed = true;
    if (cap.pipe) std::fprintf(stderr, "\nquorvane: ffmpeg stopped taking the video (%s)\n", std::strerror(errno));
    else std::fprintf(stderr, "\nquorvane: cannot write %s: %s\n", cap.videoName.c_str(), std::strerror(errno));
    xSysQuit();
    return;
  }
  cap.written++;
  qvProgress(false);
}

// The last frame stands at every instant up to its own, and is shown at least once. Done as the
// run ends, so that the bar's line is complete before anything else is printed.
void qvCaptureLastFrames() {
  if (cap.ended) return;
  cap.ended = true;
  uint64_t before = cap.written;
  if (cap.haveFrame)
    while (!cap.failed && qvInstantBefore(cap.written, cap.lastMs + 1)) qvEmit();
  if (cap.haveFrame && cap.written == before) qvEmit();
  qvProgress(true);
}

void qvCaptureRunEvent(void* record) {
  if (*(const uint32_t*)record == 1) qvCaptureLastFrames();
}

// The music's length from the start to the end order, and the frames it spans (the
// presentation ends on the first frame at the end order, a few frames later).
void qvMeasure() {
  cap.spanMs = qvMusicSpanMs(QV_MUSIC_FILE, cap.startOrder, QV_END_ORDER);
  if (!cap.spanMs) cap.spanMs = (uint64_t)(QV_END_ORDER - cap.startOrder) * QV_ORDER_MS;
  cap.expected = cap.spanMs * cap.set.fpsNum / (1000ull * cap.set.fpsDen) + 1;
}

// After each present of the presentation: every output instant before this frame shows the
// frame presented before it.
void qvCapturePresent() {
  if (!qvPresenting || cap.failed) return;
  if (!cap.watching) {
    cap.watching = true;  // the system's responders are set up after the capture begins
    xSysAddResponder(qvCaptureRunEvent, XSYS_RUN, 1);
  }
  uint32_t ms = qvPassTime();
  if (cap.haveFrame)
    while (qvInstantBefore(cap.written, ms) && !cap.failed) qvEmit();
  std::memcpy(cap.frame.data(), xVideoBuffer, QV_BUFFER_PIXELS * 4);
  cap.haveFrame = true;
  cap.lastMs = ms;
  if (platSignalCaught()) xSysQuit();
}

// The outputs are checked before anything is written: the folder must exist, and a regular file
// already there is kept unless --overwrite (pipes and devices, e.g. a FIFO read by another
// program, are written to as they are).
bool qvOutputAllowed(const std::string& path, char* err, int32_t errSize) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) {
    std::snprintf(err, (size_t)errSize, "cannot write %s: the folder %s does not exist", path.c_str(), folder.c_str());
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    std::snprintf(err, (size_t)errSize, "cannot write %s: %s", path.c_str(), std::strerror(ENOTDIR));
    return false;
  }
  if (!cap.set.overwrite && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    std::snprintf(err, (size_t)errSize, "%s already exists: give --overwrite (or -y) to replace it", path.c_str());
    return false;
  }
  return true;
}

// The outputs of OUT: OUT.y4m + OUT.wav when OUT has no extension (or .y4m), the file itself
// for ffmpeg's containers; any other extension is refused rather than guessed.
bool qvNameOutputs(char* err, int32_t errSize) {
  std::string out = cap.set.out;
  size_t slash = out.rfind('/'), dot = out.rfind('.');
  std::string ext = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? out.substr(dot) : "";
  cap.pipe = ext == ".mp4" || ext == ".mkv" || ext == ".webm";
  if (cap.pipe) {
    cap.videoName = out;
    return qvOutputAllowed(out, err, errSize);
  }
  if (!ext.empty() && ext != ".y4m") {
    std::snprintf(err, (size_t)errSize,
                  "cannot capture to %s: the extension %s is not supported; use .mp4, .mkv or .webm (through "
                  "ffmpeg), or OUT or OUT.y4m for OUT.y4m and OUT.wav",
                  out.c_str(), ext.c_str());
    return false;
  }
  if (ext == ".y4m") out.resize(out.size() - 4);
  cap.videoName = out + ".y4m";
  cap.wavName = out + ".wav";
  return qvOutputAllowed(cap.videoName, err, errSize) && qvOutputAllowed(cap.wavName, err, errSize);
}

// ffmpeg reads the video from a pipe. It runs in its own process group: Ctrl+C in a terminal
// reaches the program alone, which then ends the video after a whole frame and lets ffmpeg
// finish the file. A write after ffmpeg ended fails (SIGPIPE is ignored) and is reported.
bool qvStartFfmpeg(const std::string& cmd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(sig, SIG_DFL);
    dup2(fds[0], 0);
    execl("/bin/sh", "sh", "-c", cmd.c_str(), (char*)nullptr);
    _exit(127);
  }
  close(fds[0]);
  if (pid < 0 || !(cap.video = fdopen(fds[1], "wb"))) {
    close(fds[1]);
    return false;
  }
  setpgid(pid, pid);
  cap.ffmpeg = pid;
  return true;
}

// ffmpeg's end after its input was closed: true when it finished the file.
bool qvWaitFfmpeg() {
  int st = 0;
  pid_t r;
  while ((r = waitpid(cap.ffmpeg, &st, 0)) < 0 && errno == EINTR) {
  }
  cap.ffmpeg = -1;
  if (r < 0) return false;
  if (WIFEXITED(st) && WEXITSTATUS(st) == 0) return true;
  if (WIFEXITED(st)) std::fprintf(stderr, "quorvane: ffmpeg failed with exit status %d\n", WEXITSTATUS(st));
  else std::fprintf(stderr, "quorvane: ffmpeg was ended by signal %d\n", WTERMSIG(st));
  return false;
}

bool qvOpenVideo(char* err, int32_t errSize) {
  if (!qvNameOutputs(err, errSize)) return false;
  std::string out = cap.videoName;
  if (!cap.pipe) {
    cap.video = std::fopen(cap.videoName.c_str(), "wb");
    if (!cap.video)
      std::snprintf(err, (size_t)errSize, "cannot write %s: %s", cap.videoName.c_str(), std::strerror(errno));
    return cap.video != nullptr;
  }
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
    std::snprintf(err, (size_t)errSize,
                  "ffmpeg is not on the PATH: install it, or capture to OUT (without .mp4/.mkv/.webm) for OUT.y4m "
                  "and OUT.wav");
    return false;
  }
  // The music depends only on the module: render it first, long enough for the whole
  // presentation, and let ffmpeg stop the audio with the video.
  const char* tmpdir = std::getenv("TMPDIR");
  std::string tmp = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/quorvane-audio-XXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) {
    std::snprintf(err, (size_t)errSize, "cannot create a temporary file for the audio in %s: %s",
                  tmpdir && *tmpdir ? tmpdir : "/tmp", std::strerror(errno));
    return false;
  }
  close(fd);
  cap.tempWav = tmp;
  std::atexit(qvRemoveTempWav);
  uint64_t ms = (uint64_t)(QV_END_ORDER - cap.startOrder + 1) * QV_ORDER_MS + 2000;
  if (!qvMusicRenderWav(QV_MUSIC_FILE, cap.startOrder, ms * 44100 / 1000, cap.tempWav.c_str())) {
    std::snprintf(err, (size_t)errSize, "cannot render the music into %s", cap.tempWav.c_str());
    qvRemoveTempWav();
    return false;
  }
  const char* codecs = qvEndsWith(out, ".webm") ? "-c:v libvpx-vp9 -crf 24 -b:v 0 -c:a libopus -b:a 192k"
                       : qvEndsWith(out, ".mkv")
                           ? "-c:v libx264 -crf 16 -preset medium -c:a flac"
                           : "-c:v libx264 -crf 16 -preset medium -c:a aac -b:a 256k -movflags +faststart";
  std::string cmd = "exec ffmpeg -nostdin -hide_banner -loglevel error -y -f yuv4mpegpipe -i - -i " +
                    qvQuote(cap.tempWav) + " " + codecs +
                    " -pix_fmt yuv420p -colorspace bt470bg -color_primaries bt470bg -color_trc smpte170m" +
                    " -color_range tv -shortest " + qvQuote(out);
  if (!qvStartFfmpeg(cmd)) {
    std::snprintf(err, (size_t)errSize, "cannot start ffmpeg (%s)", std::strerror(errno));
    qvRemoveTempWav();
    return false;
  }
  return true;
}

}  // namespace

bool qvParseFps(const char* text, uint32_t* num, uint32_t* den) {
  char* end;
  unsigned long n = std::strtoul(text, &end, 10), d = 1;
  if (end == text) return false;
  if (*end == '/') {
    const char* at = end + 1;
    d = std::strtoul(at, &end, 10);
    if (end == at) return false;
  }
  if (*end || n == 0 || d == 0 || n > 1000000 || d > 1000000 || n > 1000 * d || n < d) return false;
  *num = (uint32_t)n, *den = (uint32_t)d;
  return true;
}

bool qvParseSize(const char* text, int32_t* width, int32_t* height) {
  int w, h, used = 0;
  if (std::sscanf(text, "%dx%d%n", &w, &h, &used) != 2 || text[used]) return false;
  *width = w, *height = h;
  return true;
}

void qvCaptureRefresh(uint32_t* num, uint32_t* den) {
  *num = cap.set.fpsNum;
  *den = cap.set.fpsDen;
}

static const QvObserver kCaptureObserver = {nullptr, qvCapturePresent, nullptr};

bool qvCaptureBegin(const QvCaptureSettings& s, int32_t startOrder, char* err, int32_t errSize) {
#ifdef __EMSCRIPTEN__
  // The web build has no processes to start, and ffmpeg makes the video.
  (void)s, (void)startOrder;
  std::snprintf(err, (size_t)errSize, "--capture is not available in the web build: capture with the native program");
  return false;
#endif
  // Ctrl+C, SIGTERM and SIGHUP end the capture after a whole frame, whenever they come.
  platSignalsInstall();
  platSignalWatch(true);
  cap.set = s;
  cap.startOrder = startOrder;
  if (startOrder >= QV_END_ORDER) {
    std::snprintf(err, (size_t)errSize,
                  "--start-order %d is where the presentation ends (its closing frame alone): a capture "
                  "starts at order 0..%d",
                  startOrder, QV_END_ORDER - 1);
    return false;
  }
  bool sized = s.width || s.height;
  bool canvas = !sized      ? qvCanvasForScale(s.scale ? s.scale : 1, &cap.canvas)
                : s.nearest ? qvCanvasForSize(s.width, s.height, &cap.canvas)
                            : qvCanvasSharp(s.width, s.height, &cap.canvas);
  if (!canvas) {
    std::snprintf(err, (size_t)errSize,
                  sized ? "--capture-size needs an even size of at least 320x240 and at most 7680x4320"
                        : "--capture-scale needs a whole number 1..16");
    return false;
  }
  if (!qvOpenVideo(err, errSize)) return false;
  errno = 0;
  if (!cap.y4m.Begin(cap.video, cap.canvas, s.fpsNum, s.fpsDen)) {
    std::snprintf(err, (size_t)errSize, "cannot write %s: %s", cap.videoName.c_str(),
                  std::strerror(errno ? errno : EIO));
    return false;
  }
  cap.frame.assign(QV_BUFFER_PIXELS, 0);
  qvMeasure();
  cap.tty = isatty(2);
  cap.began = std::chrono::steady_clock::now();
  qvAddObserver(&kCaptureObserver);
  return true;
}

bool qvCaptureInterrupted() { return platSignalCaught() != 0; }

bool qvCaptureFinish() {
  qvCaptureLastFrames();
  qvRemoveObserver(&kCaptureObserver);
  bool ok = !cap.failed;
  if (cap.pipe) {
    ok = std::fclose(cap.video) == 0 && ok;
    ok = qvWaitFfmpeg() && ok;
    qvRemoveTempWav();
  } else {
    ok = std::fclose(cap.video) == 0 && ok;
    // Exactly as many sample frames as the video lasts: frames x 44100 / fps, rounded down.
    uint64_t samples = cap.written * 44100ull * cap.set.fpsDen / cap.set.fpsNum;
    ok = ok && qvMusicRenderWav(QV_MUSIC_FILE, cap.startOrder, samples, cap.wavName.c_str());
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - cap.began).count();
  double length = (double)cap.written * cap.set.fpsDen / cap.set.fpsNum;
  if (platSignalCaught()) std::fprintf(stderr, "quorvane: capture interrupted; the files hold what was captured\n");
  std::fprintf(stderr, "quorvane: %s %llu frames of %dx%d at %u/%u fps (%.2f s) in %.1f s, %.1fx real time -> %s%s%s\n",
               ok ? "captured" : "capture failed after", (unsigned long long)cap.written, cap.canvas.width,
               cap.canvas.height, cap.set.fpsNum, cap.set.fpsDen, length, secs, secs > 0 ? length / secs : 0.0,
               cap.videoName.c_str(), cap.pipe ? "" : " + ", cap.pipe ? "" : cap.wavName.c_str());
  std::fprintf(stderr,
               "quorvane: the %u frames presented are drawn at the presentation's own pace; the capture takes "
               "the frame on show at each step of its fixed rate, so the counts differ\n",
               qvStats.presented);
  return ok;
}
