#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "winlike/wl_script.h"
#include "system/xerror.h"
#include "system/xkeyboard.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"

// Starts the headless backend with a given desktop depth and mode list, then the system and
// video drivers, as the start-up does.
static void vStart(int32_t desktopBits, const char* modes, const char* answers = nullptr) {
  PlatHeadlessConfig c;
  platHeadlessDefaults(&c);
  c.desktopBits = desktopBits;
  c.modes = modes;
  c.answers = answers;
  char err[200];
  if (!platHeadlessConfigure(&c, err, sizeof err) || !platInit(PLAT_BACKEND_HEADLESS, err, sizeof err)) {
    std::fprintf(stderr, "%s\n", err);
    std::exit(99);
  }
  xSysInit("Quorvane test", nullptr, nullptr);
  xVideoInit();
}

static void vStop() {
  xSysDone();
  xVideoResetForTests();
  platShutdown();
}

static void vPattern() {
  uint32_t* p = (uint32_t*)xVideoBuffer;
  for (int32_t y = 0; y < 240; y++)
    for (int32_t x = 0; x < 320; x++) p[y * 320 + x] = (uint32_t)((x * 7) << 16 | (y * 3) << 8 | ((x ^ y) & 0xff));
}

// The presented picture, read back as 0x00RRGGBB with each channel widened to 8 bits.
static uint32_t vShown(const PlatFrame& f, int32_t x, int32_t y) {
  const uint8_t* p = f.pixels + (size_t)y * f.pitch + x * (int32_t)(f.format.bitCount / 8);
  uint32_t v = p[0] | (uint32_t)p[1] << 8;
  if (f.format.bitCount >= 24) v |= (uint32_t)p[2] << 16;
  if (f.format.bitCount == 32) v |= (uint32_t)p[3] << 24;
  auto ch = [&](uint32_t m) {
    int32_t s = __builtin_ctz(m), b = __builtin_popcount(m);
    return ((v & m) >> s) << (8 - b);
  };
  return ch(f.format.rBitMask) << 16 | ch(f.format.gBitMask) << 8 | ch(f.format.bBitMask);
}

// Expected value after a trip through a format with the given channel widths.
static uint32_t vReduce(uint32_t c, int rb, int gb, int bb) {
  uint32_t r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
  return (r >> (8 - rb) << (8 - rb)) << 16 | (g >> (8 - gb) << (8 - gb)) << 8 | (b >> (8 - bb) << (8 - bb));
}

static void vExpectPicture(int rb, int gb, int bb) {
  PlatFrame f;
  ASSERT_TRUE(platHeadlessLastFrame(&f));
  ASSERT_EQ(f.width, 320);
  ASSERT_EQ(f.height, 240);
  const uint32_t* p = (const uint32_t*)xVideoBuffer;
  int bad = 0;
  for (int32_t y = 0; y < 240; y++)
    for (int32_t x = 0; x < 320; x++) bad += vShown(f, x, y) != vReduce(p[y * 320 + x], rb, gb, bb);
  EXPECT_EQ(bad, 0);
}

struct PresentCase {
  int32_t desktopBits;  // desktop for the windowed case
  const char* modes;    // display modes for the full-screen case
  int32_t fullScreen;
  int32_t screenBits;
  int rb, gb, bb;  // channel widths of the screen format
  const char* comment;
};
static const PresentCase kPresentCases[] = {
    {32, nullptr, 0, 32, 8, 8, 8, "windowed on a 32-bit desktop: direct"},
    {16, nullptr, 0, 16, 5, 6, 5, "windowed on a 5-6-5 desktop"},
    {15, nullptr, 0, 16, 5, 5, 5, "windowed on a 5-5-5 desktop"},
    {24, nullptr, 0, 24, 8, 8, 8, "windowed on a packed 24-bit desktop"},
    {32, "320x240x32", 1, 32, 8, 8, 8, "full screen, exact mode"},
    {32, "320x240x16,640x480x32", 1, 16, 5, 6, 5, "full screen, 16-bit substitute"},
    {32, "320x240x24", 1, 24, 8, 8, 8, "full screen, 24-bit substitute"},
};

