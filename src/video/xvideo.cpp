#include "video/xvideo.h"

#include <cstdlib>
#include <cstring>

#include "system/xcursor.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"

WlHwnd xVideoWindow = nullptr;
LPDIRECTDRAW7 DDraw = nullptr;
LPDIRECTDRAW7 DDrawI = nullptr;
xVideoMode xVideoModes[XVIDEO_MAX_MODES];
int32_t xVideoModeCount = 0;
int32_t xVideoFullScreen = 0;
xVideoMode xVideoSelected = {0, 0, 0};
LPDIRECTDRAWSURFACE7 lpDDS_Primary = nullptr, lpDDS_Back = nullptr, lpDDS_Shadow = nullptr;
int32_t xVideoShadowPitch = 0;
PlatRect xVideoSrcRect, xVideoDstRect, xVideoWindowRect;
HermesFormat xVideoScreenFormat, xVideoBufferFormat;
HermesHandle xVideoConverter = 0;
uint8_t* xVideoBuffer = nullptr;
int32_t xVideoBufferPitch = 0, xVideoPixelCount = 0, xVideoBytesPerPixel = 0;

static const char* xVideoClassName = "vAvuvad: DirectX 7.0 window";

// DirectDraw results: negative is a failure, reported with the result's name.
static void xVideoCheck(int32_t result, const char* step) {
  if (result < 0) xErrMsg(xFormat("%s: %s", step, xDDErrorName(result)));
}

void xVideoInit() {
  WlWndClass wc = {CS_BYTEALIGNWINDOW, xVideoWindowProc, xSysIcon, xVideoClassName};
  if (!wlRegisterClass(&wc)) xErrMsg("xVideoInit::RegisterClass(...) - unable to register class");
  xVideoWindow = wlCreateWindow(xVideoClassName, xSysTitle, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0,
                                0, CW_USEDEFAULT, CW_USEDEFAULT);
  if (!xVideoWindow) xErrMsg("xVideoInit::CreateWindow(..) - unable to create window");
  xSysWindow = xVideoWindow;
  wlShowWindow(xVideoWindow, SW_SHOWNORMAL);
  wlUpdateWindow(xVideoWindow);
  xLog.Print("Initializing video driver");
  if (!Hermes_Init()) xErrMsg("xVideoInit::Hermes_Init()");
  xVideoConverter = Hermes_ConverterInstance(0);
  if (!xVideoConverter) xErrMsg("xVideoInit:: couldnt create hermes converter instance ");
  xVideoCheck(wlDDCreate(&DDraw), "xVideoInit::DirectDrawCreate()");
  DDrawI = DDraw;  // the object already answers the version-7 interface
  if (!DDrawI) xErrMsg("xVideoInit::QueryInterface()");
  xVideoModeCount = 0;
  xVideoCheck(wlDDEnumDisplayModes(DDrawI, DDEDM_STANDARDVGAMODES, DDraw_DisplayModesCallBack, nullptr),
              "xVideoInit::DDrawI->EnumDisplayModes()");
  lpDDS_Primary = lpDDS_Back = lpDDS_Shadow = nullptr;
}

int32_t DDraw_DisplayModesCallBack(const DDSurfaceDesc* desc, void*) {
  if (xVideoModeCount >= XVIDEO_MAX_MODES)
    xErrMsg(xFormat("DDraw_DisplayModesCallBack:: Limit of %d video modes exceeded", XVIDEO_MAX_MODES));
  xVideoModes[xVideoModeCount++] = {(int32_t)desc->width, (int32_t)desc->height, (int32_t)desc->pixelFormat.bitCount};
  return DDENUMRET_OK;
}

