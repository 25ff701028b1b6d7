#include "demo/qvdump.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo/qvdemo.h"
#include "demo/qvstartup.h"
#include "demo/qvtimeline.h"
#include "image/xpng.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"

static std::string dumpDir;
static uint32_t dumpEvery = 1000;
static uint32_t dumpNext = 0;
// The frame last presented, kept until the next one: at a hand-over it is the segment's last.
static std::vector<uint32_t> dumpLast;
static int32_t dumpLastOrder, dumpLastRow;
static uint32_t dumpLastMs;

static void qvDumpWrite(const uint32_t* pixels, int32_t segment, uint32_t ms, int32_t order, int32_t row,
                        const char* tag) {
  char name[64];
  std::snprintf(name, sizeof name, "/t%07u_s%02d_o%02d_r%02d%s.png", ms, segment + 1, order, row, tag);
  std::string path = dumpDir + name;
  errno = 0;
  // The folder took a file at the start: this is a full disk or the like, and the run ends.
  if (!xPngWriteXrgb(path.c_str(), pixels, QV_VIEW_W, QV_VIEW_H, QV_VIEW_W)) {
    std::fprintf(stderr, "quorvane: cannot write %s: %s\n", path.c_str(), std::strerror(errno ? errno : EIO));
    std::exit(1);
  }
}

static int32_t dumpLastSegment = -1;  // of the frame kept; -1 once written as a segment's last

// The run's end (the finale's quit, Escape, a close): no hand-over follows, so the frame
// presented last is the last of the segment then playing.
static void qvDumpRunEvent(void* record) {
  if (*(const uint32_t*)record != 1 || dumpLast.empty() || dumpLastSegment < 0) return;
  qvDumpWrite(dumpLast.data(), dumpLastSegment, dumpLastMs, dumpLastOrder, dumpLastRow, "_last");
  dumpLastSegment = -1;
}

static void qvDumpFrame(const QvFrameEvent& e) {
  static bool watching = false;
  if (!watching) {
    watching = true;
    xSysAddResponder(qvDumpRunEvent, XSYS_RUN, 1);
  }
  if (e.handOver) {
    if (!dumpLast.empty()) qvDumpWrite(dumpLast.data(), e.segment, dumpLastMs, dumpLastOrder, dumpLastRow, "_last");
    dumpLastSegment = -1;
    return;
  }
  if (e.frame == 1) qvDumpWrite(view, e.segment, e.passMs, musicOrder, musicRow, "_first");
  if (e.passMs >= dumpNext) {
    qvDumpWrite(view, e.segment, e.passMs, musicOrder, musicRow, "");
    dumpNext = (e.passMs / dumpEvery + 1) * dumpEvery;
  }
  dumpLast.assign(view, view + QV_VIEW_PIXELS);
  dumpLastOrder = musicOrder, dumpLastRow = musicRow, dumpLastMs = e.passMs, dumpLastSegment = e.segment;
}

int32_t qvDumpStart(const char* setting, char* err, int32_t errSize) {
  dumpDir = setting;
  size_t colon = dumpDir.rfind(':');
  if (colon != std::string::npos) {
    char* end;
    long every = std::strtol(setting + colon + 1, &end, 10);
    if (*end || every < 1 || every > 3600000 || colon == 0) {
      std::snprintf(err, (size_t)errSize, "--dump-frames needs DIR or DIR:EVERY_MS (1..3600000), not '%s'", setting);
      return 2;
    }
    dumpEvery = (uint32_t)every;
    dumpDir.resize(colon);
  }
  if (!qvCheckOutputFolder(dumpDir.c_str(), err, errSize)) return 1;
  dumpDir = qvUserPath(dumpDir.c_str());
  dumpNext = 0;
  static const QvObserver observer = {nullptr, nullptr, qvDumpFrame};
  qvAddObserver(&observer);
  return 0;
}
