// The info file, the greetings list and the program's own resources (the setup
// dialog's picture and the icon).
#include <algorithm>
#include <cmath>

#include "ag_content.h"
#include "ag_font.h"
#include "music_timing.h"

const char* const agGreetings[] = {"Aurelith",    "Brassveil",    "Cindermoth",    "Dovetail Hex",
                                   "Ember Quill", "Fathomline",   "Glasswake",     "Halcyra",
                                   "Ironlark",    "Juniper Null", "#kelvo-lounge", "#crystalnet"};
const int32_t agGreetingCount = int32_t(sizeof agGreetings / sizeof *agGreetings);

std::string agGreetingsText() {
  std::string s = "Kelvo sends greetings to:\n\n";
  for (int32_t i = 0; i < agGreetingCount; i++) s += std::string(agGreetings[i]) + "\n";
  return s;
}

std::string agNfoText() {
  std::string s;
  s += "                 .            *                      .          \n";
  s += "      ____    __  __   ____    ____   __  __   ____   _   _   ____ \n";
  s += "     / __ \\  / / / /  / __ \\  / __ \\  \\ \\/ /  / __ \\ / \\ / / / __/ \n";
  s += "    / /_/ / / /_/ /  / /_/ / / /_/ /   \\  /  / /_/ //   \\ / / _/   \n";
  s += "    \\___\\_\\ \\____/   \\____/ /_/ \\_\\    /_/  /_/ /_//_/ \\_/ /___/   \n";
  s += "         .      *          K E L V O          .       *           \n";
  s += "  =============================================================== \n";
  s += "   Quorvane  -  a real-time demo for Linux by Kelvo               \n";
  s += "   dark crystals, deep blue light, amber fire                     \n";
  s += "  =============================================================== \n\n";
  s += "  CREDITS\n";
  s += "    music ........................................ Rulmus\n";
  s += "    code ......................................... Pdcode\n";
  s += "    graphics ..................................... Fenwa\n";
  s += "    3d models .................................... Tirsk\n";
  s += "    design ....................................... Dulmo\n\n";
  s += "  HOW TO RUN\n";
  s += "    Start quorvane beside quorvane.kvo and " MUS_FILE_NAME ".\n";
  s += "    The setup dialog offers Windowed or Full Screen; press OK.\n";
  s += "    Software rendered at 320x240, 32-bit colour; any CPU with SSE2.\n\n";
  s += "  KEYS\n";
  s += "    Escape ........................ end the show\n";
  s += "    Alt+Enter ..................... window <-> full screen\n\n";
  s += "  GREETINGS\n";
  for (int32_t i = 0; i < agGreetingCount; i++) s += std::string("    * ") + agGreetings[i] + "\n";
  s += "\n  =============================================================== \n";
  s += "              every pixel and every note made by code             \n";
  return s;
}

// Setup picture: the same sky and title as the loading picture, in 256 colours.
AgIndexed agSetupPicture() {
  AgImage im(320, 200);
  for (int32_t y = 0; y < 200; y++)
    for (int32_t x = 0; x < 320; x++) {
      float n = agFbm(x / 40.0f, y / 40.0f, 64, 4, 55);
      im.at(x, y) = agCosmic(int32_t(std::max(0.0f, n - 0.3f) * 300));
    }
  agStars(im, 300, 56);
  AgTextStyle t;
  t.face = AG_SERIF_BOLD;
  t.px = 44;
  t.top = 0xfff4d0;
  t.bottom = 0xe09020;
  t.outlineR = 2;
  t.glow = 0x103850;
  agDrawTextCentered(im, 160, 60, "QUORVANE", t);
  AgTextStyle k;
  k.face = AG_SANS_CONDENSED;
  k.px = 14;
  k.top = 0xd8fbff;
  k.bottom = 0x60c0d8;
  k.tracking = 3;
  agDrawTextCentered(im, 160, 120, "Kelvo", k);
  return agQuantize(im);
}

// The icon's colour at (dx, dy) from its centre, in units of the 32-pixel icon; false outside
// the disc: an amber crystal on a deep blue disc.
static bool iconColour(float dx, float dy, uint32_t* c) {
  float d = std::sqrt(dx * dx + dy * dy);
  if (d > 15.5f) return false;
  *c = agCosmic(int32_t(60 + (15.5f - d) * 4));
  float k = std::fabs(dx) / 6 + std::fabs(dy) / 13;
  if (k < 1) *c = agAmber(int32_t(240 - k * 90 - (dx > 0 ? 40 : 0)));
  return true;
}

// The icon at size x size pixels with 4 x 4 samples a pixel: colours and coverage as opacity.
void agIconPicture(int32_t size, AgImage* im, AgGray* op) {
  *im = AgImage(size, size);
  *op = AgGray(size, size);
  const float unit = 32.0f / size;
  for (int32_t y = 0; y < size; y++)
    for (int32_t x = 0; x < size; x++) {
      int32_t r = 0, g = 0, b = 0, n = 0;
      for (int32_t sy = 0; sy < 4; sy++)
        for (int32_t sx = 0; sx < 4; sx++) {
          uint32_t c;
          if (!iconColour((x + (sx + 0.5f) / 4) * unit - 16.0f, (y + (sy + 0.5f) / 4) * unit - 16.0f, &c)) continue;
          r += (c >> 16) & 255, g += (c >> 8) & 255, b += c & 255, n++;
        }
      if (n) im->at(x, y) = agRgb(r / n, g / n, b / n);
      op->at(x, y) = uint8_t(n * 255 / 16);
    }
}

// Icon: an amber crystal on a deep blue disc, in 16 and 256 colours.
AgBytes agIconFile() {
  AgImage im(32, 32);
  AgGray op(32, 32);
  for (int32_t y = 0; y < 32; y++)
    for (int32_t x = 0; x < 32; x++) {
      uint32_t c;
      if (!iconColour(x - 15.5f, y - 15.5f, &c)) continue;
      op.at(x, y) = 255;
      im.at(x, y) = c;
    }
  AgIndexed full = agQuantize(im);
  // 16 colours: a fixed ramp of eight blues and eight ambers, nearest by brightness.
  AgIndexed small;
  small.idx = AgGray(32, 32);
  for (int32_t i = 0; i < 8; i++) {
    uint32_t b = agCosmic(i * 36), a = agAmber(60 + i * 27);
    small.pal[i * 3] = uint8_t(b >> 16);
    small.pal[i * 3 + 1] = uint8_t(b >> 8);
    small.pal[i * 3 + 2] = uint8_t(b);
    small.pal[(8 + i) * 3] = uint8_t(a >> 16);
    small.pal[(8 + i) * 3 + 1] = uint8_t(a >> 8);
    small.pal[(8 + i) * 3 + 2] = uint8_t(a);
  }
  for (int32_t y = 0; y < 32; y++)
    for (int32_t x = 0; x < 32; x++) {
      uint32_t c = im.at(x, y);
      int32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
      int32_t best = 0, bestD = 1 << 30;
      for (int32_t i = 0; i < 16; i++) {
        int32_t dr = r - small.pal[i * 3], dg = g - small.pal[i * 3 + 1], db = b - small.pal[i * 3 + 2];
        int32_t dd = dr * dr + dg * dg + db * db;
        if (dd < bestD) {
          bestD = dd;
          best = i;
        }
      }
      small.idx.at(x, y) = uint8_t(best);
    }
  return agIco({{small, op, 4}, {full, op, 8}});
}
