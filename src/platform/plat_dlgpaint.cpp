// Dialog drawing into a 32-bit buffer: FreeType text (grey-scale anti-aliasing, light hinting)
// and shapes from signed distances, so edges stay smooth at every scale.
#include "platform/plat_dlgpaint.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/plat_internal.h"

static FT_Library dpLib = nullptr;
static FT_Face dpFace = nullptr;
static uint32_t* dpPixels = nullptr;
static int32_t dpW = 0, dpH = 0;

// Windows 11 light look: window, text, accent (default button, checked radio), lines.
enum : uint32_t {
  DP_BACK = 0xF3F3F3,
  DP_TEXT = 0x1B1B1B,
  DP_ACCENT = 0x005FB8,
  DP_ACCENT_HOVER = 0x196EBF,
  DP_ACCENT_DOWN = 0x004C93,
  DP_BUTTON = 0xFDFDFD,
  DP_BUTTON_HOVER = 0xF5F5F5,
  DP_BUTTON_DOWN = 0xE8E8E8,
  DP_BORDER = 0xC4C4C4,
  DP_BORDER_HOVER = 0xA8A8A8,
  DP_GROUP = 0xD0D0D0,
  DP_RADIO_RING = 0x8A8A8A,
  DP_WHITE = 0xFFFFFF,
  DP_FOCUS = 0x1B1B1B,
};

static const char* const dpFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/freefont/FreeSans.ttf",
    "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
};

bool platDlgFontOpen() {
  if (dpFace) return true;
  if (!dpLib && FT_Init_FreeType(&dpLib) != 0) {
    dpLib = nullptr;
    std::fprintf(stderr, "quorvane: FreeType cannot start; the setup dialog falls back to message boxes\n");
    return false;
  }
  const char* env = std::getenv("QV_DIALOG_FONT");
  if (env && *env) {
    if (FT_New_Face(dpLib, env, 0, &dpFace) == 0) return true;
    dpFace = nullptr;
    std::fprintf(stderr, "quorvane: dialog font not usable: %s; the dialog falls back to message boxes\n", env);
    return false;
  }
  int32_t n = (int32_t)(sizeof dpFontFiles / sizeof dpFontFiles[0]);
  for (int32_t i = 0; i < n; i++) {
    if (FT_New_Face(dpLib, dpFontFiles[i], 0, &dpFace) != 0) {
      dpFace = nullptr;
      continue;
    }
    if (i > 0)
      std::fprintf(stderr, "quorvane: font not found: %s (install fonts-dejavu-core); the dialog uses %s\n",
                   dpFontFiles[0], dpFontFiles[i]);
    return true;
  }
  std::fprintf(stderr,
               "quorvane: font not found: %s (install fonts-dejavu-core); the dialog falls back to message boxes\n",
               dpFontFiles[0]);
  return false;
}

void platDlgFontClose() {
  if (dpFace) FT_Done_Face(dpFace);
  if (dpLib) FT_Done_FreeType(dpLib);
  dpFace = nullptr;
  dpLib = nullptr;
}

static void dpSetSize(int32_t points, int32_t scale) {
  FT_Set_Char_Size(dpFace, 0, points * 64, (FT_UInt)(96 * scale), (FT_UInt)(96 * scale));
}

