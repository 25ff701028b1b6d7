// The temporary presentation: system driver, window, a 320x240 32-bit mode, a timer drawing a
// moving test pattern, Escape and the close box quit, Alt+Enter switches the display.
#include <cstdio>
#include <cstring>

#include "demo/qvoptions.h"
#include "platform/plat_headless.h"
#include "system/xerror.h"
#include "system/xkeyboard.h"
#include "system/xsystem.h"
#include "video/xvideo.h"
#include "x2d/x2d.h"
#include "x3d/x3d.h"

int32_t qvTempSwitches = 0;
uint32_t qvTempFrames = 0;

static uint32_t qvIconPixels[32 * 32];
static const PlatIcon qvIcon = {32, 32, qvIconPixels};

static void qvMakeIcon() {
  for (int32_t y = 0; y < 32; y++)
    for (int32_t x = 0; x < 32; x++) {
      int32_t dx = x - 16, dy = y - 16;
      bool ring = dx * dx + dy * dy < 225 && dx * dx + dy * dy > 64;
      qvIconPixels[y * 32 + x] = ring ? 0xFF20A0FFu : 0x00000000u;
    }
}

static void qvKeyResponder(void* record) {
  uint32_t code = *(uint32_t*)record;
  if (code == DIK_ESCAPE) xSysQuit();
  if (code == DIK_RETURN && (xKeyState[DIK_LMENU] || xKeyState[DIK_RMENU])) {
    qvTempSwitches++;
    xVideoChangeCoopLevel(xVideoWindow, xVideoFullScreen ? 0 : 1);
  }
}

static void qvCloseResponder(void*) { xSysQuit(); }

// Moving bands and a bouncing square; the phase follows the clock, so the speed does not
// depend on the frame rate.
static void qvPatternTimer(uint32_t) {
  uint32_t t = platGetTickCount() / 10;
  uint32_t* p = (uint32_t*)xVideoBuffer;
  for (int32_t y = 0; y < 240; y++)
    for (int32_t x = 0; x < 320; x++) {
      uint32_t r = (uint32_t)(x + t) & 0xff, g = (uint32_t)(y * 2 + t / 2) & 0xff, b = (uint32_t)((x ^ y) + t) & 0xff;
      p[y * 320 + x] = r << 16 | g << 8 | b;
    }
  int32_t bx = (int32_t)(t % 560), by = (int32_t)(t * 3 / 2 % 400);
  bx = bx < 280 ? bx : 560 - bx;
  by = by < 200 ? by : 400 - by;
  for (int32_t y = by; y < by + 40; y++)
    for (int32_t x = bx; x < bx + 40; x++) p[y * 320 + x] = 0xFFFFFF;
  xVideoPresent();
  qvTempFrames++;
}

int32_t qvMain(int32_t argc, char** argv) {
  qvOptions o;
  int32_t parsed = qvParseOptions(argc, argv, &o);
  if (parsed == 1) {
    qvPrintHelp();
    return 0;
  }
  if (parsed) return parsed;
  qvX3dLogName = o.x3dLogName;
  char err[256];
  if (o.headless) {
    PlatHeadlessConfig c;
    platHeadlessDefaults(&c);
    c.desktopBits = o.desktopBits;
    c.modes = o.modes;
    c.answers = o.answers;
    if (!platHeadlessConfigure(&c, err, sizeof err)) {
      std::fprintf(stderr, "quorvane: %s\nTry 'quorvane --help' for the options.\n", err);
      return 2;
    }
  }
  platSetWindowScale(o.scale);
  if (!platInit(o.headless ? PLAT_BACKEND_HEADLESS : PLAT_BACKEND_SDL, err, sizeof err)) {
    std::fprintf(stderr, "quorvane: %s\n", err);
    return 1;
  }
  if (o.script && !platScriptAdd(o.script, err, sizeof err)) {
    std::fprintf(stderr, "quorvane: %s\nTry 'quorvane --help' for the options.\n", err);
    platShutdown();
    return 2;
  }
  qvMakeIcon();
  xSysInit("Quorvane Win32 final - Kelvo", &qvIcon, o.logName);
  xVideoInit();
  xKeyboardInit(xVideoWindow);
  // The engines the presentation draws with: 2D over the whole buffer, 3D over the 320x200 view.
  x2dInit(320, 240);
  x3dInit(320, 200, qvX3dLogName);
  x2dSetClipWindow(0, 0, 320, 200);
  xVideoSetMode(320, 240, o.fullScreen, 32, 0xff0000, 0xff00, 0xff);
  xVideoPresent();
  xSysAddResponder(qvKeyResponder, XSYS_KEY_PRESSED, 1);
  xSysAddResponder(qvCloseResponder, XSYS_CLOSE, 1);
  xSysAddTimer(qvPatternTimer, 50);
  xSysRun();
  return 0;
}