int32_t xVideoGetActualMode(int32_t width, int32_t height, int32_t bits) {
  if (bits != 16 && bits != 24 && bits != 32)
    xErrAt("Xvideo", 171, xFormat("xVideoGetActualMode:: %dbpp not supported", bits));
  xLog.Print("* video modes found -----------------");
  for (int32_t i = 0; i < xVideoModeCount; i++)
    xLog.Print(xFormat("enum mode %3d: %4d x %4d x %2d bpp", i, xVideoModes[i].width, xVideoModes[i].height,
                       xVideoModes[i].bits));
  xVideoSelected = {width, height, bits};
  bool sized = false, have[33] = {};
  for (int32_t i = 0; i < xVideoModeCount; i++) {
    const xVideoMode& m = xVideoModes[i];
    if (m.width != width || m.height != height) continue;
    if (m.bits == bits) return 0;
    sized = true;
    if (m.bits >= 0 && m.bits <= 32) have[m.bits] = true;
  }
  if (!sized) return 1;
  static const int32_t prefer[3][3] = {{32, 24, 16}, {24, 32, 16}, {16, 32, 24}};
  for (auto& p : prefer) {
    if (p[0] != bits) continue;
    for (int32_t k = 1; k < 3; k++) {
      if (have[p[k]]) {
        xVideoSelected.bits = p[k];
        return 2;
      }
    }
  }
  xErrAt("Xvideo", 205, "This must not happen, report to quorvane@kelvo.example!");
}

void xVideoPlaceWindow() {
  int32_t w = xVideoSelected.width + 2 * wlGetSystemMetrics(SM_CXFRAME);
  int32_t h = xVideoSelected.height + wlGetSystemMetrics(SM_CYCAPTION) + 2 * wlGetSystemMetrics(SM_CYFRAME);
  int32_t left = (wlGetSystemMetrics(SM_CXSCREEN) - w) >> 1;
  int32_t top = (wlGetSystemMetrics(SM_CYSCREEN) - h) >> 1;
  wlSetWindowPos(xVideoWindow, HWND_NOTOPMOST, left, top, w, h, SWP_SHOWWINDOW);
  wlGetWindowRect(xVideoWindow, &xVideoWindowRect);
}

void xVideoSetMode(int32_t width, int32_t height, int32_t fullScreen, int32_t bits, uint32_t rMask, uint32_t gMask,
                   uint32_t bMask) {
  xVideoFullScreen = fullScreen;
  int32_t found = xVideoGetActualMode(width, height, bits);
  if (found == 1 && xVideoFullScreen) {
    int answer = wlMessageBox(
        xFormat("Requied video mode : %dx%dx%dbpp not supported in fullscreen by hardware,procceed in window?\n", width,
                height, bits),
        xSysTitle ? xSysTitle : "", MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) xErrMsg("No supporting video modes found");
    xVideoFullScreen = 0;
    xVideoSelected.bits = bits;
  }
  xLog.Print("---------------------------------");
  xLog.Print(
      xFormat("selected mode : %d x %d x %dbpp", xVideoSelected.width, xVideoSelected.height, xVideoSelected.bits));
  xVideoPlaceWindow();
  if (lpDDS_Shadow) wlSurfRelease(lpDDS_Shadow);
  if (lpDDS_Primary) wlSurfRelease(lpDDS_Primary);
  lpDDS_Shadow = lpDDS_Primary = lpDDS_Back = nullptr;
  xSysShowCursor(!xVideoFullScreen);
  xVideoInitSurfaces();
  xVideoInitSurface(width, height, bits, rMask, gMask, bMask);
  xLog.Print(xVideoBufferFormat.r == xVideoScreenFormat.r ? "videomode: direct" : "videomode: converted");
  xLog.Print(xFormat("mask.r = 0x%X mask.g = 0x%X mask.b = 0x%X .mask.alpha = 0x%X", xVideoScreenFormat.r,
                     xVideoScreenFormat.g, xVideoScreenFormat.b, xVideoScreenFormat.a));
  uint32_t record = (uint32_t)xVideoFullScreen;
  xSysDispatch(XSYS_MODE_SET, &record);
  xSysActive = 1;
}

static void xVideoScreenFormatFrom(const DDPixelFormat& pf) {
  std::memset(&xVideoScreenFormat, 0, sizeof xVideoScreenFormat);
  xVideoScreenFormat.r = pf.rBitMask;
  xVideoScreenFormat.g = pf.gBitMask;
  xVideoScreenFormat.b = pf.bBitMask;
  xVideoScreenFormat.a = pf.aBitMask;
  xVideoScreenFormat.bits = (int32_t)pf.bitCount;
  xVideoScreenFormat.indexed = 0;
}

