// The scan-line walk shared by the affine and the perspective fillers: a triangle
// sorted by y has a long side (top to bottom) and a short side that bends at the
// middle corner. The filler supplies its edge record E, its corner record V and
// Ops with, for the left (true) and right (false) side:
//   static int32_t setup<Left>(E&, const V& upper, const V& lower)  scan lines spanned (<= 0: none)
//   static void step<Left>(E&)                                      down one scan line
// E must have an int32_t `lines`. Internal to src/x3d/raster.
#pragma once
#include <cstdint>

namespace x3dr {

// Calls row(y, left, right) for every scan line y from y0 on that the triangle covers,
// up to (not including) height; rows above 0 are walked but not drawn.
template <class Ops, class E, class V, class Row>
inline void walkEdges(const V& top, const V& mid, const V& bot, bool midLeft, int32_t y0, int32_t height,
                      Row&& row) {
  E left, right;
  const V* leftNext = nullptr;  // the short side's second edge (mid to bot), still to come
  const V* rightNext = nullptr;
  if (midLeft) {
    if (Ops::template setup<false>(right, top, bot) <= 0) return;
    if (Ops::template setup<true>(left, top, mid) <= 0) {
      if (Ops::template setup<true>(left, mid, bot) <= 0) return;
    } else {
      leftNext = &mid;
    }
  } else {
    if (Ops::template setup<true>(left, top, bot) <= 0) return;
    if (Ops::template setup<false>(right, top, mid) <= 0) {
      if (Ops::template setup<false>(right, mid, bot) <= 0) return;
    } else {
      rightNext = &mid;
    }
  }
  for (int32_t y = y0;; y++) {
    if (y >= height) return;
    if (y >= 0) row(y, left, right);
    if (--left.lines > 0) {
      Ops::template step<true>(left);
    } else {
      if (!leftNext || Ops::template setup<true>(left, *leftNext, bot) <= 0) return;
      leftNext = nullptr;
    }
    if (--right.lines > 0) {
      Ops::template step<false>(right);
    } else {
      if (!rightNext || Ops::template setup<false>(right, *rightNext, bot) <= 0) return;
      rightNext = nullptr;
    }
  }
}

}  // namespace x3dr
