// Credit pictures: each member's name as a white shape (index = opacity) with
// the role above it; four frames in which a glint sweeps across the letters.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ag_content.h"
#include "ag_font.h"

static AgGray creditFrame(const char* name, const char* role, int32_t frame) {
  AgGray big = agTextShape(name, AG_SERIF_BOLD, 40, 2, 90, 3);
  AgGray small = agTextShape(role, AG_SANS_CONDENSED, 13, 1, 70, 4);
  int32_t w = std::min(300, std::max(big.w, small.w + 20) + 8), h = std::min(90, big.h + small.h + 2);
  AgGray g(w, h);
  agMaxMask(g, small, 10, 0, 200);
  agMaxMask(g, big, 4, small.h - 2, 255);
  // Shimmer: the halo breathes with the frame and four-pointed glints sit on the
  // letters at places that change from frame to frame.
  for (uint8_t& v : g.px)
    if (v && v < 250) v = uint8_t(std::min(255, v * (220 + frame * 12) / 255));
  AgRng rng(uint32_t(name[0]) * 131u + uint32_t(frame) * 7919u + 1u);
  for (int32_t k = 0; k < 3; k++) {
    int32_t x = 0, y = 0;
    for (int32_t tries = 0; tries < 200; tries++) {  // a point on a letter core
      x = rng.range(4, w - 5);
      y = rng.range(small.h, h - 5);
      if (g.at(x, y) >= 250) break;
    }
    int32_t len = 4 + rng.range(0, 4);
    agLineG(g, float(x - len), float(y), float(x + len), float(y), 255);
    agLineG(g, float(x), float(y - len), float(x), float(y + len), 255);
    agLineG(g, float(x - 2), float(y - 2), float(x + 2), float(y + 2), 200);
    agLineG(g, float(x - 2), float(y + 2), float(x + 2), float(y - 2), 200);
  }
  return g;
}

void agAddCredits(std::vector<AgEntry>& out) {
  static const char* series[5][3] = {{"rulmus", "RULMUS", "music"},
                                     {"pdcode", "PDCODE", "code"},
                                     {"fenwa", "FENWA", "graphics"},
                                     {"tirsk", "TIRSK", "3d models"},
                                     {"dulmo", "DULMO", "design"}};
  for (int32_t n = 1; n <= 4; n++)
    for (const auto& s : series) {
      AgIndexed pic;
      pic.idx = creditFrame(s[1], s[2], n - 1);
      pic.pal = agGreyPalette();
      char name[32];
      std::snprintf(name, sizeof name, "%s%d.gif", s[0], n);
      out.push_back({name, agGif(pic, n % 2 == 0)});
    }
}
