// Lines and fades on buffers laid out like the frame buffer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "x2d/x2d.h"
#include "x2d/x2dkernels.h"

namespace {

class X2dLines : public ::testing::Test {
 protected:
  void SetUp() override {
    x2dInit(320, 240);
    x2dSetClipWindow(0, 0, 320, 200);
    fb_.assign(320 * 240, 0x01020304u);
  }
  void TearDown() override { x2dDetectMMX(); }
  // Pixels of the buffer equal to colour, as (x, y) pairs in scan order.
  std::vector<std::pair<int, int>> painted(uint32_t colour) const {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < 320 * 240; i++)
      if (fb_[i] == colour) out.push_back({i % 320, i / 320});
    return out;
  }
  std::vector<uint32_t> fb_;
};

using Px = std::vector<std::pair<int, int>>;

TEST_F(X2dLines, HorizontalClipsAtTheWindow) {
  const uint32_t c = 0xFFFFFFFF;
  x2dHLine(0, 5, 200, c, fb_.data());    // y = bottom: nothing
  x2dHLine(0, 5, -1, c, fb_.data());     // above the window
  x2dHLine(-50, -1, 10, c, fb_.data());  // wholly left
  x2dHLine(7, 7, 10, c, fb_.data());     // empty span
  EXPECT_TRUE(painted(c).empty());
  x2dHLine(0, 2, 199, c, fb_.data());  // y = bottom - 1 draws; x2 exclusive
  EXPECT_EQ(painted(c), (Px{{0, 199}, {1, 199}}));
}

TEST_F(X2dLines, HorizontalSwapsEndsAndClipsBothSides) {
  x2dHLine(300, 250, 3, 0xAA, fb_.data());
  Px want;
  for (int x = 250; x < 300; x++) want.push_back({x, 3});
  EXPECT_EQ(painted(0xAA), want);
  x2dHLine(-10, 1000, 4, 0xBB, fb_.data());
  EXPECT_EQ(painted(0xBB).size(), 320u);
  x2dSetClipWindow(20, 10, 40, 30);
  x2dHLine(45, 0, 12, 0xCC, fb_.data());
  Px inner;
  for (int x = 20; x < 40; x++) inner.push_back({x, 12});
  EXPECT_EQ(painted(0xCC), inner);
}

TEST_F(X2dLines, VerticalClipsAndSwaps) {
  x2dVLine(320, 0, 10, 0xAA, fb_.data());  // x = right: nothing
  x2dVLine(-1, 0, 10, 0xAA, fb_.data());
  x2dVLine(5, 300, 200, 0xAA, fb_.data());  // below the window
  EXPECT_TRUE(painted(0xAA).empty());
  x2dVLine(319, 198, 190, 0xAA, fb_.data());
  Px want;
  for (int y = 190; y < 198; y++) want.push_back({319, y});
  EXPECT_EQ(painted(0xAA), want);
  x2dVLine(0, -100, 1000, 0xBB, fb_.data());
  EXPECT_EQ(painted(0xBB).size(), 200u);  // lines 0..199 only
}

TEST_F(X2dLines, LinesHonourTheTargetOffset) {
  // The parts draw into the view at line 20 of the frame buffer.
  x2dHLine(0, 1, 0, 0xAA, fb_.data() + 6400);
  x2dVLine(3, 0, 2, 0xBB, fb_.data() + 6400);
  EXPECT_EQ(painted(0xAA), (Px{{0, 20}}));
  EXPECT_EQ(painted(0xBB), (Px{{3, 20}, {3, 21}}));
}

// The fades against a per-channel model, on SSE2 and on the portable twin, with counts
// that leave every remainder of the wide steps and unaligned starts.
TEST_F(X2dLines, FadesAreSaturatingAndKeepTopBytes) {
  std::mt19937 rng(99);
  for (bool sse2 : {true, false}) {
    x2dInstallKernels(!sse2);
    for (int32_t level : {0, 1, 77, 128, 254, 255, 0x1FF, -1, 0x12345600}) {
      for (int32_t count : {0, 1, 3, 4, 5, 15, 16, 17, 33, 1000}) {
        std::vector<uint32_t> buf(count + 3), before;
        for (auto& p : buf) p = rng();
        before = buf;
        const int32_t start = count % 3;
        const uint32_t b = static_cast<uint32_t>(level) & 0xFF;
        for (int white = 0; white < 2; white++) {
          buf = before;
          if (white) x2dFadeToWhite(level, count, buf.data() + start);
          else x2dFadeToBlack(level, count, buf.data() + start);
          for (int32_t i = 0; i < count + 3; i++) {
            uint32_t want = before[i];
            if (i >= start && i < start + count) {
              want &= 0xFF000000u;
              for (int sh = 0; sh < 24; sh += 8) {
                int32_t ch = (before[i] >> sh) & 0xFF;
                ch = white ? std::min<int32_t>(ch + b, 255) : std::max<int32_t>(ch - b, 0);
                want |= static_cast<uint32_t>(ch) << sh;
              }
            }
            ASSERT_EQ(buf[i], want) << (white ? "white" : "black") << " level " << level << " count " << count
                                    << " pixel " << i << " sse2 " << sse2;
          }
        }
      }
    }
  }
}

TEST_F(X2dLines, FadeEndLevels) {
  std::vector<uint32_t> buf = {0xAB123456, 0x00FFFFFF, 0xFF000000, 0x7F808080, 0x01020304};
  std::vector<uint32_t> b = buf;
  x2dFadeToBlack(255, 5, b.data());
  EXPECT_EQ(b, (std::vector<uint32_t>{0xAB000000, 0, 0xFF000000, 0x7F000000, 0x01000000}));
  b = buf;
  x2dFadeToWhite(255, 5, b.data());
  EXPECT_EQ(b, (std::vector<uint32_t>{0xABFFFFFF, 0x00FFFFFF, 0xFFFFFFFF, 0x7FFFFFFF, 0x01FFFFFF}));
  b = buf;
  x2dFadeToBlack(0, 5, b.data());
  x2dFadeToWhite(256, 5, b.data());  // only the low byte counts: 0
  x2dFadeToBlack(200, 0, b.data());
  x2dFadeToWhite(200, -5, b.data());
  EXPECT_EQ(b, buf);
}

}  // namespace
