// Tiling 256x256 textures: every function is periodic over 256 texels so the
// tunnels, planes and rotozoomers wrap without seams.
#include <algorithm>
#include <cmath>

#include "ag_content.h"
#include "xmath/xmath.h"

static const float kTau = 6.28318530718f;

// Nebula noise: deep blue clouds with teal filaments and a few amber embers.
static AgImage texNoise() {
  AgImage im(256, 256);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++) {
      float n = agFbm(x / 32.0f, y / 32.0f, 8, 5, 11);
      float r = agFbm(x / 16.0f, y / 16.0f, 16, 3, 12);
      float fil = 1 - std::fabs(r * 2 - 1);  // ridges
      uint32_t c = agCosmic(int32_t(n * n * 300 + xMathPowf(fil, 8.0f) * 120));
      if (n > 0.68f) c = agAdd(c, agAmber(int32_t((n - 0.68f) * 700)));
      im.at(x, y) = c;
    }
  return im;
}

// Marble: sine bands bent by noise, teal stone with amber veins.
static AgImage texMarble() {
  AgImage im(256, 256);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++) {
      float t = agFbm(x / 64.0f, y / 64.0f, 4, 5, 21);
      float s = xMathSinf(kTau * (x + y) / 128.0f + t * 9.0f);
      float band = 0.5f + 0.5f * s;
      uint32_t c = agCosmic(40 + int32_t(band * 150 + t * 40));
      float vein = xMathPowf(1 - std::fabs(s), 24.0f);
      im.at(x, y) = agAdd(c, agAmber(int32_t(vein * 230)));
    }
  return im;
}

// Metal plates: a 4x4 grid of bevelled plates with rivets and brushed noise.
static AgImage texPlates() {
  AgImage im(256, 256);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++) {
      int32_t px = x & 63, py = y & 63;
      float brush = agNoise(x / 4.0f, float(y >> 6) * 3.0f + 0.5f, 64, 31 + uint32_t(x >> 6)) * 0.3f + 0.55f;
      int32_t level = int32_t(brush * 150);
      if (px < 2 || py < 2) level = 20;          // seam
      else if (px < 4 || py < 4) level += 60;    // lit bevel
      else if (px > 60 || py > 60) level -= 50;  // shaded bevel
      int32_t rx = (px < 32 ? 9 : 55) - px, ry = (py < 32 ? 9 : 55) - py;
      int32_t d2 = rx * rx + ry * ry;
      if (d2 < 10) level = 210 - d2 * 12;  // rivet
      uint32_t steel = agMix(agRgb(level / 3, level * 2 / 3, level * 3 / 4), agRgb(level, level, level), 90);
      im.at(x, y) = steel;
    }
  return im;
}

// Circuit: dark board, teal traces on a 16-texel lattice, amber pads.
static AgImage texCircuit() {
  AgImage im(256, 256);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++) {
      float n = agFbm(x / 32.0f, y / 32.0f, 8, 3, 41);
      im.at(x, y) = agRgb(4, 14 + int32_t(n * 20), 22 + int32_t(n * 30));
    }
  AgRng rng(42);
  for (int32_t k = 0; k < 90; k++) {  // traces: an L of two straight runs, wrapping around the edges
    int32_t x = rng.range(0, 15) * 16 + 8, y = rng.range(0, 15) * 16 + 8;
    int32_t lx = rng.range(-4, 4) * 16, ly = rng.range(-4, 4) * 16;
    uint32_t c = (k % 5) ? 0x2ab8c0 : 0x66e8f0;
    auto plot = [&](int32_t px, int32_t py, uint32_t col) { im.at(px & 255, py & 255) = col; };
    for (int32_t i = 0; i != lx; i += lx > 0 ? 1 : -1) {
      plot(x + i, y, c);
      plot(x + i, y + 1, agScale(c, 120));
    }
    for (int32_t j = 0; j != ly; j += ly > 0 ? 1 : -1) {
      plot(x + lx, y + j, c);
      plot(x + lx + 1, y + j, agScale(c, 120));
    }
    for (int32_t dy = -2; dy <= 2; dy++)
      for (int32_t dx = -2; dx <= 2; dx++) {
        if (dx * dx + dy * dy > 5) continue;
        plot(x + dx, y + dy, dx * dx + dy * dy < 2 ? 0xffd070 : 0xd08018);
        plot(x + lx + dx, y + ly + dy, dx * dx + dy * dy < 2 ? 0xffe0a0 : 0xa06010);
      }
  }
  return im;
}