class XVideoPresent : public ::testing::TestWithParam<PresentCase> {};
TEST_P(XVideoPresent, ShowsTheFrameBufferInTheScreenFormat) {
  const PresentCase& c = GetParam();
  vStart(c.desktopBits, c.modes);
  xVideoSetMode(320, 240, c.fullScreen, 32, 0xff0000, 0xff00, 0xff);
  EXPECT_EQ(xVideoFullScreen, c.fullScreen);
  EXPECT_EQ(xVideoScreenFormat.bits, c.screenBits);
  vPattern();
  xVideoPresent();
  vExpectPicture(c.rb, c.gb, c.bb);
  PlatFrame f;
  platHeadlessLastFrame(&f);
  EXPECT_EQ(f.fullscreen, c.fullScreen == 1);
  vStop();
}
// Stable test names (window16, full24...) instead of the record's bytes, which hold pointers.
static void PrintTo(const PresentCase& c, std::ostream* os) { *os << c.comment; }
static std::string vCaseName(const ::testing::TestParamInfo<PresentCase>& info) {
  return std::string(info.param.fullScreen ? "full" : "window") + std::to_string(info.param.screenBits) + "_" +
         std::to_string(info.index);
}
INSTANTIATE_TEST_SUITE_P(Formats, XVideoPresent, ::testing::ValuesIn(kPresentCases), vCaseName);

static std::string gVEvents;
static void vEv(void* r) { gVEvents += r ? std::to_string(*(uint32_t*)r) : "."; }

TEST(XVideo, ModeSelectionAndLog) {
  std::string path = ::testing::TempDir() + "qv_video.log";
  vStart(32, "320x200x32,320x240x16,320x240x24");
  xLog.Open(path.c_str());
  EXPECT_EQ(xVideoGetActualMode(320, 240, 32), 2);
  EXPECT_EQ(xVideoSelected.bits, 24);  // 24 before 16 for a 32-bit request
  EXPECT_EQ(xVideoGetActualMode(320, 240, 16), 0);
  EXPECT_EQ(xVideoGetActualMode(320, 200, 16), 2);
  EXPECT_EQ(xVideoSelected.bits, 32);
  EXPECT_EQ(xVideoGetActualMode(640, 480, 32), 1);
  EXPECT_EQ(xVideoSelected.bits, 32);
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  xLog.Close();
  std::string log = qvReadFile(path);
  EXPECT_NE(log.find("XLOG: enum mode   1:  320 x  240 x 16 bpp\n"), std::string::npos) << log;
  EXPECT_NE(log.find("XLOG: videomode: direct\n"), std::string::npos);
  EXPECT_NE(log.find("XLOG: mask.r = 0xFF0000 mask.g = 0xFF00 mask.b = 0xFF .mask.alpha = 0x0\n"), std::string::npos);
  vStop();

  vStart(16, nullptr);
  xLog.Open(path.c_str());
  gVEvents.clear();
  xSysAddResponder(vEv, XSYS_MODE_SET, 1);
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  xLog.Close();
  log = qvReadFile(path);
  EXPECT_NE(log.find("XLOG: videomode: converted\n"), std::string::npos);
  EXPECT_NE(log.find("XLOG: selected mode : 320 x 240 x 32bpp\n"), std::string::npos);
  EXPECT_EQ(gVEvents, "0");
  EXPECT_EQ(xSysActive, 1);
  vStop();
}

TEST(XVideo, MissingModeAnsweredYesContinuesWindowed) {
  vStart(32, "640x480x32", "yes");
  xVideoSetMode(320, 240, 1, 32, 0xff0000, 0xff00, 0xff);
  EXPECT_EQ(xVideoFullScreen, 0);
  EXPECT_EQ(platHeadlessBoxCount(), 1);
  EXPECT_STREQ(platHeadlessLastBoxCaption(), "Quorvane test");
  EXPECT_STREQ(platHeadlessLastBoxText(),
               "Requied video mode : 320x240x32bpp not supported in fullscreen by hardware,procceed in window?\n");
  // The window is centred and its client area is the mode size.
  PlatRect r, c;
  wlGetWindowRect(xVideoWindow, &r);
  wlGetClientRect(xVideoWindow, &c);
  EXPECT_EQ(c.right, 320);
  EXPECT_EQ(c.bottom, 240);
  EXPECT_EQ(r.left, (1024 - (320 + 8)) >> 1);
  EXPECT_EQ(r.top, (768 - (240 + 19 + 8)) >> 1);
  vStop();
}

