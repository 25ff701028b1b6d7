// Start-up services of the program, below its top file and the timing and viewer parts that
// start it too: the platform, system driver, setup dialog, engine, loaders, music, timers and
// the fade, and where the data and the user's files are.
#include "demo/qvstartup.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "demo/qvbass.h"
#include "demo/qvcapture.h"
#include "demo/qvconfig.h"
#include "demo/qvdemo.h"
#include "demo/qvdialog.h"
#include "demo/qvdump.h"
#include "demo/qvmusic.h"
#include "demo/qvresources.h"
#include "demo/qvtimeline.h"
#include "demo/qvviewer.h"
#include "file/xfile.h"
#include "platform/plat_headless.h"
#include "platform/plat_present.h"
#include "winlike/wl_script.h"
#include "system/xerror.h"
#include "system/xkeyboard.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"
#include "x2d/x2d.h"

int32_t fullScreen = 1;
xFile qvArchive(1);
uint32_t musicHandle = 0;
uint32_t* view = nullptr;
x2dSprite* thumbnail7 = nullptr;
bool qvCapturing = false;
static std::string qvDataSearched;  // the folders looked in for the data, one line each

// Headless presents take one period of a 60 Hz display, like a vsynced window; a capture's
// display runs at the capture's frame rate.
static void qvHeadlessDisplayPhase() {
  if (platBackend() != PLAT_BACKEND_HEADLESS) return;
  uint32_t num = 60, den = 1;
  if (qvCapturing) qvCaptureRefresh(&num, &den);
  platHeadlessSetRefresh(num, den);
}

static void qvKeyResponder(void* record) {
  uint32_t code = *(uint32_t*)record;
  if (code == DIK_ESCAPE || code == DIK_Q) xSysQuit();
  qvViewerKey(code);
  if ((code == DIK_RETURN && (xKeyState[DIK_LMENU] || xKeyState[DIK_RMENU])) || code == DIK_F11 || code == DIK_F)
    xVideoChangeCoopLevel(xVideoWindow, xVideoFullScreen ? 0 : 1);
}

static void qvCloseResponder(void*) { xSysQuit(); }

// Step 9: an archive that is there but cannot be opened is said to be so, not missing.
static void qvOpenArchive() {
  const char* name = "quorvane.kvo";
  int32_t kind = xFileKind(name);
  if (kind == XFILE_KIND_MISSING) xErrMsgNote("Resource file not found -> QUORVANE.KVO", qvDataSearched.c_str());
  if (kind == XFILE_KIND_OTHER) xErrMsg("Resource file is not a regular file -> QUORVANE.KVO");
  if (kind == XFILE_KIND_UNREADABLE) xErrMsg("Resource file cannot be read -> QUORVANE.KVO");
  if (qvArchive.Open(name) != XFILE_OPEN_ERROR) xErrMsg("Resource file damaged -> QUORVANE.KVO");
}

// Steps 4 to 13: engine, archive, display and the loading picture.
static void qvStartEngine(const qvOptions& o) {
  xVideoInit();
  xKeyboardInit(xVideoWindow);
  x2dInit(320, 240);
  x3dInit(320, 200, o.x3dLogName);
  x2dSetClipWindow(0, 0, QV_VIEW_W, QV_VIEW_H);
  qvOpenArchive();
  x2dSprite* loading = x2dSpriteCreate();
  loading->Load("loading.tga", &qvArchive);
  // Copied whole into the view below.
  if (loading->width != QV_VIEW_W || loading->height != QV_VIEW_H)
    xErrMsg(xFormat("Broken resource file -> loading.tga is %dx%d, expected 320x200", loading->width, loading->height));
  // Every presented frame is counted and hashed, the loading picture's included.
  xSysAddResponder(qvHashPresentedFrame, XSYS_PRESENT_BEGIN, 1);
  xVideoSetMode(320, 240, fullScreen, 32, 0xff0000, 0xff00, 0xff);
  std::memcpy((uint32_t*)xVideoBuffer + QV_VIEW_OFFSET, loading->pixels, QV_VIEW_PIXELS * 4);
  xVideoPresent();
  delete loading;
}

