// Pictures shown by the segments: the loading picture, backgrounds, logo, title,
// emblems, frames, scrollers, the picture strip and the greetings.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "ag_content.h"
#include "ag_font.h"
#include "xmath/xmath.h"

// A nebula sky: fbm clouds through a colour ramp, stars on top.
static AgImage sky(int32_t w, int32_t h, uint32_t seed, bool amber) {
  AgImage im(w, h);
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) {
      float n = agFbm(x / 48.0f, y / 48.0f, 64, 5, seed);
      float m = agFbm(x / 24.0f + 7, y / 24.0f, 64, 3, seed + 5);
      int32_t t = int32_t(std::max(0.0f, n - 0.35f) * 330 * (0.6f + 0.6f * m));
      uint32_t c = agCosmic(std::min(t, 170));
      if (amber && n > 0.6f) c = agAdd(c, agAmber(int32_t((n - 0.6f) * 500)));
      im.at(x, y) = c;
    }
  agStars(im, w * h / 180, seed * 7 + 1);
  return im;
}

// Glassy crystal shards: additive bright edges and faint faces.
static void shards(AgImage& im, int32_t count, uint32_t seed, uint32_t edge) {
  AgRng rng(seed);
  for (int32_t k = 0; k < count; k++) {
    float cx = float(rng.range(0, im.w)), cy = float(rng.range(im.h / 3, im.h));
    float hgt = float(rng.range(20, 70)), wid = hgt * (0.25f + rng.unit() * 0.2f);
    float tilt = (rng.unit() - 0.5f) * 0.6f;
    float tx = cx + xMathSinf(tilt) * hgt, ty = cy - xMathCosf(tilt) * hgt;
    float lx = cx - wid * xMathCosf(tilt), ly = cy - wid * xMathSinf(tilt) - hgt * 0.3f;
    float rx = cx + wid * xMathCosf(tilt), ry = cy + wid * xMathSinf(tilt) - hgt * 0.3f;
    agLine(im, cx, cy, lx, ly, edge);
    agLine(im, lx, ly, tx, ty, edge);
    agLine(im, cx, cy, rx, ry, edge);
    agLine(im, rx, ry, tx, ty, edge);
    agLine(im, cx, cy, tx, ty, agScale(edge, 110));
    agAddGlow(im, tx, ty, 6, agScale(0xffc060, 200));
  }
}

static AgTextStyle style(AgFace face, int32_t px, uint32_t top, uint32_t bottom) {
  AgTextStyle s;
  s.face = face;
  s.px = px;
  s.top = top;
  s.bottom = bottom;
  return s;
}

static AgImage loadingPicture() {
  AgImage im = sky(320, 200, 3, false);
  shards(im, 9, 5, 0x3090b0);
  AgTextStyle t = style(AG_SERIF_BOLD, 40, 0xfff4d0, 0xe09020);
  t.outlineR = 2;
  t.glow = 0x103850;
  t.tracking = 2;
  agDrawTextCentered(im, 160, 58, "QUORVANE", t);
  AgTextStyle k = style(AG_SANS_CONDENSED, 13, 0xd8fbff, 0x60c0d8);
  k.tracking = 3;
  agDrawTextCentered(im, 160, 108, "a Kelvo production", k);
  AgTextStyle l = style(AG_SANS_BOLD, 10, 0x90d0e0, 0x3080a0);
  l.shadow = 1;
  agDrawTextCentered(im, 160, 176, "loading the crystal realm...", l);
  return im;
}

static AgImage background(bool second) {
  AgImage im = sky(320, 200, second ? 17 : 9, second);
  // A faint lattice of perspective lines toward the horizon.
  uint32_t c = second ? 0x3a2a10 : 0x0c2c40;
  for (int32_t i = -12; i <= 12; i++) agLine(im, 160, 118, 160 + i * 40.0f, 200, c);
  for (int32_t j = 0; j < 7; j++) {
    float y = 120 + 80 * xMathPowf(j / 6.0f, 2.0f);
    agLine(im, 0, y, 319, y, c);
  }
  if (second) shards(im, 6, 23, 0x40b0c8);
  return im;
}

