// The program: options, platform, then the start-up in its fixed order and the message loop.
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "demo/qvbass.h"
#include "demo/qvcapout.h"
#include "demo/qvcapture.h"
#include "demo/qvconfig.h"
#include "demo/qvdemo.h"
#include "demo/qvdialog.h"
#include "demo/qvdump.h"
#include "demo/qvoptions.h"
#include "demo/qvresources.h"
#include "demo/qvstartup.h"
#include "demo/qvtimedemo.h"
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

// As close to the process start as the program can see (static initialisation).
static const std::chrono::steady_clock::time_point qvProcessStart = std::chrono::steady_clock::now();

// --capture and its settings; 0, or 2 after a usage message.
static int32_t qvPrepareCapture(qvOptions& o) {
  if (!o.capture) return 0;  // its settings alone were refused by the parser
  QvCaptureSettings s = {o.capture, 60, 1, o.captureScale, 0, 0, o.captureFilter == 1, o.overwrite};
  if (o.fps && !qvParseFps(o.fps, &s.fpsNum, &s.fpsDen))
    return qvUsageLine("--fps needs N or N/D frames per second (1..1000), e.g. 60 or 60000/1001");
  if (o.captureSize && (o.captureScale || !qvParseSize(o.captureSize, &s.width, &s.height)))
    return qvUsageLine(o.captureScale ? "--capture-scale and --capture-size exclude each other"
                                      : "--capture-size needs WxH, e.g. 1920x1080");
  if (o.loop) return qvUsageLine("--capture and --loop exclude each other");
  QvCanvas canvas;
  if (o.captureSize ? !qvCanvasForSize(s.width, s.height, &canvas)
                    : o.captureScale && !qvCanvasForScale(s.scale, &canvas))
    return qvUsageLine("--capture-size needs an even size of at least 320x240 and at most 7680x4320");
  o.headless = true;
  o.displayGiven = true;
  char err[256];
  if (!qvCaptureBegin(s, o.startOrder, err, sizeof err)) {
    std::fprintf(stderr, "quorvane: %s\n", err);
    return 1;
  }
  qvCapturing = true;
  return 0;
}

// The logs asked for are closed before the exit: one that could not be written whole makes
// the run a failure (status 1), whatever the presentation did.
static int32_t qvCloseLogs(int32_t status) {
  xLogFile* logs[2] = {&xLog, &x3dLog};
  for (xLogFile* log : logs) {
    std::string name = log->Name() ? log->Name() : "";
    if (log->IsOpen() && !log->Close()) {
      std::fprintf(stderr, "quorvane: cannot write the log %s: %s\n", name.c_str(), std::strerror(errno));
      if (status == 0) status = 1;
    }
  }
  return status;
}

// The files and the folder the run will write, checked before it starts and named as the user
// gave them (relative to the folder the program was started in, which is still the current
// one); 0, or the exit status after a message.
static int32_t qvCheckOutputs(const qvOptions& o) {
  char err[PATH_MAX + 256];
  const char* files[3] = {o.logName, o.x3dLogName, o.timedemo ? o.timedemoJson : nullptr};
  for (const char* f : files)
    if (f && !qvCheckOutputFile(f, err, sizeof err)) return qvOutputFailed(err);
  if (int32_t r = o.dumpFrames ? qvDumpStart(o.dumpFrames, err, sizeof err) : 0)
    return r == 2 ? qvUsageLine(err) : qvOutputFailed(err);
  return 0;
}

int32_t qvMain(int32_t argc, char** argv) {
  qvOptions o;
  int32_t parsed = qvParseOptions(argc, argv, &o);
  if (parsed == 1) {
    if (o.help) qvPrintHelp();
    else if (o.man) qvPrintMan();
    else qvPrintVersion();
    return 0;
  }
  if (parsed) return parsed;
  qvConfigLoad(&o);
  // Files named on the command line stay where the user meant them after the data is found.
  qvRememberStartFolder();
  if (int32_t r = qvCheckOutputs(o)) return r;
  static std::string userPaths[4];
  const char** named[4] = {&o.logName, &o.x3dLogName, &o.capture, &o.timedemoJson};
  for (int32_t i = 0; i < 4; i++)
    if (*named[i]) *named[i] = (userPaths[i] = qvUserPath(*named[i])).c_str();
  qvFindData();
  if (o.timedemo) return qvCloseLogs(qvTimedemo(o, qvProcessStart));
  if (o.scalar) platForceScalar(true);
  if (o.frames || o.timedemoJson) return qvUsageLine("--frames and --timedemo-json need --timedemo");
  if (int32_t r = qvPrepareCapture(o)) return r;
  if (int32_t r = qvStartup(o)) return r;
  xSysRun();
  xLog.Print(xFormat("presented %u frames, hash %016" PRIx64, qvStats.presented, qvStats.hash));
  if (o.headless) std::printf("quorvane: %u frames presented, hash %016" PRIx64 "\n", qvStats.presented, qvStats.hash);
  // The replayer's thread must stop before the process tears down what it reads.
  BASS_Free();
  if (qvCapturing) {
    bool ok = qvCaptureFinish();
    return qvCloseLogs(qvCaptureInterrupted() ? platSignalStatus() : ok ? 0 : 1);
  }
  return qvCloseLogs(platSignalStatus());  // 0 unless a signal ended the run
}