// Plasma: sums of sines periodic over 256, as palette indices through a cosmic-to-amber cycle.
static AgIndexed texPlasma() {
  AgIndexed o;
  o.idx = AgGray(256, 256);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++) {
      float v = xMathSinf(kTau * x / 128.0f) + xMathSinf(kTau * y / 64.0f) + xMathSinf(kTau * (x + y) / 256.0f) +
                xMathSinf(kTau * (2 * x - y) / 256.0f + 1.0f);
      o.idx.at(x, y) = uint8_t(int32_t((v + 4) * 31.9f) & 255);
    }
  for (int32_t i = 0; i < 256; i++) {
    int32_t t = i < 128 ? i * 2 : (255 - i) * 2;
    uint32_t c = i < 160 ? agCosmic(t) : agMix(agCosmic(t), agAmber(t), 200);
    o.pal[i * 3] = uint8_t(c >> 16);
    o.pal[i * 3 + 1] = uint8_t(c >> 8);
    o.pal[i * 3 + 2] = uint8_t(c);
  }
  return o;
}

AgImage agTexture(int32_t n) {
  switch (n) {
    case 0: return texNoise();
    case 1: return texMarble();
    case 2: return texPlates();
    case 3: return texCircuit();
    default: {
      AgIndexed p = texPlasma();
      AgImage im(256, 256);
      for (size_t i = 0; i < im.px.size(); i++) {
        const uint8_t* e = &p.pal[p.idx.px[i] * 3];
        im.px[i] = agRgb(e[0], e[1], e[2]);
      }
      return im;
    }
  }
}

// Lens flare: a hot core, a soft halo, a thin ring and four streaks on black (drawn additively).
static AgImage flare() {
  AgImage im(64, 64);
  for (int32_t y = 0; y < 64; y++)
    for (int32_t x = 0; x < 64; x++) {
      float dx = (x - 31.5f) / 32, dy = (y - 31.5f) / 32, d = std::sqrt(dx * dx + dy * dy);
      float core = xMathExpf(-d * d * 60), halo = xMathExpf(-d * d * 6) * 0.45f;
      float ring = xMathExpf(-(d - 0.72f) * (d - 0.72f) * 600) * 0.35f;
      float streak = (xMathExpf(-dy * dy * 900) + xMathExpf(-dx * dx * 900)) * std::max(0.0f, 1 - d) * 0.6f;
      float k = std::min(1.0f, core + halo + ring + streak);
      im.at(x, y) = agAdd(agScale(0x70c8ff, int32_t(k * 256)), agScale(0xffb040, int32_t((core + ring) * 200)));
    }
  return im;
}

void agAddTextures(std::vector<AgEntry>& out) {
  out.push_back({"TEXTURES/TEXTURE.TGA", agTgaRgb(agTexture(0), 24)});
  out.push_back({"TEXTURES/TEXTURE4.TGA", agTgaRgb(agTexture(1), 24)});
  out.push_back({"TEXTURES/TEXTURE5.TGA", agTgaRgb(agTexture(2), 24)});
  out.push_back({"textures/texture6.tga", agTgaRgb(agTexture(3), 24)});
  out.push_back({"textures/texture7.tga", agTgaIndexed(texPlasma())});
  AgImage f = flare();
  AgGray a(64, 64);
  for (size_t i = 0; i < a.px.size(); i++) {
    uint32_t c = f.px[i];
    a.px[i] = uint8_t(std::max({c >> 16 & 255, c >> 8 & 255, c & 255}));
  }
  out.push_back({"TEXTURES/FLARE.TGA", agTgaRgb(f, 32, &a)});
}