static void xVideoCreateShadow() {
  DDSurfaceDesc d;
  std::memset(&d, 0, sizeof d);
  d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.caps = DDSCAPS_OFFSCREENPLAIN;
  d.width = (uint32_t)xVideoSelected.width;
  d.height = (uint32_t)xVideoSelected.height;
  xVideoCheck(wlDDCreateSurface(DDrawI, &d, &lpDDS_Shadow),
              "xVideoInitSurfaces::DDrawI->CreateSurface( lpDDS_Shadow )");
  xVideoCheck(wlSurfGetSurfaceDesc(lpDDS_Shadow, &d), "xVideoInitSurfaces::lpDDS_Shadow->GetSurfaceDesc");
  xVideoShadowPitch = d.pitch;
}

void xVideoInitSurfaces() {
  if (!DDrawI) xErrMsg("xVideoInitSurfaces::DirectDraw7 interface not initialized");
  DDSurfaceDesc d;
  DDPixelFormat pf;
  if (xVideoFullScreen) {
    xVideoCheck(wlDDSetCooperativeLevel(DDrawI, xVideoWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                "xVideoInitSurfaces::DDrawI->SetCopperativeLevel( DDSCL_FULLSCREEN )");
    xLog.Print(xFormat("entering mode: size_x = %d size_y = %d bpp = %d", xVideoSelected.width, xVideoSelected.height,
                       xVideoSelected.bits));
    xVideoCheck(wlDDSetDisplayMode(DDrawI, (uint32_t)xVideoSelected.width, (uint32_t)xVideoSelected.height,
                                   (uint32_t)xVideoSelected.bits, 0, DDSDM_STANDARDVGAMODE),
                "xVideoInitSurfaces::DDrawI->SetDisplayMode");
    xVideoSrcRect = xVideoDstRect = {0, 0, xVideoSelected.width, xVideoSelected.height};
    std::memset(&d, 0, sizeof d);
    d.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.backBufferCount = 1;
    xVideoCheck(wlDDCreateSurface(DDrawI, &d, &lpDDS_Primary),
                "xVideoInitSurfaces::DDrawI->CreateSurface( lpDDS_Primary )");
    xVideoCheck(wlSurfGetAttachedSurface(lpDDS_Primary, DDSCAPS_BACKBUFFER, &lpDDS_Back),
                "xVideoInitSurfaces::lpDDS_Primary->GetAttachedSurface");
    xVideoCreateShadow();
    xVideoCheck(wlSurfGetPixelFormat(lpDDS_Primary, &pf), "xVideoInitSurfaces::lpDDS_Primary->GetPixelFormat()");
    xVideoScreenFormatFrom(pf);
    return;
  }
  xVideoCheck(wlDDSetCooperativeLevel(DDrawI, xVideoWindow, DDSCL_NORMAL),
              "xVideoInitSurfaces::DDrawI->SetCooperativeLevel( DDSCL_NORMAL )");
  wlGetClientRect(xVideoWindow, &xVideoSrcRect);
  xVideoDstRect = xVideoSrcRect;
  wlClientToScreen(xVideoWindow, (PlatPoint*)&xVideoDstRect.left);
  wlClientToScreen(xVideoWindow, (PlatPoint*)&xVideoDstRect.right);
  std::memset(&d, 0, sizeof d);
  d.flags = DDSD_CAPS;
  d.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
  xVideoCheck(wlDDCreateSurface(DDrawI, &d, &lpDDS_Primary), "xVideoInitSurfaces::DDraw->CreateSurface( lpDDS_Primary");
  xVideoCreateShadow();
  xVideoCheck(wlSurfGetPixelFormat(lpDDS_Shadow, &pf), "xVideoInitSurfaces::lpDDS_Shadow->GetPixelFormat");
  xVideoScreenFormatFrom(pf);
  LPDIRECTDRAWCLIPPER clipper = nullptr;
  xVideoCheck(wlDDCreateClipper(DDrawI, 0, &clipper), "xVideoInitSurfaces::DDraw->CreateClipper");
  xVideoCheck(wlClipperSetHWnd(clipper, 0, xVideoWindow), "xVideoInitSurface::lpDD_Clipper->SetHWnd");
  xVideoCheck(wlSurfSetClipper(lpDDS_Primary, clipper), "xVideoInitSurfaces::SetClipper( lpDD_Clipper )");
  wlClipperRelease(clipper);  // the primary keeps it alive
}

void xVideoInitSurface(int32_t width, int32_t height, int32_t bits, uint32_t rMask, uint32_t gMask, uint32_t bMask) {
  xVideoBytesPerPixel = (bits + 7) / 8;
  xVideoPixelCount = width * height;
  // A second mode setting replaces the buffer; nothing else holds the old one.
  std::free(xVideoBuffer);
  xVideoBuffer = (uint8_t*)std::calloc((size_t)xVideoPixelCount * (size_t)xVideoBytesPerPixel, 1);
  if (!xVideoBuffer) xErrCode("Xvideo", 390, 1, nullptr);
  std::memset(&xVideoBufferFormat, 0, sizeof xVideoBufferFormat);
  xVideoBufferFormat.r = rMask;
  xVideoBufferFormat.g = gMask;
  xVideoBufferFormat.b = bMask;
  xVideoBufferFormat.a = 0;
  xVideoBufferFormat.bits = bits;
  xVideoBufferFormat.indexed = 0;
  xVideoBufferPitch = xVideoBytesPerPixel * width;
  if (!Hermes_ConverterRequest(xVideoConverter, &xVideoBufferFormat, &xVideoScreenFormat))
    xErrMsg("xVideoInitSurface::Hermes_ConverterRequest() fault");
}

void xVideoPresent() {
  xSysDispatch(XSYS_PRESENT_BEGIN, nullptr);
  if (!lpDDS_Primary || !lpDDS_Shadow || !xVideoBuffer) {
    xSysDispatch(XSYS_PRESENT_END, nullptr);
    return;
  }
  if (wlSurfIsLost(lpDDS_Primary) != DD_OK || wlSurfIsLost(lpDDS_Shadow) != DD_OK) {
    if (!xVideoRestoreSurfaces()) {
      xSysDispatch(XSYS_PRESENT_END, nullptr);
      return;
    }
  }
  LPDIRECTDRAWSURFACE7 target = xVideoFullScreen ? lpDDS_Back : lpDDS_Shadow;
  DDSurfaceDesc d;
  std::memset(&d, 0, sizeof d);
  uint32_t flags = xVideoFullScreen ? DDLOCK_WAIT : DDLOCK_WAIT | DDLOCK_NOSYSLOCK;
  if (wlSurfLock(target, nullptr, &d, flags) != DD_OK) return;
  Hermes_ConverterCopy(xVideoConverter, xVideoBuffer, 0, 0, xVideoSelected.width, xVideoSelected.height,
                       xVideoBufferPitch, d.surface, 0, 0, xVideoSelected.width, xVideoSelected.height, d.pitch);
  wlSurfUnlock(target, nullptr);
  if (xVideoFullScreen) wlSurfFlip(lpDDS_Primary, nullptr, 0);
  else wlSurfBlt(lpDDS_Primary, &xVideoDstRect, lpDDS_Shadow, &xVideoSrcRect, DDBLT_WAIT);
  xSysDispatch(XSYS_PRESENT_END, nullptr);
}

int32_t xVideoRestoreSurfaces() {
  if (wlSurfRestore(lpDDS_Primary) != DD_OK) return 0;
  return wlSurfRestore(lpDDS_Shadow) == DD_OK ? 1 : 0;
}

void xVideoResetForTests() {
  std::free(xVideoBuffer);
  xVideoBuffer = nullptr;
  xVideoWindow = nullptr;
  DDraw = DDrawI = nullptr;
  xVideoModeCount = 0;
  xVideoFullScreen = 0;
  lpDDS_Primary = lpDDS_Back = lpDDS_Shadow = nullptr;
  if (xVideoConverter) Hermes_ConverterReturn(xVideoConverter);
  xVideoConverter = 0;
  xMouseArea = {0, 0, 0, 0};
  xMouseHidden = xMouseInside = xMouseHideAllowed = 0;
}
