#include "demo/qvviewer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo/qvbass.h"
#include "demo/qvdemo.h"
#include "demo/qvtimeline.h"
#include "image/xpng.h"
#include "winlike/wl_dinput.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"
#include "x2d/x2dfont.h"

// The bottom border below the view.
static const int32_t kOverlayTop = 220, kOverlayLines = 20;

static bool overlayOn = false;

static void qvClearOverlay() {
  std::memset((uint32_t*)xVideoBuffer + kOverlayTop * QV_VIEW_W, 0, kOverlayLines * QV_VIEW_W * 4);
}

// Two lines: where the show is, then the cadence of the last second (the real interval between
// frames, its mean and worst, beside the time drawing and presenting one), so pacing can be told
// from drawing.
static void qvDrawOverlay(void*) {
  if (!xVideoBuffer || !overlayOn) return;
  QvCadence c = qvCadenceLastSecond();
  double fps = c.meanMs > 0 ? 1000.0 / c.meanMs : 0.0;
  char where[64], cadence[64];
  std::snprintf(where, sizeof where, "SEG %02d  O%02d R%02d  %5.1f FPS%s", qvStats.segment + 1, musicOrder, musicRow,
                fps, qvPaused ? "  PAUSED" : "");
  std::snprintf(cadence, sizeof cadence, "FRAME %5.1f MS  MAX %5.1f MS  DRAW %5.2f MS", c.meanMs, c.worstMs,
                c.drawMeanMs);
  qvClearOverlay();
  x2dText5x7(8, kOverlayTop + 2, where, 0xf0b040, (uint32_t*)xVideoBuffer);
  x2dText5x7(8, kOverlayTop + 11, cadence, 0xf0b040, (uint32_t*)xVideoBuffer);
}

void qvViewerInit() {
  overlayOn = false;
  // Priority 0: drawn before the frame is counted, hashed or captured.
  xSysAddResponder(qvDrawOverlay, XSYS_PRESENT_BEGIN, 0);
}

const char* qvScreenshot() {
  // In the folder the program was started in, not the one its data came from.
  static std::string name;
  for (int32_t i = 0; i < 10000; i++) {
    char file[32];
    std::snprintf(file, sizeof file, "quorvane-%04d.png", i);
    name = qvUserPath(file);
    if (access(name.c_str(), F_OK) != 0) break;
  }
  errno = 0;
  if (!xVideoBuffer || !xPngWriteXrgb(name.c_str(), (const uint32_t*)xVideoBuffer, 320, 240, 320)) {
    std::fprintf(stderr, "quorvane: cannot write the screenshot %s: %s\n", name.c_str(),
                 std::strerror(errno ? errno : EIO));
    return "";
  }
  xLog.Print(xFormat("screenshot %s", name.c_str()));
  std::fprintf(stderr, "quorvane: screenshot %s\n", name.c_str());
  return name.c_str();
}

bool qvViewerKey(uint32_t code) {
  switch (code) {
    case DIK_SPACE: qvSetPaused(!qvPaused); return true;
    case DIK_F1:
      overlayOn = !overlayOn;
      if (!overlayOn && xVideoBuffer) qvClearOverlay();
      return true;
    case DIK_F12: qvScreenshot(); return true;
    default: return false;
  }
}