// Steps 14 to 24: sound, responders, loaders, music, timers and the fade.
static void qvStartPresentation(const qvOptions& o) {
  qvAudioSetMute(o.mute);
  BASS_Init(-1, 44100, 0, xVideoWindow);
  BASS_Start();
  xSysAddResponder(qvKeyResponder, XSYS_KEY_PRESSED, 1);
  xSysAddResponder(qvCloseResponder, XSYS_CLOSE, 1);
  qvViewerInit();
  qvRunLoaders();
  thumbnail7 = qvMakeView(64000, 80, 50);
  musicHandle = 0;
  if (!o.noMusic) {
    qvCheckMusic(QV_MUSIC_FILE, o.startOrder);
    musicHandle = BASS_MusicLoad(0, QV_MUSIC_FILE, 0, 0, BASS_MUSIC_RAMP | BASS_MUSIC_LOOP);
    if (!musicHandle) xErrMsg("Can't load RUL-QUOR.S3M");
  }
  view = (uint32_t*)xVideoBuffer + QV_VIEW_OFFSET;
  qvTimelineStart(o.startOrder, o.loop);
  if (musicHandle) {
    BASS_MusicPlay(musicHandle);
    BASS_Pause();
    if (o.startOrder) BASS_ChannelSetPosition(musicHandle, (uint32_t)o.startOrder);
  }
  // 128 steps: 2, 4, ..., 254, then 255, each darkening what the last one left.
  for (int32_t level = 2;; level += 2) {
    if (level > 255) level = 255;
    x2dFadeToBlack(level, QV_BUFFER_PIXELS, (uint32_t*)xVideoBuffer);
    xVideoPresent();
    if (level == 255) break;
  }
  std::memset(xVideoBuffer, 0, QV_BUFFER_PIXELS * 4);
  lastFrameTick = platGetTickCount();
}

// Where the data was found, for the log ("" when the current folder holds it), and the folders
// looked in (for the message when none holds it).
static char qvDataFolder[4096];
// The folder the program was started in: its path, and, when that path cannot be named or is
// too long to put a file name after, "/proc/self/fd/N" of a handle on it kept for the run.
static std::string qvStartName, qvStartHandle;

// Before the data search may change folder.
void qvRememberStartFolder() {
  char* cwd = getcwd(nullptr, 0);
  if (cwd) qvStartName = cwd;
  std::free(cwd);
  if (!qvStartName.empty() && qvStartName.size() < PATH_MAX - 256) return;
  // Not close-on-exec: ffmpeg, started for a capture, writes through the same name.
  int fd = open(".", O_PATH | O_DIRECTORY);
  if (fd >= 0) qvStartHandle = "/proc/self/fd/" + std::to_string(fd);
}

int32_t qvUsageLine(const char* message) {
  std::fprintf(stderr, "quorvane: %s\nTry 'quorvane --help' for the options.\n", message);
  return 2;
}

std::string qvUserPath(const char* path) {
  if (path[0] == '/') return path;
  if (qvStartName.empty() && qvStartHandle.empty()) {
    char here[4096];  // started without qvMain (tests): the current folder
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : std::string(path);
  }
  std::string full = qvStartName + "/" + path;
  if (!qvStartName.empty() && full.size() < PATH_MAX) return full;
  return qvStartHandle.empty() ? std::string(path) : qvStartHandle + "/" + path;
}

bool qvCheckOutputFile(const char* path, char* err, int32_t errSize) {
  struct stat st;
  int32_t why = 0;
  if (stat(path, &st) == 0) {
    if (S_ISDIR(st.st_mode)) why = EISDIR;
    else if (access(path, W_OK) != 0) why = errno;
  } else if (errno != ENOENT) {
    why = errno;  // e.g. a folder on the way that is a file
  } else {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      why = errno;
    } else {
      close(fd);
      unlink(path);
    }
  }
  if (why) std::snprintf(err, (size_t)errSize, "cannot write %s: %s", path, std::strerror(why));
  return !why;
}

bool qvCheckOutputFolder(const char* dir, char* err, int32_t errSize) {
  int32_t why = 0;
  if (mkdir(dir, 0777) != 0 && errno != EEXIST) {
    why = errno;
  } else {
    // A file made and removed again: the one proof that the folder takes files (root passes
    // every permission check, a read-only or virtual file system does not).
    std::string probe = std::string(dir) + "/.quorvane-XXXXXX";
    int fd = mkstemp(probe.data());
    if (fd < 0) {
      why = errno;
    } else {
      close(fd);
      unlink(probe.c_str());
    }
  }
  if (why) std::snprintf(err, (size_t)errSize, "cannot write %s: %s", dir, std::strerror(why));
  return !why;
}

