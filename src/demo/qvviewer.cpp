#include "demo/qvviewer.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "demo/qvbass.h"
#include "demo/qvdemo.h"
#include "demo/qvstartup.h"
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
// Tick of the last 32 presents, for the frame rate over about the last half second.
static uint32_t presentTicks[32];
static uint32_t presentCount = 0;

static void qvClearOverlay() {
  std::memset((uint32_t*)xVideoBuffer + kOverlayTop * QV_VIEW_W, 0, kOverlayLines * QV_VIEW_W * 4);
}

static void qvDrawOverlay(void*) {
  if (!xVideoBuffer) return;
  uint32_t now = platPeekTickCount();
  presentTicks[presentCount++ & 31] = now;
  if (!overlayOn) return;
  uint32_t n = presentCount < 32 ? presentCount : 32;
  uint32_t span = now - presentTicks[(presentCount - n) & 31];
  double fps = n > 1 && span ? (n - 1) * 1000.0 / span : 0.0;
  char text[64];
  std::snprintf(text, sizeof text, "SEG %02d  %02d:%02d  %5.1f FPS  %3u MS%s", qvStats.segment + 1, musicOrder,
                musicRow, fps, frameTime, qvPaused ? "  PAUSED" : "");
  qvClearOverlay();
  x2dText5x7(8, kOverlayTop + 7, text, 0xf0b040, (uint32_t*)xVideoBuffer);
}

void qvViewerInit() {
  overlayOn = false;
  presentCount = 0;
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
  if (!xVideoBuffer || !xPngWriteXrgb(name.c_str(), (const uint32_t*)xVideoBuffer, 320, 240, 320)) {
    std::fprintf(stderr, "quorvane: cannot write the screenshot %s\n", name.c_str());
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
