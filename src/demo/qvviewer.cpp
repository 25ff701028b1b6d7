#include "demo/qvviewer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo/qvbass.h"
#include "demo/qvdemo.h"
#include "demo/qvstartup.h"
#include "demo/qvtimeline.h"
#include "image/xpng.h"
#include "platform/platform.h"
#include "winlike/wl_dinput.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"
#include "x2d/x2dfont.h"

// The bottom border below the view.
static const int32_t kOverlayTop = 220, kOverlayLines = 20;

static bool overlayOn = false;
static bool overlayDrawn = false;  // the last present carried the overlay

// The music's level (percent, steps of 10) and the note about it, shown until its tick.
static int32_t volume = 100;
static bool muted = false;
static char note[32];
static uint32_t noteUntil = 0;
static const uint32_t kNoteMs = 1500;

static void qvClearOverlay() {
  std::memset((uint32_t*)xVideoBuffer + kOverlayTop * QV_VIEW_W, 0, kOverlayLines * QV_VIEW_W * 4);
}

// Two lines: where the show is, then the cadence of the last second (the real interval between
// frames, its mean and worst, beside the time drawing and presenting one), so pacing can be told
// from drawing.
static void qvDrawTiming() {
  QvCadence c = qvCadenceLastSecond();
  double fps = c.meanMs > 0 ? 1000.0 / c.meanMs : 0.0;
  char where[64], cadence[64];
  std::snprintf(where, sizeof where, "SEG %02d  O%02d R%02d  %5.1f FPS%s", qvStats.segment + 1, musicOrder, musicRow,
                fps, qvPaused ? "  PAUSED" : "");
  std::snprintf(cadence, sizeof cadence, "FRAME %5.1f MS  MAX %5.1f MS  DRAW %5.2f MS", c.meanMs, c.worstMs,
                c.drawMeanMs);
  x2dText5x7(8, kOverlayTop + 2, where, 0xf0b040, (uint32_t*)xVideoBuffer);
  x2dText5x7(8, kOverlayTop + 11, cadence, 0xf0b040, (uint32_t*)xVideoBuffer);
}

// The timing when F1 is on, and a note about the volume at the right of the first line for a
// moment after it changed. The peeked clock does not advance the headless one.
static void qvDrawOverlay(void*) {
  if (!xVideoBuffer) return;
  bool noteOn = noteUntil && (int32_t)(noteUntil - platPeekTickCount()) > 0;
  if (!noteOn) noteUntil = 0;
  if (!overlayOn && !noteOn) {
    if (overlayDrawn) qvClearOverlay();
    overlayDrawn = false;
    return;
  }
  qvClearOverlay();
  if (overlayOn) qvDrawTiming();
  if (noteOn)
    x2dText5x7(312 - 6 * (int32_t)std::strlen(note), kOverlayTop + 2, note, 0x60e0f0, (uint32_t*)xVideoBuffer);
  overlayDrawn = true;
}

static void qvShowVolume() {
  qvAudioSetVolume(muted ? 0 : volume);
  if (muted) std::snprintf(note, sizeof note, "MUTED");
  else std::snprintf(note, sizeof note, "VOLUME %d%%", volume);
  noteUntil = platPeekTickCount() + kNoteMs;
  if (!noteUntil) noteUntil = 1;
  xLog.Print(muted ? "viewer: music muted" : xFormat("viewer: music volume %d%%", volume));
}

void qvViewerInit() {
  overlayOn = overlayDrawn = muted = false;
  volume = 100;
  noteUntil = 0;
  qvAudioSetVolume(100);
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
  // The frame as drawn: the border under the overlay is black.
  static uint32_t frame[QV_BUFFER_PIXELS];
  if (xVideoBuffer) std::memcpy(frame, xVideoBuffer, sizeof frame);
  if (overlayDrawn) std::memset(frame + kOverlayTop * QV_VIEW_W, 0, kOverlayLines * QV_VIEW_W * 4);
  errno = 0;
  if (!xVideoBuffer || !xPngWriteXrgb(name.c_str(), frame, 320, 240, 320)) {
    std::fprintf(stderr, "quorvane: cannot write the screenshot %s: %s\n", name.c_str(),
                 std::strerror(errno ? errno : EIO));
    return "";
  }
  xLog.Print(xFormat("screenshot %s", name.c_str()));
  std::fprintf(stderr, "quorvane: screenshot %s\n", name.c_str());
  platOfferFile(name.c_str());
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
    case DIK_M: muted = !muted; break;
    case DIK_9:
    case DIK_MINUS:
    case DIK_SUBTRACT: volume = volume > 10 ? volume - 10 : 0, muted = false; break;
    case DIK_0:
    case DIK_EQUALS:
    case DIK_ADD: volume = volume < 90 ? volume + 10 : 100, muted = false; break;
    case DIK_NEXT:
    case DIK_N: qvTimelineSkip(1); return true;
    case DIK_PRIOR:
    case DIK_P: qvTimelineSkip(-1); return true;
    default: return false;
  }
  qvShowVolume();
  return true;
}
