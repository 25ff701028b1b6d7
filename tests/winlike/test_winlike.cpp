#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/qvtest.h"
#include "platform/plat_headless.h"
#include "winlike/wl_ddraw.h"
#include "winlike/wl_dinput.h"
#include "winlike/wl_script.h"

static std::string gMsgs;
static intptr_t pProc(WlHwnd w, uint32_t m, uintptr_t wp, intptr_t lp) {
  gMsgs += std::to_string(m) + ";";
  if (m == WM_GETMINMAXINFO) {
    WlMinMaxInfo* i = (WlMinMaxInfo*)lp;
    i->ptMinTrackSize = {200, 150};
    i->ptMaxTrackSize = {400, 300};
  }
  return wlDefWindowProc(w, m, wp, lp);
}

class Plat : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qvStartHeadless(), "");
    gMsgs.clear();
  }
  void TearDown() override { platShutdown(); }
  WlHwnd makeWindow() {
    WlWndClass wc = {0, pProc, nullptr, "plat"};
    EXPECT_TRUE(wlRegisterClass(&wc));
    EXPECT_FALSE(wlRegisterClass(&wc));  // once per name
    return wlCreateWindow("plat", "T", WS_CAPTION | WS_THICKFRAME, 10, 20, 300, 250);
  }
  // A window, a display object cooperating with it and its primary surface.
  void windowedPrimary(WlHwnd* w, LPDIRECTDRAW7* dd, LPDIRECTDRAWSURFACE7* prim) {
    *w = makeWindow();
    ASSERT_EQ(wlDDCreate(dd), DD_OK);
    ASSERT_EQ(wlDDSetCooperativeLevel(*dd, *w, DDSCL_NORMAL), DD_OK);
    DDSurfaceDesc d = {};
    d.flags = DDSD_CAPS;
    d.caps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(wlDDCreateSurface(*dd, &d, prim), DD_OK);
  }
  static void drain() {
    WlMsg m;
    while (wlPeekMessage(&m, true)) wlDispatchMessage(&m);
  }
};

