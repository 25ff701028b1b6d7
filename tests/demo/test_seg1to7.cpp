// Segments 1 to 7 driven frame by frame inside the test process (headless start-up, no
// music): the properties that hold whatever the assets look like.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo/qvdemo.h"
#include "demo/qvdemotest.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "fx/fxtoolkit.h"
#include "system/xsystem.h"
#include "x2d/x2d.h"
#include "x3d/x3dscene.h"
#include "xmath/xrand.h"

namespace {

class Seg1to7 : public ::testing::Test {
 protected:
  void SetUp() override {
    qvTestStartup("--no-music");
    ASSERT_NE(view, nullptr);
    firstFrame = 0;
    frameTime = 50;
  }
  // Segment k (0-based) from its initial state, its scene current, at a music position.
  void begin(int32_t k, int32_t order, int32_t row) {
    qvSegments[k].reset();
    if (qvSegments[k].scene) qvUseScene(qvSegments[k].scene);
    musicOrder = order, musicRow = row;
  }
  void frame(int32_t k) { qvSegments[k].frame(); }
  static bool allBlack() {
    for (int32_t i = 0; i < QV_VIEW_PIXELS; i++)
      if (view[i] & 0xffffff) return false;
    return true;
  }
};

TEST_F(Seg1to7, SegmentOneFirstFrameClearsAndFadesIn) {
  begin(0, 0, 0);
  std::memset(view, 0xff, QV_VIEW_PIXELS * 4);
  firstFrame = 1;
  frame(0);
  firstFrame = 0;
  // Cleared, then darkened by 230: no channel above 25.
  for (int32_t i = 0; i < QV_VIEW_PIXELS; i++)
    for (int32_t shift = 0; shift < 24; shift += 8) ASSERT_LE((view[i] >> shift) & 255, 25u) << "pixel " << i;
  EXPECT_EQ(qvSeg01.fadeIn, 230);
  for (int32_t n = 0; n < 10; n++) frame(0);
  EXPECT_EQ(qvSeg01.fadeIn, 0);
  EXPECT_EQ(qvSeg01.fadeOut, 0);
  musicOrder = 1;
  for (int32_t n = 0; n < 20; n++) frame(0);
  EXPECT_EQ(qvSeg01.fadeOut, 255);
  EXPECT_TRUE(allBlack());
}

TEST_F(Seg1to7, SegmentTwoBlackUntil170ThenLogoZoomsWithoutAJump) {
  begin(1, 1, 10);
  int32_t black = 0;
  while (qvSeg02.time + frameTime * 0.0323f <= 170.0f) {
    frame(1);
    ASSERT_TRUE(allBlack()) << "scene time " << qvSeg02.time;
    black++;
  }
  EXPECT_EQ(black, 24);  // (170 - 131) / (50 x 0.0323)
  frame(1);
  EXPECT_FALSE(allBlack());
  while (qvSeg02.time <= 350.0f) frame(1);
  // From 350 the logo grows by 0.02 a frame to exactly 1.0, then is drawn unscaled at the same place.
  const x2dSprite* logo = logoSprite;
  const int32_t x0 = (QV_VIEW_W - logo->width) >> 1, y0 = (QV_VIEW_H - logo->height) >> 1;
  float last = qvSeg02.logoScale;
  int32_t zoomFrames = 0, opaque = 0;
  for (int32_t n = 0; n < 60; n++) {
    frame(1);
    if (qvSeg02.logoScale != last) zoomFrames++;
    if (qvSeg02.logoScale < 1.0f) {
      EXPECT_NEAR(qvSeg02.logoScale - last, 0.02f, 1e-5);
    }
    last = qvSeg02.logoScale;
    if (qvSeg02.logoScale != 1.0f) continue;
    for (int32_t y = 0; y < logo->height; y++)
      for (int32_t x = 0; x < logo->width; x++) {
        uint32_t p = logo->pixels[y * logo->width + x];
        if (p >> 24 != 255) continue;
        opaque++;
        ASSERT_EQ(view[(y0 + y) * QV_VIEW_W + x0 + x] & 0xffffff, p & 0xffffff)
            << "frame " << n << " at " << x << "," << y;
      }
  }
  EXPECT_EQ(last, 1.0f);
  EXPECT_GE(zoomFrames, 50);
  EXPECT_LE(zoomFrames, 51);
  EXPECT_GT(opaque, 0);
}

TEST_F(Seg1to7, SegmentThreeBackgroundBlendAndCreditIndex) {
  begin(2, 3, 0);
  std::vector<int32_t> index;
  for (int32_t n = 0; n < 9; n++) {
    index.push_back(qvSeg03.creditIndex);
    frame(2);
  }
  EXPECT_EQ(index, (std::vector<int32_t>{1, 2, 3, 2, 1, 0, 1, 2, 3}));
  EXPECT_EQ(qvSeg03.backLevel, 0);  // before order 4 row 31
  musicOrder = 4, musicRow = 31;
  std::vector<int32_t> levels;
  for (int32_t n = 0; n < 28; n++) {
    frame(2);
    levels.push_back(qvSeg03.backLevel);
  }
  for (int32_t n = 0; n < 25; n++) EXPECT_EQ(levels[n], 10 * (n + 1));
  EXPECT_EQ(levels[25], 255);
  EXPECT_EQ(levels[27], 255);
  // Past row 49 the second credit fades by 15 a frame.
  musicRow = 50;
  int32_t before = qvSeg03.creditLevel[1];
  frame(2);
  EXPECT_EQ(qvSeg03.creditLevel[1], before - 15);
  // From row 56 of order 5 the view is left black.
  musicOrder = 5, musicRow = 56;
  frame(2);
  EXPECT_TRUE(allBlack());
}

TEST_F(Seg1to7, SegmentSixPlanetShowsThePreviousFrameMirrored) {
  begin(5, 9, 0);
  x3dMaterial* jupiter = x3dFindMaterial("JUPITER", qvScene("scene_6.x3d"));
  ASSERT_NE(jupiter, nullptr);
  EXPECT_EQ(jupiter->texture.image, textureSprite->pixels);
  std::vector<uint32_t> mirror(256 * 256);
  for (int32_t n = 0; n < 4; n++) {
    frame(5);
    fxScaleMirror(view, mirror.data(), QV_VIEW_W, QV_VIEW_H, 256, 256);
    ASSERT_EQ(std::memcmp(mirror.data(), textureSprite->pixels, mirror.size() * 4), 0) << "frame " << n;
  }
}

TEST_F(Seg1to7, SegmentSevenTickerOnlyInLines175To184) {
  begin(6, 10, 0);
  x2dSprite* strip = vantreSprite;
  x2dSprite* black = x2dSpriteCreate(strip->width, strip->height);  // adds nothing
  std::vector<uint32_t> with(QV_VIEW_PIXELS);
  int32_t changed = 0;
  for (int32_t n = 0; n < 40; n++) {
    frameTime = 50 + 40 * n;  // long frames too: the strip wraps
    QvSeg07State state = qvSeg07;
    frame(6);
    EXPECT_EQ(x2dClipWindow[0], 0);
    EXPECT_EQ(x2dClipWindow[1], 0);
    EXPECT_EQ(x2dClipWindow[2], QV_VIEW_W);
    EXPECT_EQ(x2dClipWindow[3], QV_VIEW_H);
    std::memcpy(with.data(), view, QV_VIEW_PIXELS * 4);
    qvSeg07 = state;
    vantreSprite = black;
    frame(6);
    vantreSprite = strip;
    for (int32_t i = 0; i < QV_VIEW_PIXELS; i++) {
      if (with[i] == view[i]) continue;
      changed++;
      ASSERT_GE(i / QV_VIEW_W, 175) << "frame " << n;
      ASSERT_LE(i / QV_VIEW_W, 184) << "frame " << n;
    }
  }
  EXPECT_GT(changed, 0);
  delete black;
}

// A fade-out that starts at a position keeps its level when the pacing has already moved the
// music into the next order: the last frame before the hand-over does not flash back.
TEST_F(Seg1to7, FadeOutsHoldIntoTheNextOrder) {
  const struct { int32_t k, order, row; } fades[] = {{1, 2, 58}, {3, 7, 57}, {6, 11, 58}};
  for (const auto& f : fades) {
    begin(f.k, f.order, f.row);
    for (int32_t n = 0; n < 30; n++) frame(f.k);
    EXPECT_TRUE(allBlack()) << "segment " << f.k + 1;
    musicOrder = f.order + 1, musicRow = 0;
    frame(f.k);
    EXPECT_TRUE(allBlack()) << "segment " << f.k + 1 << " at the next order";
  }
}

// One pass through segments 1 to 7 as the timeline would run it (hand-over copies included),
// from the state a new pass starts with; the hash of every frame drawn.
uint64_t qvDrivePass() {
  for (int32_t k = 0; k < 7; k++) qvSegments[k].reset();
  qvResetSharedState();
  xMathSeed(xSysRandSeed);
  std::memset(view, 0, QV_VIEW_PIXELS * 4);
  uint64_t hash = 0xcbf29ce484222325ull;
  firstFrame = 1;
  for (int32_t order = 0, row = 0, k = 0; k < 7; row += 4) {
    if (row > 63) row -= 64, order++;
    if (qvSegmentEnded(k, order, row)) {
      if (qvSegments[k].handOver & QV_HAND_CLEAR_PRESENT) std::memset(view, 0, QV_VIEW_PIXELS * 4);
      if (qvSegments[k].handOver & QV_HAND_COPY_WORK) std::memcpy(workSprite->pixels, view, QV_VIEW_PIXELS * 4);
      k++;
      continue;
    }
    if (qvSegments[k].scene) qvUseScene(qvSegments[k].scene);
    musicOrder = order, musicRow = row;
    frameTime = 37 + (uint32_t)(row % 5) * 11;
    qvSegments[k].frame();
    firstFrame = 0;
    hash = qvHashPixels(hash, view, QV_VIEW_PIXELS);
  }
  return hash;
}

TEST_F(Seg1to7, PassesRepeatExactly) {
  uint64_t first = qvDrivePass();
  EXPECT_EQ(qvDrivePass(), first);
}

}  // namespace
