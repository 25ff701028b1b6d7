// The corner sort and the scan-line walk shared by the affine and the perspective
// fillers: a triangle sorted by y has a long side (top to bottom) and a short side
// that bends at the middle corner. The filler supplies its edge record E, its corner record V and
// Ops with, for the left (true) and right (false) side:
//   static int32_t setup<Left>(E&, const V& upper, const V& lower)  scan lines spanned (<= 0: none)
//   static void step<Left>(E&)                                      down one scan line
// E must have an int32_t `lines`. Internal to src/x3d/raster.
#pragma once
#include <cstdint>

namespace x3dr {

// Top, middle and bottom corner by y, ties always broken the same way; y must not be NaN.
template <class V>
inline void sortByY(const V v[3], const V*& top, const V*& mid, const V*& bot) {
  const V *c1, *c2;
  if (v[1].y < v[0].y) {
    top = &v[1];
    c1 = &v[0];
  } else {
    top = &v[0];
    c1 = &v[1];
  }
  if (v[2].y < top->y) {
    c2 = top;
    top = &v[2];
  } else {
    c2 = &v[2];
  }
  if (c1->y > c2->y) {
    mid = c2;
    bot = c1;
  } else {
    mid = c1;
    bot = c2;
  }
}

// Calls row(y, left, right) for every scan line y from y0 on that the triangle covers,
// up to (not including) height; rows above 0 are walked but not drawn.
template <class Ops, class E, class V, class Row>
inline void walkEdges(const V& top, const V& mid, const V& bot, bool midLeft, int32_t y0, int32_t height, Row&& row) {
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