TEST(XVideoDeath, ModeFailures) {
  EXPECT_EXIT(
      {
        vStart(32, "640x480x32", "no");
        xVideoSetMode(320, 240, 1, 32, 0xff0000, 0xff00, 0xff);
      },
      ::testing::ExitedWithCode(1), "XERR: Error: No supporting video modes found\n");
  EXPECT_EXIT(vStart(32, "count:65"), ::testing::ExitedWithCode(1),
              "Error: DDraw_DisplayModesCallBack:: Limit of 64 video modes exceeded\n");
  EXPECT_EXIT(
      {
        vStart(32, nullptr);
        xVideoGetActualMode(320, 240, 8);
      },
      ::testing::ExitedWithCode(1), "Error: xVideoGetActualMode:: 8bpp not supported\nFile Xvideo\n");
  EXPECT_EXIT(
      {
        vStart(32, "320x240x8");
        xVideoGetActualMode(320, 240, 32);
      },
      ::testing::ExitedWithCode(1), "Error: This must not happen, report to .*!\n");
  // After falling back to a window for want of the mode, full screen asks for that same mode.
  EXPECT_EXIT(
      {
        vStart(32, "640x480x32", "yes");
        xVideoSetMode(320, 240, 1, 32, 0xff0000, 0xff00, 0xff);
        xVideoChangeCoopLevel(xVideoWindow, 1);
      },
      ::testing::ExitedWithCode(1), "Error: xVideoInitSurfaces::DDrawI->SetDisplayMode: DDERR_INVALIDMODE\n");
}

TEST(XVideo, SixtyFourModesAreAccepted) {
  vStart(32, "count:64");
  EXPECT_EQ(xVideoModeCount, 64);
  EXPECT_EQ(xVideoGetActualMode(320, 240, 32), 0);
  vStop();
}

TEST(XVideo, PresentationEventsAndLostSurfaces) {
  vStart(32, nullptr);
  xVideoSetMode(320, 240, 1, 32, 0xff0000, 0xff00, 0xff);
  gVEvents.clear();
  xSysAddResponder(vEv, XSYS_PRESENT_BEGIN, 1);
  xSysAddResponder(vEv, XSYS_PRESENT_END, 1);
  vPattern();
  xVideoPresent();
  EXPECT_EQ(gVEvents, "..");
  wlDDLoseSurfaces();
  uint32_t shown = platPresentCount();
  platHeadlessFailRestores(1);
  xVideoPresent();  // cannot restore yet: frame skipped, both events still raised
  EXPECT_EQ(platPresentCount(), shown);
  EXPECT_EQ(gVEvents, "....");
  xVideoPresent();  // restored: the whole picture comes back from the frame buffer
  EXPECT_EQ(platPresentCount(), shown + 1);
  vExpectPicture(8, 8, 8);
  vStop();
}

TEST(XVideo, SwitchingKeepsThePicture) {
  vStart(16, "320x240x32");
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  vPattern();
  std::string before((const char*)xVideoBuffer, 320 * 240 * 4);
  gVEvents.clear();
  xSysAddResponder(vEv, XSYS_MODE_SET, 1);
  xVideoChangeCoopLevel(xVideoWindow, 1);
  EXPECT_EQ(xVideoFullScreen, 1);
  EXPECT_EQ(xVideoScreenFormat.bits, 32);
  vExpectPicture(8, 8, 8);
  PlatFrame f;
  platHeadlessLastFrame(&f);
  EXPECT_TRUE(f.fullscreen);
  xVideoChangeCoopLevel(xVideoWindow, 0);
  xVideoChangeCoopLevel(xVideoWindow, 0);  // already windowed: nothing
  EXPECT_EQ(gVEvents, "10");
  EXPECT_EQ(xVideoScreenFormat.bits, 16);
  vExpectPicture(5, 6, 5);
  EXPECT_EQ(std::string((const char*)xVideoBuffer, 320 * 240 * 4), before);
  PlatRect c;
  wlGetClientRect(xVideoWindow, &c);
  EXPECT_EQ(c.right, 320);
  EXPECT_EQ(c.bottom, 240);
  EXPECT_EQ(xVideoDstRect.left, ((1024 - 328) >> 1) + 4);
  EXPECT_EQ(xSysActive, 1);
  vStop();
}