// Group logo: "KELVO" as faceted crystal letters; the mask picture holds its opacity.
static void groupLogo(AgImage& logo, AgGray& alpha) {
  AgGray fill = agTextMask("KELVO", AG_SERIF_BOLD, 68, 0, 4);
  const int32_t W = fill.w + 24, H = fill.h + 20;  // room for the glow ring and the subtitle
  AgGray shape(W, H);
  int32_t ox = (W - fill.w) / 2, oy = (H - fill.h) / 2 - 6;
  agMaxMask(shape, fill, ox, oy, 255);
  AgGray ring = agBlur(agDilate(shape, 3), 2);
  logo = AgImage(W, H);
  alpha = AgGray(W, H);
  for (int32_t y = 0; y < H; y++)
    for (int32_t x = 0; x < W; x++) {
      int32_t a = shape.at(x, y), r = ring.at(x, y);
      // Facets: bands across the letters at two angles give a cut-glass look.
      int32_t facet = ((x + y * 2) / 9 + (x * 2 - y) / 13) & 3;
      uint32_t glass = agMix(agCosmic(150 + facet * 25), 0xfff0c8, y < H / 2 - 10 ? 60 : 0);
      uint32_t c = agMix(agScale(0x3090c0, r), glass, a);
      logo.at(x, y) = c;
      alpha.at(x, y) = uint8_t(std::max(a, r * 3 / 4));
    }
  // Subtitle in amber under the letters.
  AgGray sub = agTextMask("k e l v o", AG_SANS_CONDENSED, 12, 0, 2);
  AgGray place(W, H);
  agMaxMask(place, sub, (W - sub.w) / 2, H - sub.h - 2, 255);
  agPaintMask(logo, place, 0, 0, 0xf0a030);
  for (size_t i = 0; i < alpha.px.size(); i++) alpha.px[i] = std::max(alpha.px[i], place.px[i]);
}

// Title: additive, so letters glow on black.
static AgImage title() {
  AgImage im(288, 96);
  AgTextStyle t = style(AG_SERIF_BOLD, 52, 0xfff8e0, 0xf09018);
  t.outlineR = 2;
  t.outline = 0x103a60;
  t.glow = 0x1a5a80;
  t.shadow = 0;
  t.tracking = 1;
  while (agTextWidth("QUORVANE", t.face, t.px, t.tracking) > 288 - 16) t.px--;  // keep the glow inside
  agDrawTextCentered(im, 144, 10, "QUORVANE", t);
  agLine(im, 20, 80, 268, 80, 0x2a88a8);
  agAddGlow(im, 144, 80, 30, 0x40a0c0);
  return im;
}

static AgGray emblem(bool planet) {
  AgGray g(32, 32);
  for (int32_t y = 0; y < 32; y++)
    for (int32_t x = 0; x < 32; x++) {
      float dx = x - 15.5f, dy = y - 15.5f;
      float v = 0;
      if (planet) {
        float d = std::sqrt(dx * dx + dy * dy);
        if (d < 9) v = 1 - d / 18;  // body
        float ry = dy + dx * 0.35f, re = std::sqrt(dx * dx / 225 + ry * ry / 9);
        if (re > 0.8f && re < 1.0f && (d > 9 || ry > 0)) v = 1;  // ring in front
      } else {
        float d = std::fabs(dx) / 9 + std::fabs(dy) / 15;  // diamond
        if (d < 1) v = d > 0.8f ? 1 : 0.45f + 0.4f * ((int32_t(x + y) & 4) ? 1 : 0);
        if (std::fabs(dx) < 0.7f && std::fabs(dy) < 15) v = 1;
      }
      g.at(x, y) = uint8_t(std::min(255.0f, v * 255));
    }
  return g;
}

static AgIndexed grey(const AgGray& g) {
  AgIndexed o;
  o.idx = g;
  o.pal = agGreyPalette();
  return o;
}

// A frame: opacity picture with a rectangular opening (fully transparent).
static AgGray frame(int32_t w, int32_t h, int32_t ox, int32_t oy, int32_t ow, int32_t oh, uint32_t seed) {
  AgGray g(w, h);
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) {
      int32_t d = std::min({x - (ox - 2), (ox + ow + 1) - x, y - (oy - 2), (oy + oh + 1) - y});
      bool inside = x >= ox && x < ox + ow && y >= oy && y < oy + oh;
      if (inside) continue;
      int32_t edge = std::min({x, w - 1 - x, y, h - 1 - y});
      int32_t v = 70 + int32_t(agNoise(x / 6.0f, y / 6.0f, 64, seed) * 60);
      if (edge < 2 || (d >= 0 && d < 2)) v = 255;  // bright rims
      else if (edge < 4 || (d >= 2 && d < 4)) v = 150;
      g.at(x, y) = uint8_t(v);
    }
  return g;
}

