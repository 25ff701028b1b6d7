// x2dSpriteMMX: the packed-integer sprite operations. Blends use the 16-bit lane
// formula of x2dspr_mmx_rows.h on all four bytes; the additive draws saturate all four
// bytes without skipping; DrawBlend and DrawBlendScaled have no special levels.
// The row kernels (SSE2 or their portable twin) come from the table x2dInit installs.
#include "x2d/x2d.h"
#include "x2d/x2dspr.h"
#include "x2d/x2dspr_clip.h"
#include "x2d/x2dkernels.h"

namespace {

inline const x2dMmxRows& mmxRows() { return *x2dKernels.rows; }

template <class Src>
void mmxRect(x2dRowFn fn, const x2dRect& r, const Src* src, uint32_t c, int32_t a) {
  const Src* s = src + r.srcStart;
  uint32_t* d = r.dst;
  for (int32_t j = 0; j < r.rows; j++, s += r.srcRow, d += r.dstStep) fn(d, s, r.cols, c, a);
}

// Nearest-neighbour samples of a row are gathered into a short run, then handed to the
// same row kernel as the unscaled draw.
template <class Src>
void mmxScaled(x2dRowFn fn, const x2dScaledRect& r, const Src* src, int32_t w, uint32_t c, int32_t a) {
  enum { RUN = 256 };
  Src run[RUN];
  int64_t v = r.vStart;
  uint32_t* d = r.dst;
  for (int32_t j = 0; j < r.rows; j++, v += r.stepY, d += x2dWidth) {
    const Src* row = src + (v >> 16) * w;
    int64_t u = r.uStart;
    for (int32_t i = 0; i < r.cols; i += RUN) {
      const int32_t n = r.cols - i < RUN ? r.cols - i : RUN;
      for (int32_t k = 0; k < n; k++, u += r.stepX) run[k] = row[u >> 16];
      fn(d + i, run, n, c, a);
    }
  }
}

}  // namespace

void x2dSpriteMMX::Fill(uint32_t colour) {
  if (!pixels) return;
  const x2dRowFn fn = mmxRows().fill;
  const int32_t chunk = 1 << 30;  // row kernels count in int32
  const int64_t total = static_cast<int64_t>(width) * height;
  for (int64_t done = 0; done < total; done += chunk)
    fn(pixels + done, nullptr, total - done < chunk ? static_cast<int32_t>(total - done) : chunk, colour, 0);
}

void x2dSpriteMMX::Clear() { Fill(0); }

void x2dSpriteMMX::DrawNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) mmxRect(mmxRows().copy, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, 0, 0);
}

void x2dSpriteMMX::DrawAddNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) mmxRect(mmxRows().add, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, 0, 0);
}

void x2dSpriteMMX::DrawBlendNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawNoClip(x, y, target);
  mmxRect(mmxRows().blend, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, 0, level);
}

void x2dSpriteMMX::DrawAlphaNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) mmxRect(mmxRows().alpha, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, 0, 0);
}

void x2dSpriteMMX::DrawAlphaLevelNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlphaNoClip(x, y, target);
  mmxRect(mmxRows().alphaLevel, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, 0, level);
}

void x2dSpriteMMX::DrawKeyNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (pixels) mmxRect(mmxRows().key, x2dPlaceNoClip(width, height, skip, x, y, target), pixels, color, 0);
}

void x2dSpriteMMX::DrawLayerNoClip(int32_t x, int32_t y, uint32_t* target) {
  if (alphaLayer) mmxRect(mmxRows().layer, x2dPlaceNoClip(width, height, skip, x, y, target), alphaLayer, color, 0);
}

void x2dSpriteMMX::DrawLayerLevelNoClip(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !alphaLayer) return;
  if (level == 255) return DrawLayerNoClip(x, y, target);
  mmxRect(mmxRows().layerLevel, x2dPlaceNoClip(width, height, skip, x, y, target), alphaLayer, color, level);
}

void x2dSpriteMMX::Draw(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().copy, r, pixels, 0, 0);
}

void x2dSpriteMMX::DrawAdd(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().add, r, pixels, 0, 0);
}

void x2dSpriteMMX::DrawBlendScaled(int32_t x, int32_t y, float scale, int32_t level, uint32_t* target) {
  x2dScaledRect r;
  if (pixels && x2dPlaceScaled(width, height, x, y, scale, target, r))
    mmxScaled(mmxRows().blend, r, pixels, width, 0, x2dClampLevel(level));
}

void x2dSpriteMMX::DrawBlend(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r))
    mmxRect(mmxRows().blend, r, pixels, 0, x2dClampLevel(level));
}

void x2dSpriteMMX::DrawAlphaScaled(int32_t x, int32_t y, float scale, uint32_t* target) {
  x2dScaledRect r;
  if (pixels && x2dPlaceScaled(width, height, x, y, scale, target, r))
    mmxScaled(mmxRows().alpha, r, pixels, width, 0, 0);
}

void x2dSpriteMMX::DrawAlpha(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().alpha, r, pixels, 0, 0);
}

void x2dSpriteMMX::DrawAlphaLevelScaled(int32_t x, int32_t y, float scale, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlphaScaled(x, y, scale, target);
  x2dScaledRect r;
  if (x2dPlaceScaled(width, height, x, y, scale, target, r))
    mmxScaled(mmxRows().alphaLevel, r, pixels, width, 0, level);
}

void x2dSpriteMMX::DrawAlphaLevel(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !pixels) return;
  if (level == 255) return DrawAlpha(x, y, target);
  x2dRect r;
  if (x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().alphaLevel, r, pixels, 0, level);
}

void x2dSpriteMMX::DrawKey(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (pixels && x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().key, r, pixels, color, 0);
}

void x2dSpriteMMX::DrawLayerScaled(int32_t x, int32_t y, float scale, uint32_t* target) {
  x2dScaledRect r;
  if (alphaLayer && x2dPlaceScaled(width, height, x, y, scale, target, r))
    mmxScaled(mmxRows().layer, r, alphaLayer, width, color, 0);
}

void x2dSpriteMMX::DrawLayer(int32_t x, int32_t y, uint32_t* target) {
  x2dRect r;
  if (alphaLayer && x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().layer, r, alphaLayer, color, 0);
}

void x2dSpriteMMX::DrawLayerLevel(int32_t x, int32_t y, int32_t level, uint32_t* target) {
  level = x2dClampLevel(level);
  if (level == 0 || !alphaLayer) return;
  if (level == 255) return DrawLayer(x, y, target);
  x2dRect r;
  if (x2dPlaceClip(width, height, x, y, target, r)) mmxRect(mmxRows().layerLevel, r, alphaLayer, color, level);
}
