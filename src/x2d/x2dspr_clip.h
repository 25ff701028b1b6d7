// Placement of a sprite in a target: the unclipped, clipped and scaled rectangles
// shared by both sprite classes. Internal to the 2D engine.
#pragma once
#include <cmath>
#include <cstdint>

#include "x2d/x2d.h"

// Rows x cols pixels starting at source element srcStart (row-major, W per row)
// and at destination dst; dstStep = frame-buffer width.
struct x2dRect {
  int32_t cols, rows;
  int64_t srcStart;
  int32_t srcRow;  // source elements per row (the sprite's width)
  uint32_t* dst;
  int32_t dstStep;
};

// Scaled placement: source column of destination column i is (uStart + i x stepX) >> 16,
// source row of destination row j is (vStart + j x stepY) >> 16.
struct x2dScaledRect {
  int32_t cols, rows;
  int64_t uStart, vStart, stepX, stepY;
  uint32_t* dst;
};

static inline uint32_t* x2dTargetAt(uint32_t* target, int32_t x, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target) + x2dLineOffset[y]) + x;
}

// The caller guarantees that the whole sprite lies in the target; rows step by width + skip.
static inline x2dRect x2dPlaceNoClip(int32_t w, int32_t h, int32_t skip, int32_t x, int32_t y, uint32_t* target) {
  return x2dRect{w, h, 0, w, x2dTargetAt(target, x, y), w + skip};
}

// False when nothing of the sprite lies inside the clip window. 64-bit sums so that
// positions near the ends of the int32 range cannot overflow.
static inline bool x2dPlaceClip(int32_t w, int32_t h, int32_t x, int32_t y, uint32_t* target, x2dRect& r) {
  const int64_t left = x2dClipWindow[0], top = x2dClipWindow[1];
  const int64_t right = x2dClipWindow[2], bottom = x2dClipWindow[3];
  int64_t px = x, py = y, cols = w, rows = h, src = 0;
  if (px + w > right) cols = right - px;
  if (py + h > bottom) rows = bottom - py;
  if (px < left) {
    src += left - px;
    cols -= left - px;
    px = left;
  }
  if (py < top) {
    src += (top - py) * w;
    rows -= top - py;
    py = top;
  }
  if (cols <= 0 || rows <= 0) return false;
  r = x2dRect{static_cast<int32_t>(cols),
              static_cast<int32_t>(rows),
              src,
              w,
              x2dTargetAt(target, static_cast<int32_t>(px), static_cast<int32_t>(py)),
              x2dWidth};
  return true;
}

// Scaled size trunc(size x scale) in double precision; a size that truncates to 0 (or a
// negative or NaN scale) draws nothing instead of dividing by zero. Sizes are capped at 2^30.
static inline int64_t x2dScaledSize(int32_t size, float scale) {
  double d = static_cast<double>(size) * static_cast<double>(scale);
  if (!(d >= 1.0)) return 0;
  return d > 1073741824.0 ? 1073741824 : static_cast<int64_t>(d);
}

static inline bool x2dPlaceScaled(int32_t w, int32_t h, int32_t x, int32_t y, float scale, uint32_t* target,
                                  x2dScaledRect& r) {
  const int64_t dw = x2dScaledSize(w, scale), dh = x2dScaledSize(h, scale);
  if (dw <= 0 || dh <= 0) return false;
  const int64_t left = x2dClipWindow[0], top = x2dClipWindow[1];
  const int64_t right = x2dClipWindow[2], bottom = x2dClipWindow[3];
  // 16.16 steps, truncated: the last destination column samples at most column w - 1.
  const int64_t stepX = static_cast<int64_t>(static_cast<double>(w) / static_cast<double>(dw) * 65536.0);
  const int64_t stepY = static_cast<int64_t>(static_cast<double>(h) / static_cast<double>(dh) * 65536.0);
  int64_t px = x, py = y, cols = dw, rows = dh, u0 = 0, v0 = 0;
  if (px + dw > right) cols = right - px;
  if (py + dh > bottom) rows = bottom - py;
  if (px < left) {
    cols -= left - px;
    if (cols > 0) u0 = (left - px) * stepX;
    px = left;
  }
  if (py < top) {
    rows -= top - py;
    if (rows > 0) v0 = (top - py) * stepY;
    py = top;
  }
  if (rows <= 0 || cols <= 0) return false;
  r = x2dScaledRect{static_cast<int32_t>(cols),
                    static_cast<int32_t>(rows),
                    u0,
                    v0,
                    stepX,
                    stepY,
                    x2dTargetAt(target, static_cast<int32_t>(px), static_cast<int32_t>(py))};
  return true;
}

// Level arguments are opacities 0..255; anything outside is clamped so that table rows
// and 16-bit lane products stay in range.
static inline int32_t x2dClampLevel(int32_t level) { return level < 0 ? 0 : (level > 255 ? 255 : level); }