TEST(XVideo, WindowProcedureRows) {
  vStart(32, nullptr);
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  gVEvents.clear();
  xSysAddResponder(vEv, XSYS_CLOSE, 1);
  EXPECT_EQ(wlSendMessage(xVideoWindow, WM_CLOSE, 0, 0), 1);
  EXPECT_EQ(gVEvents, ".");
  EXPECT_TRUE(wlIsWindow(xVideoWindow));  // not destroyed here
  WlMinMaxInfo mm = {};
  wlSendMessage(xVideoWindow, WM_GETMINMAXINFO, 0, (intptr_t)&mm);
  EXPECT_EQ(mm.ptMinTrackSize.x, 328);
  EXPECT_EQ(mm.ptMaxTrackSize.y, 267);
  // A resize attempt is held to the mode size.
  PlatRect r;
  wlGetWindowRect(xVideoWindow, &r);
  wlSetWindowPos(xVideoWindow, HWND_NOTOPMOST, r.left, r.top, 500, 500, 0);
  PlatRect c;
  wlGetClientRect(xVideoWindow, &c);
  EXPECT_EQ(c.right, 320);
  // Deactivation: inactive and the cursor shown; activation repaints.
  wlSendMessage(xVideoWindow, WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(xSysActive, 0);
  uint32_t shown = platPresentCount();
  wlSendMessage(xVideoWindow, WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(xSysActive, 1);
  EXPECT_GE(platPresentCount(), shown + 1);
  // Dragging: WM_MOVE follows the window, WM_EXITSIZEMOVE repaints at the new place.
  char err[100];
  ASSERT_TRUE(wlScriptAdd("0:move:10:20", err, sizeof err));
  WlMsg m;
  while (wlPeekMessage(&m, true)) wlDispatchMessage(&m);
  EXPECT_EQ(xVideoDstRect.left, 14);
  EXPECT_EQ(xVideoDstRect.top, 20 + 19 + 4);
  EXPECT_EQ(wlSendMessage(xVideoWindow, WM_SYSKEYDOWN, 0x73, 0), 1);
  // Destruction releases everything and posts the quit message.
  wlDestroyWindow(xVideoWindow);
  EXPECT_EQ(lpDDS_Primary, nullptr);
  EXPECT_EQ(DDrawI, nullptr);
  EXPECT_EQ(wlDDSurfaceCount(), 0);
  ASSERT_TRUE(wlPeekMessage(&m, true));
  EXPECT_EQ(m.message, (uint32_t)WM_QUIT);
  vStop();
}

TEST(XVideo, MousePoll) {
  vStart(32, nullptr);
  xVideoSetMode(320, 240, 0, 32, 0xff0000, 0xff00, 0xff);
  xMouseHideAllowed = 1;
  PlatPoint o = {0, 0};
  wlClientToScreen(xVideoWindow, &o);
  // An all-zero area: inside only at the client's (0, 0).
  platHeadlessSetCursor(o.x, o.y);
  xMousePoll();
  EXPECT_EQ(xMouseInside, 1);
  EXPECT_LT(wlShowCursor(1), 1);  // was hidden (count below 0)
  wlShowCursor(0);
  platHeadlessSetCursor(o.x + 1, o.y);
  xMousePoll();
  EXPECT_EQ(xMouseInside, 0);
  EXPECT_GE(wlShowCursor(0) + 1, 0);
  xMouseSetArea(0, 0, 100, 50);
  gVEvents.clear();
  xSysAddResponder(
      +[](void* r) { gVEvents = std::to_string(((int32_t*)r)[0]) + "," + std::to_string(((int32_t*)r)[1]); },
      XSYS_MOUSE_MOVED, 1);
  platHeadlessSetCursor(o.x + 100, o.y + 50);
  xMousePoll();
  EXPECT_EQ(gVEvents, "99,49");  // clamped, right and bottom exclusive
  vStop();
}

TEST(XVideo, ErrorNames) {
  EXPECT_STREQ(xDDErrorName(DDERR_SURFACELOST), "DDERR_SURFACELOST");
  EXPECT_STREQ(xDDErrorName((int32_t)0x80070057), "DDERR_INVALIDPARAMS");
  EXPECT_STREQ(xDDErrorName((int32_t)0x8007000E), "DDERR_OUTOFMEMORY");
  EXPECT_STREQ(xDDErrorName((int32_t)0x800401F0), "DDERR_NOTINITIALIZED");
  EXPECT_STREQ(xDDErrorName((int32_t)(0x88760000u | 560)), "DDERR_XALIGN");
  EXPECT_STREQ(xDDErrorName((int32_t)(0x88760000u | 5)), "DDERR_ALREADYINITIALIZED");
  EXPECT_STREQ(xDDErrorName((int32_t)(0x88760000u | 384)), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE");
  EXPECT_STREQ(xDDErrorName(0), "DDERR_UNKNOWN");
  EXPECT_STREQ(xDDErrorName((int32_t)(0x88760000u | 1)), "DDERR_UNKNOWN");
  // 99 distinct names over 99 distinct values.
  int named = 0;
  for (uint32_t c = 0; c < 1024; c++)
    named += std::strcmp(xDDErrorName((int32_t)(0x88760000u | c)), "DDERR_UNKNOWN") != 0;
  EXPECT_EQ(named, 99 - 5);  // five are generic COM values
}
