#include "ag_font.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H

static FT_Library ftLib;
static FT_Face ftFaces[AG_FACE_COUNT];

bool agFontInit() {
  if (ftLib) return true;
  static const char* files[AG_FACE_COUNT] = {"DejaVuSans-Bold.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSansMono-Bold.ttf",
                                             "DejaVuSansCondensed-Bold.ttf"};
  if (FT_Init_FreeType(&ftLib)) {
    std::fprintf(stderr, "assetgen: FreeType cannot start\n");
    return false;
  }
  for (int32_t i = 0; i < AG_FACE_COUNT; i++) {
    std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + files[i];
    if (FT_New_Face(ftLib, path.c_str(), 0, &ftFaces[i])) {
      std::fprintf(stderr, "assetgen: font not found: %s (install fonts-dejavu-core)\n", path.c_str());
      return false;
    }
  }
  return true;
}

// Walks the glyphs of a line; calls fn(bitmap, left, top) with pen positions in pixels.
template <class Fn>
static int32_t walk(const char* text, AgFace face, int32_t px, int32_t tracking, Fn fn) {
  FT_Face f = ftFaces[face];
  FT_Set_Pixel_Sizes(f, 0, FT_UInt(px));
  int32_t pen = 0;
  FT_UInt prev = 0;
  for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
    uint32_t ch = *p;
    if (ch == 0xC2 && p[1]) ch = *++p;  // the UTF-8 of Latin-1 signs such as the superscript two
    FT_UInt gi = FT_Get_Char_Index(f, ch);
    if (prev && gi && FT_HAS_KERNING(f)) {
      FT_Vector k;
      FT_Get_Kerning(f, prev, gi, FT_KERNING_DEFAULT, &k);
      pen += int32_t(k.x >> 6);
    }
    if (FT_Load_Glyph(f, gi, FT_LOAD_RENDER)) continue;
    fn(f->glyph->bitmap, pen + f->glyph->bitmap_left, f->glyph->bitmap_top);
    pen += int32_t(f->glyph->advance.x >> 6) + tracking;
    prev = gi;
  }
  return pen - tracking;
}

int32_t agTextWidth(const char* text, AgFace face, int32_t px, int32_t tracking) {
  int32_t right = 0;
  int32_t pen = walk(text, face, px, tracking,
                     [&](const FT_Bitmap& b, int32_t x, int32_t) { right = std::max(right, x + int32_t(b.width)); });
  return std::max(pen, right);
}

AgGray agTextMask(const char* text, AgFace face, int32_t px, int32_t margin, int32_t tracking) {
  int32_t w = agTextWidth(text, face, px, tracking);
  FT_Face f = ftFaces[face];
  FT_Set_Pixel_Sizes(f, 0, FT_UInt(px));
  int32_t asc = int32_t(f->size->metrics.ascender >> 6), desc = int32_t(-(f->size->metrics.descender >> 6));
  AgGray m(w + 2 * margin, asc + desc + 2 * margin);
  walk(text, face, px, tracking, [&](const FT_Bitmap& b, int32_t x, int32_t top) {
    for (uint32_t j = 0; j < b.rows; j++)
      for (uint32_t i = 0; i < b.width; i++) {
        int32_t dx = margin + x + int32_t(i), dy = margin + asc - top + int32_t(j);
        if (dx < 0 || dy < 0 || dx >= m.w || dy >= m.h) continue;
        uint8_t v = b.buffer[j * uint32_t(b.pitch) + i];
        if (v > m.at(dx, dy)) m.at(dx, dy) = v;
      }
  });
  return m;
}

void agDrawText(AgImage& im, int32_t x, int32_t y, const char* text, const AgTextStyle& st) {
  int32_t margin = st.outlineR + st.shadow + 3;
  AgGray fill = agTextMask(text, st.face, st.px, margin, st.tracking);
  AgGray ring = st.outlineR ? agBlur(agDilate(fill, st.outlineR), 1) : fill;
  if (st.glow) {
    AgGray halo = agBlur(agDilate(fill, 2), 3);
    for (int32_t j = 0; j < halo.h; j++)
      for (int32_t i = 0; i < halo.w; i++) {
        int32_t X = x - margin + i, Y = y - margin + j;
        if (X < 0 || Y < 0 || X >= im.w || Y >= im.h) continue;
        im.at(X, Y) = agAdd(im.at(X, Y), agScale(st.glow, halo.at(i, j)));
      }
  }
  if (st.shadow) agPaintMask(im, agBlur(ring, 1), x - margin + st.shadow, y - margin + st.shadow, 0x000000);
  if (st.outlineR) agPaintMask(im, ring, x - margin, y - margin, st.outline);
  // The gradient spans the letters' ink, not the margins.
  int32_t top = fill.h, bottom = 0;
  for (int32_t j = 0; j < fill.h; j++)
    for (int32_t i = 0; i < fill.w; i++)
      if (fill.at(i, j)) {
        top = std::min(top, j);
        bottom = std::max(bottom, j);
      }
  if (top > bottom) return;
  AgGray core(fill.w, bottom - top + 1);
  std::memcpy(core.px.data(), fill.px.data() + size_t(top) * fill.w, core.px.size());
  agPaintMaskV(im, core, x - margin, y - margin + top, st.top, st.bottom);
}

void agDrawTextCentered(AgImage& im, int32_t cx, int32_t y, const char* text, const AgTextStyle& st) {
  agDrawText(im, cx - agTextWidth(text, st.face, st.px, st.tracking) / 2, y, text, st);
}

AgGray agTextShape(const char* text, AgFace face, int32_t px, int32_t ringR, int32_t ringLevel, int32_t tracking) {
  AgGray fill = agTextMask(text, face, px, ringR + 2, tracking);
  AgGray ring = agBlur(agDilate(fill, ringR), 1);
  AgGray out(fill.w, fill.h);
  for (size_t i = 0; i < out.px.size(); i++)
    out.px[i] = uint8_t(std::max<int32_t>(fill.px[i], ring.px[i] * ringLevel / 255));
  return out;
}
