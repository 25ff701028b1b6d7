// The shared scan-line walk, with integer edges so that every row is known exactly.
#include <gtest/gtest.h>

#include <vector>

#include "x3d/raster/x3dedges.h"

namespace {

struct P {
  int32_t x, y;
};
struct E {
  int32_t x, dx, lines;
  bool left;
};
struct Ops {
  template <bool Left>
  static int32_t setup(E& e, const P& p, const P& q) {
    e.lines = q.y - p.y;
    e.dx = e.lines > 0 ? (q.x - p.x) / e.lines : 0;
    e.x = p.x;
    e.left = Left;
    return e.lines;
  }
  template <bool Left>
  static void step(E& e) {
    e.x += e.dx;
  }
};

struct Row {
  int32_t y, xl, xr;
};

std::vector<Row> walk(P top, P mid, P bot, bool midLeft, int32_t y0, int32_t height) {
  std::vector<Row> rows;
  x3dr::walkEdges<Ops, E>(top, mid, bot, midLeft, y0, height, [&](int32_t y, const E& l, const E& r) {
    EXPECT_TRUE(l.left);
    EXPECT_FALSE(r.left);
    rows.push_back({y, l.x, r.x});
  });
  return rows;
}

TEST(X3dEdges, ShortSideBendsAtTheMiddleCornerOnEitherSide) {
  // Middle corner on the left: the left side turns at y = 4, the long right side is straight.
  std::vector<Row> rows = walk({0, 0}, {-8, 4}, {0, 8}, true, 0, 100);
  ASSERT_EQ(rows.size(), 8u);
  for (int32_t y = 0; y < 8; y++) {
    EXPECT_EQ(rows[y].y, y);
    EXPECT_EQ(rows[y].xl, y <= 4 ? -2 * y : -8 + 2 * (y - 4)) << y;
    EXPECT_EQ(rows[y].xr, 0) << y;
  }
  rows = walk({0, 0}, {8, 4}, {0, 8}, false, 0, 100);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[4].xr, 8);
  EXPECT_EQ(rows[7].xr, 2);
  EXPECT_EQ(rows[7].xl, 0);
}

TEST(X3dEdges, FlatTopOrBottomAndViewLimits) {
  EXPECT_EQ(walk({0, 0}, {8, 0}, {4, 4}, false, 0, 100).size(), 4u);  // no upper short edge
  EXPECT_EQ(walk({0, 0}, {8, 4}, {4, 4}, false, 0, 100).size(), 4u);  // no lower short edge
  EXPECT_TRUE(walk({0, 0}, {8, 0}, {4, 0}, false, 0, 100).empty());   // no height at all
  // Rows above 0 are stepped over, rows from the height on never reached.
  std::vector<Row> rows = walk({0, -3}, {-8, 1}, {0, 5}, true, -3, 4);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows.front().y, 0);
  EXPECT_EQ(rows.front().xl, -6);
  EXPECT_EQ(rows.back().y, 3);
}

}  // namespace
