// Pictures in memory for the generator: 32-bit 0x00RRGGBB canvases, 8-bit
// indexed pictures and grey masks, with the small drawing kit the content uses.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using AgBytes = std::vector<uint8_t>;
// Little-endian appends: the low byte first, as every file format written here stores numbers.
inline void agPut16(AgBytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void agPut32(AgBytes& b, uint32_t v) {
  agPut16(b, v & 0xFFFF);
  agPut16(b, v >> 16);
}

struct AgImage {  // 0x00RRGGBB, rows top to bottom
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px;
  AgImage() = default;
  AgImage(int32_t width, int32_t height, uint32_t fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}
  uint32_t& at(int32_t x, int32_t y) { return px[size_t(y) * w + x]; }
  uint32_t at(int32_t x, int32_t y) const { return px[size_t(y) * w + x]; }
};

struct AgGray {  // one byte per pixel (coverage, opacity or palette index)
  int32_t w = 0, h = 0;
  std::vector<uint8_t> px;
  AgGray() = default;
  AgGray(int32_t width, int32_t height, uint8_t fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}
  uint8_t& at(int32_t x, int32_t y) { return px[size_t(y) * w + x]; }
  uint8_t at(int32_t x, int32_t y) const { return px[size_t(y) * w + x]; }
};

struct AgIndexed {  // palette indices plus 256 x (r, g, b)
  AgGray idx;
  std::array<uint8_t, 768> pal{};
};

// Colour helpers; channels are clamped to 0..255.
uint32_t agRgb(int32_t r, int32_t g, int32_t b);
uint32_t agMix(uint32_t a, uint32_t b, int32_t t256);  // t256 = 0 gives a, 256 gives b
uint32_t agAdd(uint32_t a, uint32_t b);                // saturated per channel
uint32_t agScale(uint32_t c, int32_t k256);            // c x k / 256
// The theme's colour ramp: t 0..255 runs black, deep blue, teal, pale cyan;
// agAmber runs black, brown, amber, pale gold.
uint32_t agCosmic(int32_t t);
uint32_t agAmber(int32_t t);

// Deterministic pseudo-random numbers (xorshift32); the seed picks the stream.
struct AgRng {
  uint32_t s;
  explicit AgRng(uint32_t seed) : s(seed ? seed : 0x9E3779B9u) {}
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  int32_t range(int32_t lo, int32_t hi) { return lo + int32_t(next() % uint32_t(hi - lo + 1)); }  // inclusive
  float unit() { return float(next() >> 8) * (1.0f / 16777216.0f); }                              // 0..1
};

// Value noise that tiles with the given period (in lattice cells); 0..1.
float agNoise(float x, float y, int32_t period, uint32_t seed);
// Sum of octaves of agNoise, each octave twice the frequency; stays tileable.
float agFbm(float x, float y, int32_t period, int32_t octaves, uint32_t seed);

// Drawing kit on canvases (clipped to the canvas).
void agFillRect(AgImage& im, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t c);
void agAddGlow(AgImage& im, float cx, float cy, float radius, uint32_t c);     // additive soft disc
void agStars(AgImage& im, int32_t count, uint32_t seed);                       // additive star field
void agLine(AgImage& im, float x0, float y0, float x1, float y1, uint32_t c);  // additive, anti-aliased
void agLineG(AgGray& g, float x0, float y0, float x1, float y1, int32_t level);
void agBlit(AgImage& dst, const AgImage& src, int32_t x, int32_t y);
// Blends colour c into the canvas where the mask covers it (mask at x, y).
void agPaintMask(AgImage& im, const AgGray& mask, int32_t x, int32_t y, uint32_t c);
// Same, with the colour taken per pixel from a vertical gradient top -> bottom.
void agPaintMaskV(AgImage& im, const AgGray& mask, int32_t x, int32_t y, uint32_t top, uint32_t bottom);
// Max-combines a mask into a grey picture at x, y, scaled by level/255.
void agMaxMask(AgGray& g, const AgGray& mask, int32_t x, int32_t y, int32_t level);
// Grows a mask by r pixels (round brush) and softens it by a 3x3 box blur.
AgGray agDilate(const AgGray& m, int32_t r);
AgGray agBlur(const AgGray& m, int32_t passes);

// Nearest palette: a 256-entry palette and the index of the nearest entry per pixel
// (a 6x7x6 colour cube plus a 4-step grey tail, chosen for dark theme pictures).
AgIndexed agQuantize(const AgImage& im);
// A palette whose index i is the grey (i, i, i).
std::array<uint8_t, 768> agGreyPalette();
