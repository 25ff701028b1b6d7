// The engine window's procedure, the release of the display objects and the switch
// between windowed and full-screen display.
#include <cstring>

#include "system/xcursor.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"
#include "video/xvideo.h"

static bool xVideoSurfacesPresent() { return xVideoBuffer && lpDDS_Primary && lpDDS_Shadow; }

static void xVideoClientRects() {
  wlGetClientRect(xVideoWindow, &xVideoSrcRect);
  xVideoDstRect = xVideoSrcRect;
  wlClientToScreen(xVideoWindow, (PlatPoint*)&xVideoDstRect.left);
  wlClientToScreen(xVideoWindow, (PlatPoint*)&xVideoDstRect.right);
}

intptr_t xVideoWindowProc(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_DESTROY:
    case WM_QUIT:
      xVideoReleaseObjects(window);
      if (DDrawI) wlDDRelease(DDrawI);
      DDrawI = DDraw = nullptr;
      xSysDone();
      xSysQuit();
      return wlDefWindowProc(window, message, wParam, lParam);
    case WM_MOVE:
      if (xSysActive && !xVideoFullScreen) {
        wlGetClientRect(window, &xVideoWindowRect);
        xVideoClientRects();
      }
      return 1;
    case WM_SIZE:
      xLog.Print("WM_SIZE");
      if (wParam == SIZE_RESTORED && xSysActive && xVideoSurfacesPresent()) xVideoPresent();
      return 1;
    case WM_CLOSE: xSysDispatch(XSYS_CLOSE, nullptr); return 1;
    case WM_ERASEBKGND:
      xLog.Print("WM_ERASEBACKGROUND");
      if (xVideoSurfacesPresent()) xVideoPresent();
      return 1;
    case WM_ACTIVATEAPP:
      if (wParam) {
        xLog.Print("WM_ACTIVATEAPP -> activating...");
        xMouseHideAllowed = 1;
        xSysSetActive(1);
        if (xVideoSurfacesPresent()) {
          xVideoPresent();
          xMousePoll();
        }
      } else {
        xSysShowCursor(true);
        xSysSetActive(0);
        xLog.Print("WM_ACTIVATEAPP -> deactivating...");
      }
      return 1;
    case WM_GETMINMAXINFO: {
      WlMinMaxInfo* info = (WlMinMaxInfo*)lParam;
      int32_t w = xVideoSelected.width + 2 * wlGetSystemMetrics(SM_CXFRAME);
      int32_t h = xVideoSelected.height + wlGetSystemMetrics(SM_CYCAPTION) + 2 * wlGetSystemMetrics(SM_CYFRAME);
      // Before a mode is chosen there is no size to hold the window to.
      if (info && xVideoSelected.width > 0) info->ptMinTrackSize = info->ptMaxTrackSize = {w, h};
      return 1;
    }
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return 1;
    case WM_EXITSIZEMOVE:
      xLog.Print("WM_EXITSIZEMOVE");
      if (xVideoSurfacesPresent() && xSysActive) xVideoPresent();
      return 1;
    default: return wlDefWindowProc(window, message, wParam, lParam);
  }
}

void xVideoReleaseObjects(WlHwnd window) {
  if (!DDrawI) return;
  int32_t r = wlDDSetCooperativeLevel(DDrawI, window, DDSCL_NORMAL);
  if (r < 0) xErrMsg(xFormat("%s: %s", "xVideoReleaseObjects::DDrawI->SetCooperativeLevel", xDDErrorName(r)));
  if (lpDDS_Shadow) wlSurfRelease(lpDDS_Shadow);
  lpDDS_Shadow = nullptr;
  if (lpDDS_Primary) wlSurfRelease(lpDDS_Primary);
  lpDDS_Primary = lpDDS_Back = nullptr;
  if (xVideoFullScreen == 1) wlDDRestoreDisplayMode(DDrawI);
}

void xVideoChangeCoopLevel(WlHwnd window, int32_t fullScreen) {
  if (fullScreen == xVideoFullScreen) return;
  xSysActive = 0;
  xVideoReleaseObjects(window);
  xVideoFullScreen = fullScreen;
  if (!fullScreen) {
    xSysShowCursor(true);
    PlatRect r;
    wlGetWindowRect(window, &r);
    wlSetWindowPos(window, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
  } else {
    xSysShowCursor(false);
  }
  xVideoInitSurfaces();
  if (!fullScreen) {
    xVideoPlaceWindow();
    xVideoClientRects();
  }
  uint32_t record = (uint32_t)xVideoFullScreen;
  xSysDispatch(XSYS_MODE_SET, &record);
  xLog.Print(xFormat("change coop level: %s", fullScreen == 1 ? "fullscreen" : "windowed"));
  xLog.Print(xFormat("new mask         : r = 0x%X , g = 0x%X, b = 0x%X, alpha = 0x%X", xVideoScreenFormat.r,
                     xVideoScreenFormat.g, xVideoScreenFormat.b, xVideoScreenFormat.a));
  if (!Hermes_ConverterRequest(xVideoConverter, &xVideoBufferFormat, &xVideoScreenFormat))
    xErrMsg("xVideoChangeCoopLevel::Hermes_ConverterRequest() fault");
  xSysActive = 1;
  xVideoPresent();
}
