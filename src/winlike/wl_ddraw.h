// DirectDraw-like display objects: display modes, cooperative level, primary surface with a
// flip chain (full screen) or a clipped window view (windowed), off-screen surfaces, lock,
// flip, blit, lost surfaces. Result codes and flags carry ddraw.h's values.
// Surfaces live in memory; the platform shows the primary after Flip or a blit into it.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

typedef int32_t HRESULT_;  // negative = failure
#define DD_MAKE(code) ((int32_t)(0x88760000u | (uint32_t)(code)))

enum : int32_t {
  DD_OK = 0,
  DDERR_GENERIC = (int32_t)0x80004005,
  DDERR_INVALIDPARAMS = (int32_t)0x80070057,
  DDERR_OUTOFMEMORY = (int32_t)0x8007000E,
  DDERR_UNSUPPORTED = (int32_t)0x80004001,
  DDERR_NOTINITIALIZED = (int32_t)0x800401F0,
  DDERR_INVALIDMODE = DD_MAKE(120),
  DDERR_INVALIDOBJECT = DD_MAKE(130),
  DDERR_INVALIDCAPS = DD_MAKE(100),
  DDERR_INVALIDRECT = DD_MAKE(150),
  DDERR_NOEXCLUSIVEMODE = DD_MAKE(225),
  DDERR_NOTFOUND = DD_MAKE(255),
  DDERR_SURFACEBUSY = DD_MAKE(430),
  DDERR_SURFACELOST = DD_MAKE(450),
  DDERR_NOTFLIPPABLE = DD_MAKE(582),
  DDERR_NOTLOCKED = DD_MAKE(584),
  DDERR_PRIMARYSURFACEALREADYEXISTS = DD_MAKE(564),
  DDERR_NOCOOPERATIVELEVELSET = DD_MAKE(212),
  DDERR_NOHWND = DD_MAKE(569),
  DDERR_UNSUPPORTEDMODE = DD_MAKE(590),
  DDERR_WRONGMODE = DD_MAKE(587),
  DDERR_NODIRECTDRAWHW = DD_MAKE(563),
  DDERR_DIRECTDRAWALREADYCREATED = DD_MAKE(562),
  DDERR_INVALIDPIXELFORMAT = DD_MAKE(145),
};

enum : uint32_t {
  DDSCL_FULLSCREEN = 0x01,
  DDSCL_NORMAL = 0x08,
  DDSCL_EXCLUSIVE = 0x10,
  DDSCAPS_BACKBUFFER = 0x04,
  DDSCAPS_COMPLEX = 0x08,
  DDSCAPS_FLIP = 0x10,
  DDSCAPS_OFFSCREENPLAIN = 0x40,
  DDSCAPS_PRIMARYSURFACE = 0x200,
  DDSCAPS_VIDEOMEMORY = 0x4000,
  DDSD_CAPS = 0x1,
  DDSD_HEIGHT = 0x2,
  DDSD_WIDTH = 0x4,
  DDSD_PITCH = 0x8,
  DDSD_BACKBUFFERCOUNT = 0x20,
  DDSD_PIXELFORMAT = 0x1000,
  DDLOCK_WAIT = 0x1,
  DDLOCK_NOSYSLOCK = 0x800,
  DDBLT_WAIT = 0x01000000,
  DDEDM_STANDARDVGAMODES = 0x2,
  DDSDM_STANDARDVGAMODE = 0x1,
  DDPF_RGB = 0x40,
};
enum : int32_t { DDENUMRET_CANCEL = 0, DDENUMRET_OK = 1 };

// The platform's pixel format, with DDPF_RGB in its flags.
typedef PlatPixelFormat DDPixelFormat;
static_assert((uint32_t)DDPF_RGB == (uint32_t)PLAT_PF_RGB, "one value for direct colour");

struct DDSurfaceDesc {
  uint32_t flags;  // DDSD_ bits naming the valid fields
  uint32_t width, height;
  int32_t pitch;  // bytes per line
  uint32_t backBufferCount;
  uint32_t caps;  // DDSCAPS_ bits
  DDPixelFormat pixelFormat;
  void* surface;  // the memory while locked
};

