// The video driver: the engine window, the DirectDraw-like display objects, the 32-bit frame
// buffer and its conversion to the screen's format on every presentation.
#pragma once
#include <cstdint>

#include "hermes/hermes.h"
#include "winlike/wl_ddraw.h"

struct xVideoMode {
  int32_t width, height, bits;
};
enum : int32_t { XVIDEO_MAX_MODES = 64 };

extern WlHwnd xVideoWindow;
extern LPDIRECTDRAW7 DDraw;   // the DirectDraw object
extern LPDIRECTDRAW7 DDrawI;  // the interface all work goes through
extern xVideoMode xVideoModes[XVIDEO_MAX_MODES];
extern int32_t xVideoModeCount;
extern int32_t xVideoFullScreen;  // 1 full screen, 0 windowed
extern xVideoMode xVideoSelected;
extern LPDIRECTDRAWSURFACE7 lpDDS_Primary, lpDDS_Back, lpDDS_Shadow;
extern int32_t xVideoShadowPitch;
extern PlatRect xVideoSrcRect, xVideoDstRect, xVideoWindowRect;
extern HermesFormat xVideoScreenFormat, xVideoBufferFormat;
extern HermesHandle xVideoConverter;
extern uint8_t* xVideoBuffer;  // the frame buffer
extern int32_t xVideoBufferPitch, xVideoPixelCount, xVideoBytesPerPixel;

void xVideoInit();
void xVideoSetMode(int32_t width, int32_t height, int32_t fullScreen, int32_t bits, uint32_t rMask, uint32_t gMask,
                   uint32_t bMask);
// 0 exact mode available, 1 no mode of that size, 2 the size at another depth (now selected).
int32_t xVideoGetActualMode(int32_t width, int32_t height, int32_t bits);
int32_t DDraw_DisplayModesCallBack(const DDSurfaceDesc* desc, void* context);
void xVideoInitSurfaces();
void xVideoInitSurface(int32_t width, int32_t height, int32_t bits, uint32_t rMask, uint32_t gMask, uint32_t bMask);
// Centres the window so its client area is the selected size; keeps the window rectangle.
void xVideoPlaceWindow();
void xVideoPresent();
int32_t xVideoRestoreSurfaces();
const char* xDDErrorName(int32_t result);

// Window procedure and display switching.
intptr_t xVideoWindowProc(WlHwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void xVideoChangeCoopLevel(WlHwnd window, int32_t fullScreen);
void xVideoReleaseObjects(WlHwnd window);

// Mouse: the cursor hides over the mouse area and positions inside it raise event 2.
extern PlatRect xMouseArea;
extern PlatPoint xMousePos;
extern uint8_t xMouseHidden, xMouseInside, xMouseHideAllowed;
void xMouseSetArea(int32_t left, int32_t top, int32_t right, int32_t bottom);
void xMousePoll();

// Forgets every object (process-wide state) so tests can start the driver again.
void xVideoResetForTests();