static AgGray ramka() {
  AgGray g = frame(200, 170, 34, 41, 160, 100, 71);
  // Tick marks down the wide left border and a caption under the window.
  for (int32_t y = 46; y < 140; y += 8) agLineG(g, 8, float(y), float(y % 16 ? 20 : 28), float(y), 255);
  AgGray cap = agTextMask("KELVO  VIEWPORT  01", AG_MONO_BOLD, 10, 0, 1);
  agMaxMask(g, cap, 34, 148, 255);
  AgGray head = agTextMask("Q", AG_SERIF_BOLD, 24, 0);
  agMaxMask(g, head, 6, 8, 255);
  return g;
}

static AgGray mmm() {
  AgGray g = frame(129, 96, 7, 2, 115, 87, 73);
  for (int32_t x = 10; x < 120; x += 10) agLineG(g, float(x), 91, float(x), 94, 255);
  return g;
}

// Mask window: a soft-edged hexagonal crystal facet (index = opacity).
static AgGray maskShape() {
  AgGray g(115, 87);
  for (int32_t y = 0; y < 87; y++)
    for (int32_t x = 0; x < 115; x++) {
      float dx = std::fabs(x - 57.0f) / 57, dy = std::fabs(y - 43.0f) / 43;
      float hex = std::max(dy, dx * 0.8f + dy * 0.45f);
      float v = (1 - hex) * 12;  // ramp over the outer twelfth
      int32_t a = int32_t(std::clamp(v, 0.0f, 1.0f) * 255);
      if ((y & 3) == 0 && a == 255) a = 220;  // faint scan lines
      g.at(x, y) = uint8_t(a);
    }
  return g;
}

static AgGray emc2() { return agTextShape("E=mc\xC2\xB2", AG_SERIF_BOLD, 34, 2, 110); }

// Vertical text scroller, seamless: equal blank space above the first and below the last line.
static AgImage scroll1() {
  static const char* lines[] = {"QUORVANE", "", "a production", "by Kelvo", "",      "music",  "Rulmus", "", "code",
                                "Pdcode",   "", "graphics",     "Fenwa",    "",      "models", "Tirsk",  "", "design",
                                "Dulmo",    "", "crystals",     "grow",     "where", "light",  "bends",  "", "* * *"};
  const int32_t n = int32_t(sizeof lines / sizeof *lines), lh = 22;
  AgImage im(110, n * lh + 40);
  for (int32_t i = 0; i < n; i++) {
    bool head = i == 0 ||
                (i > 1 && lines[i - 1][0] == 0 && lines[i][0] && i + 1 < n && lines[i + 1][0] && i < 20 && i % 3 == 2);
    AgTextStyle s = style(head || i == 0 ? AG_SANS_BOLD : AG_SANS_CONDENSED, i == 0 ? 17 : 13, 0xe8fcff,
                          i % 3 ? 0x50b8d0 : 0xf0a030);
    s.outlineR = 1;
    s.shadow = 0;
    s.outline = 0x0a2030;
    agDrawTextCentered(im, 55, 20 + i * lh, lines[i], s);
  }
  return im;
}

static AgGray scroll2() {
  const char* text =
      "   KELVO PRESENTS QUORVANE  ***  DEEP BELOW THE BLUE, THE CRYSTALS HUM IN AMBER  ***  ALL PIXELS COMPUTED, "
      "ALL NOTES SYNTHESISED  ***  MUSIC RULMUS  -  CODE PDCODE  -  GRAPHICS FENWA  -  MODELS TIRSK  -  DESIGN DULMO  "
      "***  HELLO TO EVERY SCENER STILL WATCHING  ***  ";
  return agTextShape(text, AG_SANS_BOLD, 18, 1, 90, 1);
}

