// x2dSpriteX86: the plain integer sprite operations. Blends go through x2dBlendTable
// (out = d + floor(a x (s - d) / 256) per colour channel, top byte 0); copies keep the
// source's top byte; the additive draws skip source pixels that are 0.
#include "x2d/x2d.h"
#include "x2d/x2dspr.h"
#include "x2d/x2dspr_clip.h"

namespace {

inline uint32_t x86Add(uint32_t s, uint32_t d) {
  uint32_t b = (s & 0xFF) + (d & 0xFF), g = ((s >> 8) & 0xFF) + ((d >> 8) & 0xFF);
  uint32_t r = ((s >> 16) & 0xFF) + ((d >> 16) & 0xFF);
  if (b > 255) b = 255;
  if (g > 255) g = 255;
  if (r > 255) r = 255;
  return (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

template <class Src, class Op>
void x86Rect(const x2dRect& r, const Src* src, Op op) {
  const Src* s = src + r.srcStart;
  uint32_t* d = r.dst;
  for (int32_t j = 0; j < r.rows; j++, s += r.srcRow, d += r.dstStep)
    for (int32_t i = 0; i < r.cols; i++) op(d[i], s[i]);
}

template <class Src, class Op>
void x86Scaled(const x2dScaledRect& r, const Src* src, int32_t w, Op op) {
  int64_t v = r.vStart;
  uint32_t* d = r.dst;
  for (int32_t j = 0; j < r.rows; j++, v += r.stepY, d += x2dWidth) {
    const Src* row = src + (v >> 16) * w;
    int64_t u = r.uStart;
    for (int32_t i = 0; i < r.cols; i++, u += r.stepX) op(d[i], row[u >> 16]);
  }
}

// Per-pixel rules.
inline void opCopy(uint32_t& d, uint32_t s) { d = s; }
inline void opAdd(uint32_t& d, uint32_t s) {
  if (s) d = x86Add(s, d);
}
inline void opAlpha(uint32_t& d, uint32_t s) {
  const uint32_t a = s >> 24;
  if (a == 255) d = s;
  else if (a) d = x2dBlendChannels(s, d, x2dBlendRow(a));
}
struct OpBlend {
  const int8_t* row;
  void operator()(uint32_t& d, uint32_t s) const { d = x2dBlendChannels(s, d, row); }
};
struct OpAlphaLevel {
  int32_t level;
  void operator()(uint32_t& d, uint32_t s) const {
    const int32_t a = s >> 24;
    if (a) d = x2dBlendChannels(s, d, x2dBlendRow(a == 255 ? level : (level * a) >> 8));
  }
};
struct OpKey {
  uint32_t key;
  void operator()(uint32_t& d, uint32_t s) const {
    if (s != key) d = s;
  }
};
struct OpLayer {
  uint32_t c;
  void operator()(uint32_t& d, uint8_t l) const {
    if (l == 255) d = c;
    else if (l) d = x2dBlendChannels(c, d, x2dBlendRow(l));
  }
};
struct OpLayerLevel {
  uint32_t c;
  int32_t level;
  void operator()(uint32_t& d, uint8_t l) const {
    if (l) d = x2dBlendChannels(c, d, x2dBlendRow(l == 255 ? level : (level * l) >> 8));
  }
};
// Scaled variants blend even at alpha 0 (colour kept, top byte cleared).
inline void opAlphaScaled(uint32_t& d, uint32_t s) {
  const uint32_t a = s >> 24;
  d = a == 255 ? s : x2dBlendChannels(s, d, x2dBlendRow(a));
}
struct OpAlphaLevelScaled {
  int32_t level;
  void operator()(uint32_t& d, uint32_t s) const {
    const int32_t a = s >> 24;
    d = x2dBlendChannels(s, d, x2dBlendRow(a == 255 ? level : (level * a) >> 8));
  }
};
struct OpLayerScaled {
  uint32_t c;
  void operator()(uint32_t& d, uint8_t l) const { d = l == 255 ? c : x2dBlendChannels(c, d, x2dBlendRow(l)); }
};

}  // namespace

void x2dSpriteX86::Fill(uint32_t colour) {
  if (!pixels) return;
  const int64_t n = static_cast<int64_t>(width) * height;
  for (int64_t i = 0; i < n; i++) pixels[i] = colour;
}

void x2dSpriteX86::Clear() { Fill(0); }

void x2dSpriteX86::DrawNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, opCopy);
}