TEST_F(Plat, QueueOrderAndQuitComesLast) {
  WlHwnd w = makeWindow();
  wlPostQuitMessage(3);
  wlPostMessage(w, WM_SIZE, 0, 0);
  WlMsg m;
  ASSERT_TRUE(wlPeekMessage(&m, false));
  EXPECT_EQ(m.message, (uint32_t)WM_SIZE);  // not removed
  ASSERT_TRUE(wlPeekMessage(&m, true));
  EXPECT_EQ(m.message, (uint32_t)WM_SIZE);
  ASSERT_TRUE(wlPeekMessage(&m, true));
  EXPECT_EQ(m.message, (uint32_t)WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(wlDispatchMessage(&m), 0);
  EXPECT_FALSE(wlPeekMessage(&m, true));
}

TEST_F(Plat, WindowGeometryAndActivation) {
  WlHwnd w = makeWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(wlCreateWindow("plat", "again", 0, 0, 0, 10, 10), nullptr);  // one window
  PlatRect c;
  wlGetClientRect(w, &c);
  EXPECT_EQ(c.right, 300 - 8);
  EXPECT_EQ(c.bottom, 250 - 19 - 8);
  PlatPoint p = {1, 2};
  wlClientToScreen(w, &p);
  EXPECT_EQ(p.x, 10 + 4 + 1);
  EXPECT_EQ(p.y, 20 + 19 + 4 + 2);
  wlShowWindow(w, SW_SHOWNORMAL);  // first show: the application becomes active
  drain();
  EXPECT_EQ(gMsgs, "28;");
  gMsgs.clear();
  wlSetWindowPos(w, HWND_NOTOPMOST, 0, 0, 1000, 100, 0);  // held to 400x150 by the procedure
  PlatRect r;
  wlGetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 150);
  EXPECT_EQ(gMsgs, "36;3;5;");
  EXPECT_EQ(wlGetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(wlGetSystemMetrics(SM_CYCAPTION), 19);
  gMsgs.clear();
  wlSendMessage(w, WM_CLOSE, 0, 0);  // default processing destroys the window
  EXPECT_EQ(gMsgs, "16;2;");
  EXPECT_FALSE(wlIsWindow(w));
}

TEST_F(Plat, CursorCountFollowsShowCursor) {
  EXPECT_EQ(wlShowCursor(0), -1);
  EXPECT_EQ(wlShowCursor(0), -2);
  EXPECT_EQ(wlShowCursor(1), -1);
  EXPECT_EQ(wlShowCursor(1), 0);
}

TEST_F(Plat, WaitingWithNothingLeftClosesTheWindow) {
  WlHwnd w = makeWindow();
  char err[100];
  ASSERT_TRUE(wlScriptAdd("5000:key:A", err, sizeof err));
  wlWaitMessage();  // jumps the clock to the scripted event
  EXPECT_GE(platPeekTickCount(), 5000u);
  wlWaitMessage();  // nothing left: a close request instead of a hang
  WlMsg m;
  ASSERT_TRUE(wlPeekMessage(&m, true));
  EXPECT_EQ(m.message, (uint32_t)WM_CLOSE);
  EXPECT_EQ(m.window, w);
}

TEST(PlatScript, NamesAndSyntax) {
  // Names (any case), numbers in hex or decimal, and what is refused (0).
  const struct {
    const char* name;
    uint32_t code;
  } keys[] = {{"ESC", 1},  {"enter", 28}, {"LALT", 56},  {"RALT", 184}, {"q", 0x10}, {"Z", 0x2C}, {"1", 2},
              {"0", 0x0B}, {"F10", 0x44}, {"F12", 0x58}, {"0x1c", 28},  {"300", 0},  {"NOKEY", 0}};
  for (const auto& k : keys) EXPECT_EQ(wlDIKFromName(k.name), k.code) << k.name;
  char err[200];
  wlScriptClear();
  EXPECT_TRUE(wlScriptAdd("10:key:ESC,5:close;7:move:-3:4", err, sizeof err));
  EXPECT_EQ(wlScriptPending(), 4);
  const char* bad[] = {"x:key:A", "10", "10:key", "10:move:1", "10:close:now", "-5:close", "10:key:A:B:C"};
  for (const char* b : bad) EXPECT_FALSE(wlScriptAdd(b, err, sizeof err)) << b;
  EXPECT_EQ(wlScriptPending(), 4);  // nothing added by a bad script
  wlScriptClear();
}

TEST_F(Plat, DirectDrawModesAndSurfaces) {
  WlHwnd w = makeWindow();
  LPDIRECTDRAW7 dd;
  ASSERT_EQ(wlDDCreate(&dd), DD_OK);
  static int n = 0;
  n = 0;
  wlDDEnumDisplayModes(
      dd, DDEDM_STANDARDVGAMODES, [](const DDSurfaceDesc*, void*) { return (int32_t)(++n < 4); }, nullptr);
  EXPECT_EQ(n, 4);  // the callback stopped the walk
  EXPECT_EQ(wlDDSetDisplayMode(dd, 320, 240, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(wlDDSetCooperativeLevel(dd, w, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  EXPECT_EQ(wlDDSetDisplayMode(dd, 333, 240, 32, 0, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(wlDDSetDisplayMode(dd, 320, 240, 16, 0, 0), DD_OK);
  DDSurfaceDesc d = {};
  d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.backBufferCount = 1;
  LPDIRECTDRAWSURFACE7 prim, back;
  ASSERT_EQ(wlDDCreateSurface(dd, &d, &prim), DD_OK);
  EXPECT_EQ(wlDDCreateSurface(dd, &d, &back), DDERR_PRIMARYSURFACEALREADYEXISTS);
  ASSERT_EQ(wlSurfGetAttachedSurface(prim, DDSCAPS_BACKBUFFER, &back), DD_OK);
  DDPixelFormat f;
  wlSurfGetPixelFormat(prim, &f);
  EXPECT_EQ(f.bitCount, 16u);
  EXPECT_EQ(f.gBitMask, 0x7E0u);
  DDSurfaceDesc l;
  ASSERT_EQ(wlSurfLock(back, nullptr, &l, DDLOCK_WAIT), DD_OK);
  EXPECT_GE(l.pitch, 640);
  EXPECT_EQ(wlSurfLock(back, nullptr, &l, DDLOCK_WAIT), DDERR_SURFACEBUSY);
  ((uint16_t*)l.surface)[0] = 0xF800;
  wlSurfUnlock(back, nullptr);
  ASSERT_EQ(wlSurfFlip(prim, nullptr, 0), DD_OK);
  PlatFrame fr;
  ASSERT_TRUE(platHeadlessLastFrame(&fr));
  EXPECT_EQ(((const uint16_t*)fr.pixels)[0], 0xF800);
  EXPECT_TRUE(fr.fullscreen);
  wlDDLoseSurfaces();
  EXPECT_EQ(wlSurfIsLost(prim), DDERR_SURFACELOST);
  EXPECT_EQ(wlSurfLock(back, nullptr, &l, 0), DDERR_SURFACELOST);
  EXPECT_EQ(wlSurfRestore(prim), DD_OK);
  EXPECT_EQ(wlSurfIsLost(prim), DD_OK);
  EXPECT_EQ(wlSurfRelease(prim), DD_OK);
  EXPECT_EQ(wlDDSurfaceCount(), 0);  // the back buffer went with it
  EXPECT_EQ(wlDDRelease(dd), DD_OK);
}

TEST_F(Plat, WindowedBlitIsClippedToTheClientArea) {
  WlHwnd w;
  LPDIRECTDRAW7 dd;
  LPDIRECTDRAWSURFACE7 prim, off;
  ASSERT_NO_FATAL_FAILURE(windowedPrimary(&w, &dd, &prim));
  DDSurfaceDesc d = {};
  d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.caps = DDSCAPS_OFFSCREENPLAIN;
  d.width = 4, d.height = 2;
  ASSERT_EQ(wlDDCreateSurface(dd, &d, &off), DD_OK);
  DDSurfaceDesc l;
  wlSurfLock(off, nullptr, &l, 0);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 4; x++) ((uint32_t*)((uint8_t*)l.surface + y * l.pitch))[x] = (uint32_t)(y * 10 + x + 1);
  wlSurfUnlock(off, nullptr);
  LPDIRECTDRAWCLIPPER clip;
  wlDDCreateClipper(dd, 0, &clip);
  wlClipperSetHWnd(clip, 0, w);
  wlSurfSetClipper(prim, clip);
  wlClipperRelease(clip);
  // Two pixels hang off the client's left edge (client origin is 14, 43 on the screen).
  PlatRect src = {0, 0, 4, 2}, dst = {12, 43, 16, 45};
  ASSERT_EQ(wlSurfBlt(prim, &dst, off, &src, DDBLT_WAIT), DD_OK);
  PlatFrame fr;
  ASSERT_TRUE(platHeadlessLastFrame(&fr));
  EXPECT_FALSE(fr.fullscreen);
  EXPECT_EQ(fr.width, 292);
  const uint32_t* row0 = (const uint32_t*)fr.pixels;
  const uint32_t* row1 = (const uint32_t*)(fr.pixels + fr.pitch);
  EXPECT_EQ(row0[0], 3u);
  EXPECT_EQ(row0[1], 4u);
  EXPECT_EQ(row0[2], 0u);
  EXPECT_EQ(row1[0], 13u);
  wlDDRelease(dd);
}

TEST_F(Plat, WholeClientBlitShowsTheSourceAndReadsBack) {
  WlHwnd w;
  LPDIRECTDRAW7 dd;
  LPDIRECTDRAWSURFACE7 prim, off;
  ASSERT_NO_FATAL_FAILURE(windowedPrimary(&w, &dd, &prim));
  DDSurfaceDesc d = {};
  DDSurfaceDesc pd;
  wlSurfGetSurfaceDesc(prim, &pd);
  d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.caps = DDSCAPS_OFFSCREENPLAIN;
  d.width = pd.width + 2, d.height = pd.height + 1;
  ASSERT_EQ(wlDDCreateSurface(dd, &d, &off), DD_OK);
  DDSurfaceDesc l;
  ASSERT_EQ(wlSurfLock(off, nullptr, &l, 0), DD_OK);
  for (uint32_t y = 0; y < d.height; y++)
    for (uint32_t x = 0; x < d.width; x++) ((uint32_t*)((uint8_t*)l.surface + y * l.pitch))[x] = y * 1000 + x;
  wlSurfUnlock(off, nullptr);
  // The client area from (1, 1) of the source, at the client's place on the screen.
  PlatRect src = {1, 1, (int32_t)pd.width + 1, (int32_t)pd.height + 1},
           dst = {14, 43, 14 + (int32_t)pd.width, 43 + (int32_t)pd.height};
  ASSERT_EQ(wlSurfBlt(prim, &dst, off, &src, DDBLT_WAIT), DD_OK);
  PlatFrame fr;
  ASSERT_TRUE(platHeadlessLastFrame(&fr));
  ASSERT_EQ(fr.width, (int32_t)pd.width);
  EXPECT_EQ(((const uint32_t*)(fr.pixels + 2 * fr.pitch))[3], 3004u);
  // A partial blit keeps the rest of the picture; reading the primary back gives all of it.
  PlatRect one = {0, 0, 1, 1}, corner = {14, 43, 15, 44};
  ASSERT_EQ(wlSurfBlt(prim, &corner, off, &one, DDBLT_WAIT), DD_OK);
  ASSERT_EQ(wlSurfLock(prim, nullptr, &l, 0), DD_OK);
  EXPECT_EQ(((const uint32_t*)l.surface)[0], 0u);
  EXPECT_EQ(((const uint32_t*)l.surface)[1], 1002u);
  EXPECT_EQ(((const uint32_t*)((uint8_t*)l.surface + 2 * l.pitch))[3], 3004u);
  wlSurfUnlock(prim, nullptr);
  // Releasing the source first leaves the primary its picture.
  ASSERT_EQ(wlSurfBlt(prim, &dst, off, &src, DDBLT_WAIT), DD_OK);
  wlSurfRelease(off);
  ASSERT_EQ(wlSurfLock(prim, nullptr, &l, 0), DD_OK);
  EXPECT_EQ(((const uint32_t*)l.surface)[0], 1001u);
  wlSurfUnlock(prim, nullptr);
  wlDDRelease(dd);
}

TEST_F(Plat, KeyboardDeviceStates) {
  WlHwnd w = makeWindow();
  LPDIRECTINPUT di;
  LPDIRECTINPUTDEVICE kb;
  EXPECT_EQ(wlDICreate(0x200, &di), DIERR_OLDDIRECTINPUTVERSION);
  ASSERT_EQ(wlDICreate(0x500, &di), DI_OK);
  ASSERT_EQ(wlDICreateKeyboard(di, &kb), DI_OK);
  EXPECT_EQ(wlDIDevAcquire(kb), DIERR_INVALIDPARAM);  // no data format yet
  wlDIDevSetDataFormatKeyboard(kb);
  EXPECT_EQ(wlDIDevSetCooperativeLevel(kb, w, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  ASSERT_EQ(wlDIDevSetCooperativeLevel(kb, w, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  DIPropDword p = {{sizeof p, sizeof(DIPropHeader), 0, DIPH_DEVICE}, 2};
  ASSERT_EQ(wlDIDevSetBufferSize(kb, &p), DI_OK);
  EXPECT_EQ(wlDIDevAcquire(kb), DIERR_OTHERAPPHASPRIO);  // window not active yet
  wlShowWindow(w, SW_SHOWNORMAL);
  ASSERT_EQ(wlDIDevAcquire(kb), DI_OK);
  wlDIKeyEvent(DIK_ESCAPE, true);
  wlDIKeyEvent(DIK_ESCAPE, false);
  wlDIKeyEvent(DIK_SPACE, true);  // third change: the buffer holds two
  DIDeviceObjectData r[4];
  uint32_t n = 4;
  EXPECT_EQ(wlDIDevGetDeviceData(kb, sizeof r[0], r, &n, 0), DI_BUFFEROVERFLOW);
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(r[0].ofs, (uint32_t)DIK_ESCAPE);
  EXPECT_EQ(r[0].data, 0x80u);
  EXPECT_EQ(r[1].data, 0u);
  EXPECT_LT(r[0].sequence, r[1].sequence);
  n = 4;
  EXPECT_EQ(wlDIDevGetDeviceData(kb, 12, r, &n, 0), DIERR_INVALIDPARAM);
  char err[100];
  ASSERT_TRUE(wlScriptAdd("0:deactivate", err, sizeof err));
  drain();
  n = 4;
  EXPECT_EQ(wlDIDevGetDeviceData(kb, sizeof r[0], r, &n, 0), DIERR_INPUTLOST);
  EXPECT_EQ(wlDIDevGetDeviceData(kb, sizeof r[0], r, &n, 0), DIERR_NOTACQUIRED);
  EXPECT_EQ(wlDIDevAcquire(kb), DIERR_OTHERAPPHASPRIO);
}

TEST(PlatHeadless, ConfigurationIsChecked) {
  PlatHeadlessConfig c;
  platHeadlessDefaults(&c);
  char err[200];
  c.desktopBits = 8;
  EXPECT_FALSE(platHeadlessConfigure(&c, err, sizeof err));
  c.desktopBits = 16;
  c.modes = "count:0";
  EXPECT_FALSE(platHeadlessConfigure(&c, err, sizeof err));
  c.modes = "320x240x16,";
  c.answers = "maybe";
  EXPECT_FALSE(platHeadlessConfigure(&c, err, sizeof err));
  EXPECT_STREQ(err, "bad message-box answer 'maybe' (yes, no, ok or hold)");
  c.answers = "no";
  ASSERT_TRUE(platHeadlessConfigure(&c, err, sizeof err));
  ASSERT_TRUE(platInit(PLAT_BACKEND_HEADLESS, err, sizeof err));
  EXPECT_EQ(wlMessageBox("Q?", "C", MB_YESNO), IDNO);
  EXPECT_EQ(wlMessageBox("Q?", "C", MB_YESNO), IDYES);  // answers used up
  EXPECT_EQ(wlMessageBox("Info", "C", MB_OK), IDOK);
  EXPECT_EQ(platHeadlessBoxCount(), 3);
  platOpenViewer("qvane.nfo");
  EXPECT_STREQ(platHeadlessLastViewer(), "qvane.nfo");
  platShutdown();
}