// Tall strip of small pictures, 64 wide, seamless because every tile ends in black.
static AgImage strip() {
  const int32_t tw = 64, th = 64, n = 6;
  AgImage im(tw, th * n);
  for (int32_t k = 0; k < n; k++) {
    AgImage t(tw, th);
    for (int32_t y = 3; y < th - 3; y++)
      for (int32_t x = 3; x < tw - 3; x++)
        t.at(x, y) = agCosmic(int32_t(agFbm(x / 16.0f, (y + k * 64) / 16.0f, 64, 3, 90 + k) * 90));
    switch (k % 3) {
      case 0:
        agAddGlow(t, 32, 32, 18, 0x3aa0d0);
        agAddGlow(t, 26, 26, 8, 0xffe0a0);
        break;                                         // planet
      case 1: shards(t, 3, 100 + k, 0x60d8f0); break;  // crystals
      default:
        for (int32_t i = 0; i < 8; i++) agLine(t, 4, 8.0f + i * 7, 59, 60 - i * 7.0f, agAmber(200 - i * 20));  // rays
    }
    agStars(t, 12, 200 + k);
    for (int32_t x = 2; x < tw - 2; x++) {
      t.at(x, 2) = 0x4ac0e0;
      t.at(x, th - 3) = 0x1a6080;
    }
    for (int32_t y = 2; y < th - 2; y++) {
      t.at(2, y) = 0x4ac0e0;
      t.at(tw - 3, y) = 0x1a6080;
    }
    for (int32_t x = 0; x < tw; x++) {
      t.at(x, 0) = t.at(x, 1) = t.at(x, th - 1) = t.at(x, th - 2) = 0;
    }
    agBlit(im, t, 0, k * th);
  }
  return im;
}

static AgImage greetings(bool second) {
  AgImage im(300, 180);
  if (!second) {
    AgTextStyle h = style(AG_SERIF_BOLD, 20, 0xfff0c8, 0xe09020);
    h.outlineR = 1;
    agDrawTextCentered(im, 150, 4, "greetings", h);
    AgTextStyle s = style(AG_SANS_CONDENSED, 12, 0xd8f8ff, 0x4aa8c8);
    s.outlineR = 1;
    s.shadow = 0;
    for (int32_t i = 0; i < agGreetingCount; i++)
      agDrawTextCentered(im, i % 2 ? 220 : 80, 36 + (i / 2) * 17, agGreetings[i], s);
  } else {
    // The echo layer: a wide amber halo behind the heading and sparks around the names.
    agAddGlow(im, 150, 18, 70, 0x40200a);
    AgTextStyle h = style(AG_SERIF_BOLD, 20, 0x6a3a10, 0x301808);
    h.outlineR = 0;
    h.shadow = 0;
    h.glow = 0x402008;
    agDrawTextCentered(im, 150, 4, "greetings", h);
    AgRng rng(77);
    for (int32_t i = 0; i < 40; i++)
      agAddGlow(im, float(rng.range(10, 290)), float(rng.range(40, 170)), float(rng.range(2, 5)), 0x806030);
  }
  return im;
}

void agAddPictures(std::vector<AgEntry>& out) {
  out.push_back({"loading.tga", agTgaRgb(loadingPicture(), 24)});
  out.push_back({"back01.jpg", agJpeg(background(false), 90)});
  out.push_back({"back02.jpg", agJpeg(background(true), 90)});
  AgImage logo;
  AgGray alpha;
  groupLogo(logo, alpha);
  out.push_back({"kvologo.tga", agTgaRgb(logo, 24)});
  out.push_back({"kvologom.gif", agGif(grey(alpha), true, "Kelvo logo opacity")});
  out.push_back({"quorvane.tga", agTgaRgb(title(), 24)});
  out.push_back({"pelun01.gif", agGif(grey(emblem(false)), false)});
  out.push_back({"pelun02.gif", agGif(grey(emblem(true)), false)});
  out.push_back({"vantre1.jpg", agJpeg(strip(), 92)});
  out.push_back({"ramka.gif", agGif(grey(ramka()), true, "frame for the effect window")});
  out.push_back({"scroll1.tga", agTgaRgb(scroll1(), 24)});
  out.push_back({"scroll2.gif", agGif(grey(scroll2()), false)});
  out.push_back({"mmm.gif", agGif(grey(mmm()), false)});
  out.push_back({"mask.gif", agGif(grey(maskShape()), false)});
  out.push_back({"emc2.gif", agGif(grey(emc2()), false)});
  out.push_back({"greet1.jpg", agJpeg(greetings(false), 90)});
  out.push_back({"greet2.jpg", agJpeg(greetings(true), 90)});
}