void x2dSpriteX86::DrawAddNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, opAdd);
}

void x2dSpriteX86::DrawBlendNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawNoClip(x, y, target);
  x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, OpBlend{x2dBlendRow(level)});
}

void x2dSpriteX86::DrawAlphaNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, opAlpha);
}

void x2dSpriteX86::DrawAlphaLevelNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlphaNoClip(x, y, target);
  x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, OpAlphaLevel{level});
}

void x2dSpriteX86::DrawKeyNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), pixels, OpKey{color});
}

void x2dSpriteX86::DrawLayerNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (alphaLayer) x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), alphaLayer, OpLayer{color});
}

void x2dSpriteX86::DrawLayerLevelNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !alphaLayer) return;
  if (level == 255) return DrawLayerNoClip(x, y, target);
  x86Rect(x2dPlaceNoClip(width, height, skip, x, y, target), alphaLayer, OpLayerLevel{color, level});
}

void x2dSpriteX86::Draw(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, opCopy);
}

void x2dSpriteX86::DrawAdd(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, opAdd);
}

void x2dSpriteX86::DrawBlendScaled(int32_t x, int32_t y, float scale, int32_t level, uint32_t* target) {
  x2dScaledRect r;
  if (pixels && x2dPlaceScaled(width, height, x, y, scale, target, r))
    x86Scaled(r, pixels, width, OpBlend{x2dBlendRow(x2dClampLevel(level))});
}

void x2dSpriteX86::DrawBlend(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return Draw(x, y, target);
  x2dRect r;
  if (x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, OpBlend{x2dBlendRow(level)});
}

void x2dSpriteX86::DrawAlphaScaled(int32_t x, int32_t y, float scale, uint32_t* target) {
  x2dScaledRect r;
  if (pixels && x2dPlaceScaled(width, height, x, y, scale, target, r)) x86Scaled(r, pixels, width, opAlphaScaled);
}

void x2dSpriteX86::DrawAlpha(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, opAlpha);
}

void x2dSpriteX86::DrawAlphaLevelScaled(int32_t x, int32_t y, float scale, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlphaScaled(x, y, scale, target);
  x2dScaledRect r;
  if (x2dPlaceScaled(width, height, x, y, scale, target, r)) x86Scaled(r, pixels, width, OpAlphaLevelScaled{level});
}

void x2dSpriteX86::DrawAlphaLevel(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlpha(x, y, target);
  x2dRect r;
  if (x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, OpAlphaLevel{level});
}

void x2dSpriteX86::DrawKey(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, pixels, OpKey{color});
}

void x2dSpriteX86::DrawLayerScaled(int32_t x, int32_t y, float scale, uint32_t* target) {
  x2dScaledRect r;
  if (alphaLayer && x2dPlaceScaled(width, height, x, y, scale, target, r))
    x86Scaled(r, alphaLayer, width, OpLayerScaled{color});
}

void x2dSpriteX86::DrawLayer(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (alphaLayer && x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, alphaLayer, OpLayer{color});
}

void x2dSpriteX86::DrawLayerLevel(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !alphaLayer) return;
  if (level == 255) return DrawLayer(x, y, target);
  x2dRect r;
  if (x2dPlaceClip(width, height, x, y, target, r)) x86Rect(r, alphaLayer, OpLayerLevel{color, level});
}
