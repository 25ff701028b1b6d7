// DirectDraw-like objects kept in memory; the backend shows the primary after Flip or a blit.
#include <cstdlib>
#include <cstring>

#include "winlike/wl_ddraw.h"
#include "winlike/wl_internal.h"

struct WlDDRec {
  bool used;
  uint32_t coop;
  WlHwnd window;
  bool modeSet;
  PlatMode mode;
};

struct WlDDClipperRec {
  int32_t refs;
  WlHwnd window;
};

struct WlDDSurfaceRec {
  bool used;
  bool lost;
  bool locked;
  bool windowView;  // windowed primary: the window's client area
  uint32_t caps;
  int32_t width, height, pitch;
  DDPixelFormat format;
  uint8_t* memory;
  WlDDSurfaceRec* back;  // primary of a flip chain: its back buffer
  WlDDClipperRec* clipper;
  // Windowed primary shown straight from a blit's source (wlSurfBlt): its picture is the
  // source's at (shownX, shownY) and is copied into memory only when read (platViewSettle).
  WlDDSurfaceRec* shownFrom;
  int32_t shownX, shownY;
};

enum { PLAT_DD_SURFACES = 16, PLAT_DD_CLIPPERS = 4 };
static WlDDRec platDD;
static WlDDSurfaceRec platSurfaces[PLAT_DD_SURFACES];
static WlDDClipperRec platClippers[PLAT_DD_CLIPPERS];

// Copies the picture of a view shown straight from its source into the view's memory.
static void platViewSettle(WlDDSurfaceRec* v) {
  WlDDSurfaceRec* from = v->shownFrom;
  if (!from) return;
  v->shownFrom = nullptr;
  size_t bytes = (from->format.bitCount + 7) / 8, row = (size_t)v->width * bytes;
  for (int32_t y = 0; y < v->height; y++)
    std::memcpy(v->memory + (size_t)y * v->pitch,
                from->memory + (size_t)(v->shownY + y) * from->pitch + v->shownX * bytes, row);
}

// Every view shown from s (s is going, or its memory is exchanged) takes its picture now.
static void platViewSettleFrom(WlDDSurfaceRec* s) {
  for (auto& v : platSurfaces)
    if (v.used && v.shownFrom == s) platViewSettle(&v);
}

static void platFreeSurface(WlDDSurfaceRec* s) {
  platViewSettleFrom(s);
  std::free(s->memory);
  if (s->clipper && --s->clipper->refs <= 0) s->clipper->refs = 0;
  std::memset(s, 0, sizeof *s);
}

void wlDDReset() {
  for (auto& s : platSurfaces)
    if (s.used) platFreeSurface(&s);
  std::memset(&platDD, 0, sizeof platDD);
  std::memset(platClippers, 0, sizeof platClippers);
}

int32_t wlDDSurfaceCount() {
  int32_t n = 0;
  for (auto& s : platSurfaces) n += s.used;
  return n;
}

