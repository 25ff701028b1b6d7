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
  // Glint: a diagonal band that brightens the halo and dims the letter cores a little
  // beside it, so the shape shimmers as the four frames play back and forth.
  float centre = -20.0f + float(frame) * (float(w) + 40) / 3.0f;
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) {
      float d = std::fabs(float(x) + float(y) * 0.6f - centre);
      int32_t v = g.at(x, y);
      if (!v) continue;
      if (d < 12) v = std::min(255, v + int32_t((12 - d) * 12));
      else v = v * (230 + (int32_t(x * 7 + y * 13 + frame * 5) % 25)) / 255;
      g.at(x, y) = uint8_t(v);
    }
  return g;
}

void agAddCredits(std::vector<AgEntry>& out) {
  static const char* series[5][3] = {{"rulmus", "RULMUS", "music"}, {"pdcode", "PDCODE", "code"},
                                     {"fenwa", "FENWA", "graphics"}, {"tirsk", "TIRSK", "3d models"},
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