int32_t qvOutputFailed(const char* text) {
  std::fprintf(stderr, "quorvane: %s\n", text);
  return 1;
}

// The folder tried next, as the message names it.
static bool qvHoldsData(const std::string& folder, const char* what) {
  qvDataSearched += "  " + (folder == "." && !qvStartName.empty() ? qvStartName : folder) + what + "\n";
  return access((folder + "/quorvane.kvo").c_str(), R_OK) == 0;
}

// The data (archive, module, info file) is read from the current folder. When that folder has
// no archive, the first of these that has one becomes the current folder: the program's own
// folder (a build or an unpacked portable folder), its ../share/quorvane (an install moved
// elsewhere), then the installed data folder.
void qvFindData() {
  qvDataFolder[0] = 0;
  qvDataSearched = "Looked for quorvane.kvo in:\n";
  if (qvHoldsData(".", " (the current folder)")) return;
  std::vector<std::pair<std::string, const char*>> places;
  char exe[4096];
#ifdef __EMSCRIPTEN__
  ssize_t n = -1;  // the web build has no file of its own (under node this would name node)
#else
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
#endif
  if (n > 0) {
    exe[n] = 0;
    std::string dir(exe, std::strrchr(exe, '/') ? (size_t)(std::strrchr(exe, '/') - exe) : 0);
    places.push_back({dir, " (beside the program)"});
    places.push_back({dir + "/../share/quorvane", ""});
  }
  places.push_back({QV_DATA_DIR, " (installed)"});
  for (const auto& [p, what] : places)
    if (qvHoldsData(p, what) && chdir(p.c_str()) == 0) {
      std::snprintf(qvDataFolder, sizeof qvDataFolder, "%s", p.c_str());
      return;
    }
}

static int32_t qvStartPlatform(const qvOptions& o) {
  char err[256];
  if (o.headless) {
    PlatHeadlessConfig c;
    platHeadlessDefaults(&c);
    c.desktopBits = o.desktopBits;
    c.modes = o.modes;
    c.answers = o.answers;
    c.dialog = o.dialog;
    if (!platHeadlessConfigure(&c, err, sizeof err)) {
      return qvUsageLine(err);
    }
  }
  platSetWindowScale(o.scale);
  PlatPresentation present = {(PlatScaling)o.scaling, (PlatFilter)o.filter, !o.noVsync, o.display};
  platSetPresentation(&present);
  PlatBackendKind kind = o.headless ? PLAT_BACKEND_HEADLESS : PLAT_BACKEND_SDL;
  bool up = platInit(kind, err, sizeof err);
  if (!up && !o.monitorGiven && o.display != 0) {
    // A monitor remembered from an earlier run may be gone: the first one serves instead.
    std::fprintf(stderr, "quorvane: %s; using monitor 0\n", err);
    present.display = 0;
    platSetPresentation(&present);
    up = platInit(kind, err, sizeof err);
  }
  if (!up) {
    std::fprintf(stderr, "quorvane: %s\n", err);
    return 1;
  }
  if (o.script && !wlScriptAdd(o.script, err, sizeof err)) {
    qvUsageLine(err);  // before the shutdown, which may print too
    platShutdown();
    return 2;
  }
  static const QvObserver observer = {qvHeadlessDisplayPhase, nullptr, nullptr};
  qvAddObserver(&observer);
  qvHeadlessDisplayPhase();
  return 0;
}

int32_t qvStartup(const qvOptions& o) {
  if (int32_t r = qvStartPlatform(o)) return r;
  const PlatIcon* icon = qvLoadIcon();
  xSysInit("Quorvane Win32 final - Kelvo", icon, o.logName);
  fullScreen = o.fullScreen;
  bool dialog = !o.displayGiven && (!o.headless || o.dialog);
  if (dialog) qvSetupDialog(&fullScreen);
  qvConfigSave(o, fullScreen, dialog);
  xLog.Print(qvDataFolder[0] ? xFormat("data: %s", qvDataFolder) : "data: the current folder");
  qvStartEngine(o);
  qvStartPresentation(o);
  return 0;
}