static bool platExclusive() {
  return (platDD.coop & (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
}

// The format and size the display has now: the set mode in exclusive mode, else the desktop's.
static void platDisplay(int32_t* w, int32_t* h, DDPixelFormat* f) {
  platDesktop(w, h, f);
  if (platExclusive() && platDD.modeSet) {
    *w = platDD.mode.width;
    *h = platDD.mode.height;
    platFormatForBits(platDD.mode.bits, f);
  }
}

int32_t wlDDCreate(LPDIRECTDRAW7* out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!platIsInitialised()) return DDERR_NODIRECTDRAWHW;
  if (platDD.used) return DDERR_DIRECTDRAWALREADYCREATED;
  std::memset(&platDD, 0, sizeof platDD);
  platDD.used = true;
  *out = &platDD;
  return DD_OK;
}

static bool platValidDD(LPDIRECTDRAW7 dd) { return dd == &platDD && platDD.used; }
static bool platValidSurface(LPDIRECTDRAWSURFACE7 s) {
  return s && s >= platSurfaces && s < platSurfaces + PLAT_DD_SURFACES && s->used;
}

int32_t wlDDRelease(LPDIRECTDRAW7 dd) {
  if (!platValidDD(dd)) return DDERR_INVALIDOBJECT;
  if (platExclusive()) platSetFullscreen(false);
  for (auto& s : platSurfaces)
    if (s.used) platFreeSurface(&s);
  std::memset(&platDD, 0, sizeof platDD);
  return DD_OK;
}

int32_t wlDDEnumDisplayModes(LPDIRECTDRAW7 dd, uint32_t, WlDDEnumModes callback, void* context) {
  if (!platValidDD(dd) || !callback) return DDERR_INVALIDPARAMS;
  static PlatMode modes[1024];
  int32_t n = platDisplayModes(modes, 1024);
  for (int32_t i = 0; i < n; i++) {
    DDSurfaceDesc d;
    std::memset(&d, 0, sizeof d);
    d.flags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.width = (uint32_t)modes[i].width;
    d.height = (uint32_t)modes[i].height;
    platFormatForBits(modes[i].bits, &d.pixelFormat);
    if (callback(&d, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

int32_t wlDDSetCooperativeLevel(LPDIRECTDRAW7 dd, WlHwnd window, uint32_t flags) {
  if (!platValidDD(dd)) return DDERR_INVALIDOBJECT;
  bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0, full = (flags & DDSCL_FULLSCREEN) != 0;
  if (exclusive != full || (exclusive && (flags & DDSCL_NORMAL))) return DDERR_INVALIDPARAMS;
  if (exclusive && !wlIsWindow(window)) return DDERR_NOHWND;
  bool wasExclusive = platExclusive();
  platDD.coop = flags;
  platDD.window = window;
  if (wasExclusive && !exclusive) {
    platDD.modeSet = false;  // the desktop's mode comes back with the display
    platSetFullscreen(false);
  }
  return DD_OK;
}

int32_t wlDDSetDisplayMode(LPDIRECTDRAW7 dd, uint32_t width, uint32_t height, uint32_t bits, uint32_t, uint32_t) {
  if (!platValidDD(dd)) return DDERR_INVALIDOBJECT;
  if (!platExclusive()) return DDERR_NOEXCLUSIVEMODE;
  static PlatMode modes[1024];
  int32_t n = platDisplayModes(modes, 1024);
  for (int32_t i = 0; i < n; i++) {
    if (modes[i].width == (int32_t)width && modes[i].height == (int32_t)height && modes[i].bits == (int32_t)bits) {
      platDD.modeSet = true;
      platDD.mode = modes[i];
      platSetFullscreen(true);
      return DD_OK;
    }
  }
  return DDERR_INVALIDMODE;
}

int32_t wlDDRestoreDisplayMode(LPDIRECTDRAW7 dd) {
  if (!platValidDD(dd)) return DDERR_INVALIDOBJECT;
  if (platDD.modeSet) platSetFullscreen(false);
  platDD.modeSet = false;
  return DD_OK;
}

static WlDDSurfaceRec* platNewSurface(int32_t w, int32_t h, const DDPixelFormat* f, uint32_t caps) {
  for (auto& s : platSurfaces) {
    if (s.used) continue;
    int32_t bytes = (int32_t)(f->bitCount + 7) / 8;
    // Lines padded past the picture, as display memory often is: code that ignores the pitch shows it.
    int32_t pitch = ((w * bytes + 15) & ~15) + 32;
    uint8_t* mem = (uint8_t*)std::calloc((size_t)pitch * (size_t)(h > 0 ? h : 1), 1);
    if (!mem) return nullptr;
    std::memset(&s, 0, sizeof s);
    s.used = true;
    s.caps = caps;
    s.width = w;
    s.height = h;
    s.pitch = pitch;
    s.format = *f;
    s.memory = mem;
    return &s;
  }
  return nullptr;
}

int32_t wlDDCreateSurface(LPDIRECTDRAW7 dd, const DDSurfaceDesc* desc, LPDIRECTDRAWSURFACE7* out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!platValidDD(dd) || !desc || !(desc->flags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  if (platDD.coop == 0) return DDERR_NOCOOPERATIVELEVELSET;
  int32_t w, h;
  DDPixelFormat f;
  platDisplay(&w, &h, &f);
  uint32_t caps = desc->caps;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    for (auto& s : platSurfaces)
      if (s.used && (s.caps & DDSCAPS_PRIMARYSURFACE)) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (caps & DDSCAPS_FLIP) {
      if (!platExclusive()) return DDERR_NOEXCLUSIVEMODE;
      if (!(caps & DDSCAPS_COMPLEX) || !(desc->flags & DDSD_BACKBUFFERCOUNT) || desc->backBufferCount != 1)
        return DDERR_INVALIDCAPS;
      WlDDSurfaceRec* front = platNewSurface(w, h, &f, caps);
      if (!front) return DDERR_OUTOFMEMORY;
      WlDDSurfaceRec* back = platNewSurface(w, h, &f, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP);
      if (!back) {
        platFreeSurface(front);
        return DDERR_OUTOFMEMORY;
      }
      front->back = back;
      *out = front;
      return DD_OK;
    }
    int32_t cw = 0, ch = 0;
    if (wlWindowRec()) wlClientSize(&cw, &ch);
    WlDDSurfaceRec* view = platNewSurface(cw, ch, &f, caps);
    if (!view) return DDERR_OUTOFMEMORY;
    view->windowView = true;
    *out = view;
    return DD_OK;
  }
  if (!(desc->flags & DDSD_WIDTH) || !(desc->flags & DDSD_HEIGHT) || desc->width == 0 || desc->height == 0 ||
      desc->width > 8192 || desc->height > 8192)
    return DDERR_INVALIDPARAMS;
  if (desc->flags & DDSD_PIXELFORMAT) f = desc->pixelFormat;
  WlDDSurfaceRec* s = platNewSurface((int32_t)desc->width, (int32_t)desc->height, &f, caps);
  if (!s) return DDERR_OUTOFMEMORY;
  *out = s;
  return DD_OK;
}

int32_t wlDDCreateClipper(LPDIRECTDRAW7 dd, uint32_t, LPDIRECTDRAWCLIPPER* out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!platValidDD(dd)) return DDERR_INVALIDOBJECT;
  for (auto& c : platClippers) {
    if (c.refs > 0) continue;
    c.refs = 1;
    c.window = nullptr;
    *out = &c;
    return DD_OK;
  }
  return DDERR_OUTOFMEMORY;
}

int32_t wlClipperSetHWnd(LPDIRECTDRAWCLIPPER clipper, uint32_t, WlHwnd window) {
  if (!clipper || clipper->refs <= 0) return DDERR_INVALIDOBJECT;
  if (!wlIsWindow(window)) return DDERR_INVALIDPARAMS;
  clipper->window = window;
  return DD_OK;
}

int32_t wlClipperRelease(LPDIRECTDRAWCLIPPER clipper) {
  if (!clipper || clipper->refs <= 0) return DDERR_INVALIDOBJECT;
  clipper->refs--;
  return DD_OK;
}

int32_t wlSurfSetClipper(LPDIRECTDRAWSURFACE7 s, LPDIRECTDRAWCLIPPER clipper) {
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  if (s->clipper) s->clipper->refs--;
  s->clipper = clipper;
  if (clipper) clipper->refs++;
  return DD_OK;
}

int32_t wlSurfGetAttachedSurface(LPDIRECTDRAWSURFACE7 s, uint32_t caps, LPDIRECTDRAWSURFACE7* out) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  if (!(caps & DDSCAPS_BACKBUFFER) || !s->back) return DDERR_NOTFOUND;
  *out = s->back;
  return DD_OK;
}

int32_t wlSurfGetSurfaceDesc(LPDIRECTDRAWSURFACE7 s, DDSurfaceDesc* desc) {
  if (!platValidSurface(s) || !desc) return DDERR_INVALIDPARAMS;
  std::memset(desc, 0, sizeof *desc);
  desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->width = (uint32_t)s->width;
  desc->height = (uint32_t)s->height;
  desc->pitch = s->pitch;
  desc->caps = s->caps;
  desc->pixelFormat = s->format;
  return DD_OK;
}

int32_t wlSurfGetPixelFormat(LPDIRECTDRAWSURFACE7 s, DDPixelFormat* format) {
  if (!platValidSurface(s) || !format) return DDERR_INVALIDPARAMS;
  *format = s->format;
  return DD_OK;
}

int32_t wlSurfLock(LPDIRECTDRAWSURFACE7 s, const PlatRect* rect, DDSurfaceDesc* desc, uint32_t) {
  if (!platValidSurface(s) || !desc || rect) return DDERR_INVALIDPARAMS;
  if (s->lost) return DDERR_SURFACELOST;
  if (s->locked) return DDERR_SURFACEBUSY;
  platViewSettle(s);
  wlSurfGetSurfaceDesc(s, desc);
  desc->surface = s->memory;
  s->locked = true;
  return DD_OK;
}

int32_t wlSurfUnlock(LPDIRECTDRAWSURFACE7 s, const PlatRect*) {
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  if (!s->locked) return DDERR_NOTLOCKED;
  s->locked = false;
  return DD_OK;
}

static void platShow(WlDDSurfaceRec* s) {
  platPresent(s->memory, s->width, s->height, s->pitch, &s->format, !s->windowView);
}

int32_t wlSurfFlip(LPDIRECTDRAWSURFACE7 primary, LPDIRECTDRAWSURFACE7, uint32_t) {
  if (!platValidSurface(primary)) return DDERR_INVALIDOBJECT;
  if (!primary->back) return DDERR_NOTFLIPPABLE;
  if (primary->lost || primary->back->lost) return DDERR_SURFACELOST;
  if (primary->locked || primary->back->locked) return DDERR_SURFACEBUSY;
  platViewSettleFrom(primary);
  platViewSettleFrom(primary->back);
  uint8_t* m = primary->memory;
  primary->memory = primary->back->memory;
  primary->back->memory = m;
  platShow(primary);
  return DD_OK;
}

// A blit that fills a window view's whole client area at 1:1 (the windowed present) shows its
// source straight away, one copy less per frame; the view's memory follows only when read.
static bool platViewWhole(WlDDSurfaceRec* view, const PlatRect* dr, WlDDSurfaceRec* src, const PlatRect* sr) {
  if (src->windowView || dr->left != 0 || dr->top != 0 || dr->right != view->width || dr->bottom != view->height ||
      sr->right - sr->left != view->width || sr->bottom - sr->top != view->height || view->width <= 0 ||
      view->height <= 0)
    return false;
  view->shownFrom = src;
  view->shownX = sr->left, view->shownY = sr->top;
  size_t bytes = (src->format.bitCount + 7) / 8;
  const uint8_t* at = src->memory + (size_t)sr->top * src->pitch + (size_t)sr->left * bytes;
  platPresent(at, view->width, view->height, src->pitch, &view->format, false);
  return true;
}

int32_t wlSurfBlt(LPDIRECTDRAWSURFACE7 dst, const PlatRect* dstRect, LPDIRECTDRAWSURFACE7 src, const PlatRect* srcRect,
                  uint32_t) {
  if (!platValidSurface(dst) || !platValidSurface(src)) return DDERR_INVALIDPARAMS;
  if (dst->lost || src->lost) return DDERR_SURFACELOST;
  if (dst->locked || src->locked) return DDERR_SURFACEBUSY;
  if (dst->format.bitCount != src->format.bitCount) return DDERR_INVALIDPIXELFORMAT;
  PlatRect sr = srcRect ? *srcRect : PlatRect{0, 0, src->width, src->height};
  PlatRect dr = dstRect ? *dstRect : PlatRect{0, 0, dst->width, dst->height};
  if (sr.left < 0 || sr.top < 0 || sr.right > src->width || sr.bottom > src->height || sr.right <= sr.left ||
      sr.bottom <= sr.top || dr.right <= dr.left || dr.bottom <= dr.top)
    return DDERR_INVALIDRECT;
  if (dst->windowView) {
    // The window's client area may have changed size since the view was made.
    int32_t cw, ch;
    wlClientSize(&cw, &ch);
    if (cw != dst->width || ch != dst->height) {
      int32_t bytes = (int32_t)(dst->format.bitCount + 7) / 8;
      int32_t pitch = ((cw * bytes + 15) & ~15) + 32;
      uint8_t* mem = (uint8_t*)std::calloc((size_t)pitch * (size_t)(ch > 0 ? ch : 1), 1);
      if (!mem) return DDERR_OUTOFMEMORY;
      std::free(dst->memory);
      dst->memory = mem;
      dst->width = cw, dst->height = ch, dst->pitch = pitch;
      dst->shownFrom = nullptr;  // the old picture is gone with the old size
    }
    PlatPoint o;
    wlClientOrigin(&o);
    dr.left -= o.x, dr.right -= o.x, dr.top -= o.y, dr.bottom -= o.y;
    if (platViewWhole(dst, &dr, src, &sr)) return DD_OK;
  } else if (dr.left < 0 || dr.top < 0 || dr.right > dst->width || dr.bottom > dst->height) {
    if (!dst->clipper) return DDERR_INVALIDRECT;
  }
  platViewSettle(src);
  platViewSettle(dst);
  int32_t bytes = (int32_t)(src->format.bitCount + 7) / 8;
  int32_t sw = sr.right - sr.left, sh = sr.bottom - sr.top, dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  int32_t x0 = dr.left < 0 ? 0 : dr.left, x1 = dr.right > dst->width ? dst->width : dr.right;
  int32_t y0 = dr.top < 0 ? 0 : dr.top, y1 = dr.bottom > dst->height ? dst->height : dr.bottom;
  for (int32_t y = y0; y < y1; y++) {
    int32_t sy = sr.top + (int32_t)((int64_t)(y - dr.top) * sh / dh);
    const uint8_t* sl = src->memory + (size_t)sy * src->pitch;
    uint8_t* dl = dst->memory + (size_t)y * dst->pitch;
    if (sw == dw) {
      if (x1 > x0) std::memcpy(dl + x0 * bytes, sl + (sr.left + x0 - dr.left) * bytes, (size_t)(x1 - x0) * bytes);
      continue;
    }
    for (int32_t x = x0; x < x1; x++) {
      int32_t sx = sr.left + (int32_t)((int64_t)(x - dr.left) * sw / dw);
      std::memcpy(dl + x * bytes, sl + sx * bytes, (size_t)bytes);
    }
  }
  if (dst->caps & DDSCAPS_PRIMARYSURFACE) platShow(dst);
  return DD_OK;
}

int32_t wlSurfIsLost(LPDIRECTDRAWSURFACE7 s) {
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  return s->lost || (s->back && s->back->lost) ? DDERR_SURFACELOST : DD_OK;
}

int32_t wlSurfRestore(LPDIRECTDRAWSURFACE7 s) {
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  if (!platDisplayAvailable()) return DDERR_WRONGMODE;
  s->lost = false;
  if (s->back) s->back->lost = false;
  return DD_OK;
}

int32_t wlSurfRelease(LPDIRECTDRAWSURFACE7 s) {
  if (!platValidSurface(s)) return DDERR_INVALIDOBJECT;
  if (s->back) platFreeSurface(s->back);
  platFreeSurface(s);
  return DD_OK;
}

void wlDDLoseSurfaces() {
  for (auto& s : platSurfaces) {
    if (!s.used) continue;
    s.lost = true;
    s.shownFrom = nullptr;
    // Lost display memory holds whatever the other program drew.
    std::memset(s.memory, 0x5A, (size_t)s.pitch * (size_t)(s.height > 0 ? s.height : 1));
  }
}