void platDlgBaseUnits(int32_t points, int32_t* baseX, int32_t* baseY) {
  dpSetSize(points, 1);
  int32_t sum = 0;
  for (const char* p = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"; *p; p++)
    if (FT_Load_Char(dpFace, (FT_ULong)*p, FT_LOAD_TARGET_LIGHT) == 0)
      sum += (int32_t)((dpFace->glyph->advance.x + 32) >> 6);  // whole pixels per letter, as GDI measures
  *baseX = (sum / 26 + 1) / 2;
  *baseY = (int32_t)((dpFace->size->metrics.ascender - dpFace->size->metrics.descender + 32) >> 6);
  if (*baseX < 1) *baseX = 1;
  if (*baseY < 1) *baseY = 1;
}

// MulDiv rounding, as Windows maps dialog units.
static int32_t dpUnits(int32_t du, int32_t base, int32_t div) { return (du * base + div / 2) / div; }

int32_t platDlgChooseScale(const PlatDlgTemplate* t, int32_t baseX, int32_t baseY, float dpi, int32_t desktopW,
                           int32_t desktopH) {
  int32_t w = dpUnits(t->width, baseX, 4), h = dpUnits(t->height, baseY, 8);
  int32_t k = dpi > 0 ? (int32_t)std::lround(dpi / 96.0f) : 1;
  if (k < 1) k = 1;
  while ((int64_t)(k + 1) * w * 100 <= (int64_t)desktopW * 45 && (int64_t)(k + 1) * h * 100 <= (int64_t)desktopH * 45)
    k++;
  while (k > 1 && ((int64_t)k * w * 10 > (int64_t)desktopW * 9 || (int64_t)k * h * 10 > (int64_t)desktopH * 9)) k--;
  return k;
}

void platDlgLayoutMake(const PlatDlgTemplate* t, int32_t points, int32_t baseX, int32_t baseY, int32_t scale,
                       PlatDlgLayout* out) {
  std::memset(out, 0, sizeof *out);
  out->scale = scale;
  out->baseX = baseX;
  out->baseY = baseY;
  out->width = dpUnits(t->width, baseX, 4) * scale;
  out->height = dpUnits(t->height, baseY, 8) * scale;
  for (int32_t i = 0; i < t->itemCount && i < PLAT_DLG_MAX_ITEMS; i++) {
    const PlatDlgItem& it = t->items[i];
    int32_t x = dpUnits(it.x, baseX, 4), y = dpUnits(it.y, baseY, 8);
    out->items[i] = {x * scale, y * scale, (x + dpUnits(it.width, baseX, 4)) * scale,
                     (y + dpUnits(it.height, baseY, 8)) * scale};
  }
  dpSetSize(points, scale);
}

int32_t platDlgHitTest(const PlatDlgLayout* l, int32_t x, int32_t y) {
  const PlatDlgTemplate* t = platDlgTemplate();
  if (!t) return -1;
  for (int32_t i = 0; i < t->itemCount; i++) {
    const PlatRect& r = l->items[i];
    if (platDlgIsButton(i) && x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
  }
  return -1;
}

// ---- Pixels ---------------------------------------------------------------------------------

static void dpBlend(int32_t x, int32_t y, uint32_t rgb, int32_t a) {
  if (x < 0 || y < 0 || x >= dpW || y >= dpH || a <= 0) return;
  uint32_t& d = dpPixels[(size_t)y * (size_t)dpW + (size_t)x];
  if (a >= 255) {
    d = 0xFF000000u | rgb;
    return;
  }
  uint32_t out = 0xFF000000u;
  for (int32_t s = 0; s < 24; s += 8) {
    int32_t dc = (int32_t)(d >> s & 255), sc = (int32_t)(rgb >> s & 255);
    out |= (uint32_t)(dc + ((sc - dc) * a + 127) / 255) << s;
  }
  d = out;
}

// Signed distance from a pixel centre to a rounded rectangle (negative inside).
static float dpDist(float px, float py, float x, float y, float w, float h, float r) {
  float qx = std::fabs(px - (x + w * 0.5f)) - (w * 0.5f - r), qy = std::fabs(py - (y + h * 0.5f)) - (h * 0.5f - r);
  float ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0, in = qx > qy ? qx : qy;
  return std::sqrt(ox * ox + oy * oy) + (in < 0 ? in : 0) - r;
}
static float dpCover(float d) { return d <= -0.5f ? 1.0f : (d >= 0.5f ? 0.0f : 0.5f - d); }

// Fills a rounded rectangle (thick <= 0) or strokes its inner `thick` pixels.
static void dpRound(float x, float y, float w, float h, float r, float thick, uint32_t rgb) {
  if (w <= 0 || h <= 0) return;
  if (r > w * 0.5f) r = w * 0.5f;
  if (r > h * 0.5f) r = h * 0.5f;
  float ir = r - thick > 0 ? r - thick : 0;
  for (int32_t py = (int32_t)std::floor(y); py < (int32_t)std::ceil(y + h); py++)
    for (int32_t px = (int32_t)std::floor(x); px < (int32_t)std::ceil(x + w); px++) {
      float fx = (float)px + 0.5f, fy = (float)py + 0.5f;
      float c = dpCover(dpDist(fx, fy, x, y, w, h, r));
      if (thick > 0) c -= dpCover(dpDist(fx, fy, x + thick, y + thick, w - 2 * thick, h - 2 * thick, ir));
      if (c > 0) dpBlend(px, py, rgb, (int32_t)(c * 255.0f + 0.5f));
    }
}

// UTF-8 to code points; anything malformed shows as '?'.
static uint32_t dpNextChar(const char** s) {
  const uint8_t* p = (const uint8_t*)*s;
  uint32_t c = *p++;
  int32_t more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (c >= 0x80 && c < 0xC0) c = '?';
  if (more) c &= 0x3Fu >> more;
  for (; more > 0; more--) {
    if ((*p & 0xC0) != 0x80) {
      c = '?';
      break;
    }
    c = c << 6 | (*p++ & 0x3Fu);
  }
  *s = (const char*)p;
  return c;
}

// Draws (when draw is set) and measures a line of text from the pen position x (pixels) on
// baseline y; returns the width in pixels.
static int32_t dpText(int32_t x, int32_t y, const char* s, uint32_t rgb, bool draw) {
  int64_t pen = (int64_t)x * 64;
  FT_UInt prev = 0;
  while (s && *s) {
    FT_UInt g = FT_Get_Char_Index(dpFace, dpNextChar(&s));
    if (prev && g && FT_HAS_KERNING(dpFace)) {
      FT_Vector k;
      if (FT_Get_Kerning(dpFace, prev, g, FT_KERNING_DEFAULT, &k) == 0) pen += k.x;
    }
    prev = g;
    if (FT_Load_Glyph(dpFace, g, FT_LOAD_TARGET_LIGHT | (draw ? FT_LOAD_RENDER : 0)) != 0) continue;
    FT_GlyphSlot gs = dpFace->glyph;
    if (draw && gs->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      int32_t gx = (int32_t)((pen + 32) >> 6) + gs->bitmap_left, gy = y - gs->bitmap_top;
      for (uint32_t r = 0; r < gs->bitmap.rows; r++)
        for (uint32_t c = 0; c < gs->bitmap.width; c++)
          dpBlend(gx + (int32_t)c, gy + (int32_t)r, rgb, gs->bitmap.buffer[(int64_t)r * gs->bitmap.pitch + c]);
    }
    pen += gs->advance.x;
  }
  return (int32_t)((pen + 32) >> 6) - x;
}

// Height of a capital in pixels: text is centred on it, so labels sit in the middle of buttons.
static int32_t dpCapHeight() {
  if (FT_Load_Char(dpFace, 'H', FT_LOAD_TARGET_LIGHT | FT_LOAD_RENDER) == 0) return dpFace->glyph->bitmap_top;
  return (int32_t)(dpFace->size->metrics.ascender >> 6);
}

// ---- Controls -------------------------------------------------------------------------------

// Windows 11's focus ring: a white line around the control, then two pixels of near black.
static void dpFocusRing(float x0, float y0, float x1, float y1, float radius, int32_t k) {
  dpRound(x0 - k, y0 - k, x1 - x0 + 2 * k, y1 - y0 + 2 * k, radius + k, (float)k, DP_WHITE);
  dpRound(x0 - 3 * k, y0 - 3 * k, x1 - x0 + 6 * k, y1 - y0 + 6 * k, radius + 3 * k, 2.0f * k, DP_FOCUS);
}

static void dpButton(int32_t i, const PlatRect& r, int32_t k, int32_t cap, bool hover, bool pressed) {
  const PlatDlgItem& it = platDlgTemplate()->items[i];
  bool def = platDlgDefault() == i;
  float x = (float)r.left, y = (float)r.top, w = (float)(r.right - r.left), h = (float)(r.bottom - r.top);
  uint32_t fill = def ? (pressed ? DP_ACCENT_DOWN
                         : hover ? DP_ACCENT_HOVER
                                 : DP_ACCENT)
                      : (pressed ? DP_BUTTON_DOWN
                         : hover ? DP_BUTTON_HOVER
                                 : DP_BUTTON);
  uint32_t border = def ? DP_ACCENT_DOWN : (hover || pressed ? DP_BORDER_HOVER : DP_BORDER);
  dpRound(x, y, w, h, 4.0f * k, 0, border);
  dpRound(x + k, y + k, w - 2 * k, h - 2 * k, 3.0f * k, 0, fill);
  int32_t tw = dpText(0, 0, it.text, 0, false);
  int32_t tx = r.left + (r.right - r.left - tw) / 2, baseline = r.top + (r.bottom - r.top + cap) / 2;
  dpText(tx, baseline, it.text, def ? DP_WHITE : DP_TEXT, true);
  if (platDlgFocus() == i) dpFocusRing(x, y, x + w, y + h, 4.0f * k, k);
}

static void dpRadio(int32_t i, const PlatRect& r, int32_t k, int32_t cap, bool hover) {
  const PlatDlgItem& it = platDlgTemplate()->items[i];
  int32_t h = r.bottom - r.top, d = 13 * k < h ? 13 * k : h;
  float cx = (float)r.left, cy = (float)r.top + (float)(h - d) * 0.5f, fd = (float)d;
  if (platDlgChecked(i)) {
    dpRound(cx, cy, fd, fd, fd * 0.5f, 0, hover ? DP_ACCENT_HOVER : DP_ACCENT);
    float dot = (float)(5 * k);
    dpRound(cx + (fd - dot) * 0.5f, cy + (fd - dot) * 0.5f, dot, dot, dot * 0.5f, 0, DP_WHITE);
  } else {
    dpRound(cx, cy, fd, fd, fd * 0.5f, 0, hover ? DP_BUTTON_DOWN : DP_BUTTON);
    dpRound(cx, cy, fd, fd, fd * 0.5f, (float)k, hover ? DP_TEXT : DP_RADIO_RING);
  }
  int32_t tx = r.left + d + 6 * k, tw = dpText(tx, r.top + (h + cap) / 2, it.text, DP_TEXT, true);
  // Around the label only, clear of the circle; one line, as the rows are close together.
  if (platDlgFocus() == i)
    dpRound((float)(tx - 3 * k), (float)(r.top + k), (float)(tw + 6 * k), (float)(h - 2 * k), 3.0f * k, 1.5f * k,
            DP_FOCUS);
}

static void dpGroup(int32_t i, const PlatRect& r, const PlatDlgLayout* l, int32_t cap) {
  const PlatDlgItem& it = platDlgTemplate()->items[i];
  int32_t k = l->scale, line = l->baseY * k, top = r.top + line / 2;
  dpRound((float)r.left, (float)top, (float)(r.right - r.left), (float)(r.bottom - top), 4.0f * k, (float)k, DP_GROUP);
  int32_t tx = r.left + 7 * k, tw = dpText(0, 0, it.text, 0, false);
  dpRound((float)(tx - 3 * k), (float)(top - k), (float)(tw + 6 * k), (float)(2 * k), 0, 0, DP_BACK);
  dpText(tx, r.top + (line + cap) / 2, it.text, DP_TEXT, true);
}

// The picture at the largest whole factor that fits its rectangle, centred; scaled down to fit
// (nearest pixel) when even 1:1 is too large.
static void dpPicture(int32_t i, const PlatRect& r, int32_t k) {
  const PlatDlgItem& it = platDlgTemplate()->items[i];
  int32_t bw = r.right - r.left, bh = r.bottom - r.top, pw = it.pixelWidth, ph = it.pixelHeight;
  int32_t f = bw / pw < bh / ph ? bw / pw : bh / ph, w = pw * f, h = ph * f;
  if (f < 1) {  // fit the box, aspect kept
    bool wide = (int64_t)pw * bh > (int64_t)ph * bw;
    w = wide ? bw : (int32_t)((int64_t)bh * pw / ph);
    h = wide ? (int32_t)((int64_t)bw * ph / pw) : bh;
  }
  if (w < 1 || h < 1) return;
  int32_t x0 = r.left + (bw - w) / 2, y0 = r.top + (bh - h) / 2;
  dpRound((float)(x0 - k), (float)(y0 - k), (float)(w + 2 * k), (float)(h + 2 * k), 0, (float)k, DP_BORDER_HOVER);
  for (int32_t y = 0; y < h; y++) {
    const uint32_t* row = it.pixels + (size_t)((int64_t)y * ph / h) * (size_t)pw;
    for (int32_t x = 0; x < w; x++) {
      uint32_t p = row[(int64_t)x * pw / w];
      dpBlend(x0 + x, y0 + y, p & 0xFFFFFF, (int32_t)(p >> 24));
    }
  }
}

void platDlgPaint(const PlatDlgLayout* l, uint32_t* pixels, int32_t hover, int32_t pressed) {
  const PlatDlgTemplate* t = platDlgTemplate();
  dpPixels = pixels;
  dpW = l->width;
  dpH = l->height;
  for (size_t n = 0; n < (size_t)dpW * (size_t)dpH; n++) pixels[n] = 0xFF000000u | DP_BACK;
  if (!t || !dpFace) return;
  int32_t k = l->scale, cap = dpCapHeight();
  for (int32_t i = 0; i < t->itemCount; i++) {
    const PlatRect& r = l->items[i];
    switch (t->items[i].kind) {
      case PLAT_DLG_BITMAP: dpPicture(i, r, k); break;
      case PLAT_DLG_GROUPBOX: dpGroup(i, r, l, cap); break;
      case PLAT_DLG_AUTORADIO: dpRadio(i, r, k, cap, hover == i); break;
      default:  // push buttons: pressed looks pressed only while the pointer is still on it
        dpButton(i, r, k, cap, hover == i && (pressed < 0 || pressed == i), pressed == i && hover == i);
        break;
    }
  }
}