typedef struct WlDDRec* LPDIRECTDRAW7;
typedef struct WlDDSurfaceRec* LPDIRECTDRAWSURFACE7;
typedef struct WlDDClipperRec* LPDIRECTDRAWCLIPPER;
typedef int32_t (*WlDDEnumModes)(const DDSurfaceDesc* desc, void* context);

// DirectDrawCreate + QueryInterface(IDirectDraw7) in one step.
int32_t wlDDCreate(LPDIRECTDRAW7* out);
int32_t wlDDRelease(LPDIRECTDRAW7 dd);
int32_t wlDDEnumDisplayModes(LPDIRECTDRAW7 dd, uint32_t flags, WlDDEnumModes callback, void* context);
int32_t wlDDSetCooperativeLevel(LPDIRECTDRAW7 dd, WlHwnd window, uint32_t flags);
int32_t wlDDSetDisplayMode(LPDIRECTDRAW7 dd, uint32_t width, uint32_t height, uint32_t bits, uint32_t refresh,
                           uint32_t flags);
int32_t wlDDRestoreDisplayMode(LPDIRECTDRAW7 dd);
int32_t wlDDCreateSurface(LPDIRECTDRAW7 dd, const DDSurfaceDesc* desc, LPDIRECTDRAWSURFACE7* out);
int32_t wlDDCreateClipper(LPDIRECTDRAW7 dd, uint32_t flags, LPDIRECTDRAWCLIPPER* out);

int32_t wlClipperSetHWnd(LPDIRECTDRAWCLIPPER clipper, uint32_t flags, WlHwnd window);
int32_t wlClipperRelease(LPDIRECTDRAWCLIPPER clipper);

int32_t wlSurfGetAttachedSurface(LPDIRECTDRAWSURFACE7 s, uint32_t caps, LPDIRECTDRAWSURFACE7* out);
int32_t wlSurfGetSurfaceDesc(LPDIRECTDRAWSURFACE7 s, DDSurfaceDesc* desc);
int32_t wlSurfGetPixelFormat(LPDIRECTDRAWSURFACE7 s, DDPixelFormat* format);
// Whole surface only (rect must be null); desc receives the memory and pitch.
int32_t wlSurfLock(LPDIRECTDRAWSURFACE7 s, const PlatRect* rect, DDSurfaceDesc* desc, uint32_t flags);
int32_t wlSurfUnlock(LPDIRECTDRAWSURFACE7 s, const PlatRect* rect);
// Exchanges the primary's memory with its back buffer's and shows it.
int32_t wlSurfFlip(LPDIRECTDRAWSURFACE7 primary, LPDIRECTDRAWSURFACE7 override, uint32_t flags);
// Copies (stretching by nearest pixel when sizes differ) between surfaces of one format.
// A blit into a windowed primary takes screen coordinates and is clipped to the client area.
// One that fills the whole client area at 1:1 (the windowed present) shows the source without
// copying it; reading the primary back (Lock, a blit from it) then copies the source's picture
// as it is at that moment, as reading a screen gives what it shows.
int32_t wlSurfBlt(LPDIRECTDRAWSURFACE7 dst, const PlatRect* dstRect, LPDIRECTDRAWSURFACE7 src, const PlatRect* srcRect,
                  uint32_t flags);
int32_t wlSurfSetClipper(LPDIRECTDRAWSURFACE7 s, LPDIRECTDRAWCLIPPER clipper);
int32_t wlSurfIsLost(LPDIRECTDRAWSURFACE7 s);
int32_t wlSurfRestore(LPDIRECTDRAWSURFACE7 s);
// Releases the surface (a primary takes its back buffer with it).
int32_t wlSurfRelease(LPDIRECTDRAWSURFACE7 s);

// Marks every surface lost and scribbles its memory (the display was taken by another program).
void wlDDLoseSurfaces();
// Number of live surfaces (for tests and leak checks).
int32_t wlDDSurfaceCount();
