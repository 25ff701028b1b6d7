// Segments 8 to 15: properties that hold whatever the assets look like. The in-process
// tests start the program headless once and drive the segments' frames directly.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemo.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"
#include "demo/qvsegments.h"
#include "demo/qvtimeline.h"
#include "image/xflc.h"
#include "platform/platform.h"
#include "x2d/x2d.h"
#include "xmath/xrand.h"

namespace {

using Frame = std::vector<uint32_t>;

Frame qvViewNow() { return Frame(view, view + QV_VIEW_PIXELS); }

// Mean absolute channel difference of two frames.
double qvFrameDistance(const Frame& a, const Frame& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); i++)
    for (int sh = 0; sh < 24; sh += 8) sum += std::abs((int)((a[i] >> sh) & 255) - (int)((b[i] >> sh) & 255));
  return sum / (double)a.size();
}

// A tunnel frame of segment 8 or 10 at a given offset, with nothing else moving in it.
Frame qvTunnelFrame(bool second, uint16_t offset, uint16_t* after) {
  frameTime = 25;
  musicOrder = 12, musicRow = 0;
  if (second) {
    qvSeg10Reset();
    qvSeg10.offset = offset, qvSeg10.fadeIn = 0, qvSeg10.stripY = -1000;
    qvSeg10Frame();
    *after = qvSeg10.offset;
  } else {
    qvSeg08Reset();
    qvSeg08.offset = offset, qvSeg08.fadeIn = 0, qvSeg08.stripY = 1000;
    qvSeg08Frame();
    *after = qvSeg08.offset;
  }
  return qvViewNow();
}

// The largest distance between neighbouring frames (offsets 255 apart) over the whole range.
double qvWorstNeighbours(bool second) {
  double worst = 0;
  uint16_t after;
  for (int32_t o = 300; o < 65000; o += 2048) {
    Frame a = qvTunnelFrame(second, (uint16_t)o, &after);
    Frame b = qvTunnelFrame(second, after, &after);
    worst = std::max(worst, qvFrameDistance(a, b));
  }
  return worst;
}

}  // namespace

TEST(Seg8to15, TunnelOffsetsWrapWithoutSeam) {
  qvTestStartup();
  uint16_t after;
  // Tunnel 1 runs forwards: 65491 + 255 wraps to 210.
  Frame before = qvTunnelFrame(false, 65491, &after);
  EXPECT_EQ(after, 210);
  Frame wrapped = qvTunnelFrame(false, after, &after);
  EXPECT_GT(qvFrameDistance(before, wrapped), 0.0);
  EXPECT_LE(qvFrameDistance(before, wrapped), qvWorstNeighbours(false) * 1.05);
  // Tunnel 2 runs backwards: 100 - 255 wraps to 65381.
  before = qvTunnelFrame(true, 100, &after);
  EXPECT_EQ(after, 65381);
  wrapped = qvTunnelFrame(true, after, &after);
  EXPECT_GT(qvFrameDistance(before, wrapped), 0.0);
  EXPECT_LE(qvFrameDistance(before, wrapped), qvWorstNeighbours(true) * 1.05);
}

TEST(Seg8to15, AnimationWaitsForOrder18LoopsAndBlanksItsTopLines) {
  qvTestStartup();
  qvUseScene("scene_13.x3d");
  qvSeg13Reset();
  xFlcRewind();
  lastFrameTick = platGetTickCount();
  musicOrder = 17, musicRow = 0;
  for (int i = 0; i < 20; i++) {
    qvSeg13Frame();
    ASSERT_EQ(qvSeg13.animFrame, 0);
    ASSERT_EQ(qvSeg13.visible, 0);
    ASSERT_EQ(xFlcState.cursor, 0) << "no frame is decoded before order 18";
  }
  const int32_t count = xFlcState.frameCount;
  ASSERT_GT(count, 2);
  musicOrder = 18;
  const int32_t w = animationSprite->width;
  int32_t last = 0, steps = 0, rewinds = 0, blankChecked = 0;
  for (int i = 0; i < 40 * count && rewinds < 2; i++) {
    if (qvSeg13.animFrame >= 80 && qvSeg13.animFrame < count - 1) {
      // Whatever the animation holds there, the top lines must come out blank: mark them
      // with an index of another colour than index 0's.
      const uint8_t* pal = xFlcState.palette;
      int32_t mark = 1;
      while (mark < 255 && !std::memcmp(pal + 3 * mark, pal, 3)) mark++;
      std::memset(xFlcState.pixels, mark, (size_t)20 * w);
    }
    qvSeg13Frame();
    int32_t now = qvSeg13.animFrame;
    if (now == last) continue;
    steps++;
    if (now == 0) {
      // The last frame of the loop was shown; the cursor went back and the first is decoded again.
      EXPECT_EQ(last, count - 1);
      EXPECT_EQ(xFlcState.frameStart, 0);
      rewinds++;
    } else {
      EXPECT_EQ(now, last + 1);
      if (now > 1) {
        EXPECT_EQ(qvSeg13.visible, 1);
      }
      if (now > 80) {
        // Every pixel of the top 20 lines has the key colour: nothing of them is drawn.
        for (int32_t p = 0; p < 20 * w; p++) ASSERT_EQ(animationSprite->pixels[p], animationSprite->color);
        blankChecked++;
      }
    }
    last = now;
  }
  EXPECT_EQ(rewinds, 2);
  if (count > 81) {
    EXPECT_GT(blankChecked, 0);
  }
  EXPECT_GE(steps, 2 * count);
}

TEST(Seg8to15, MarkersStayInTheirBoxes) {
  qvTestStartup();
  qvUseScene("scene_14.x3d");
  qvSeg14Reset();
  frameTime = 50;
  musicOrder = 21;
  for (int i = 0; i < 800; i++) {
    qvSeg14Frame();
    const QvMarker& m = qvSeg14.marker;
    ASSERT_TRUE(m.y >= 15 && m.y <= 71 && m.x >= 15 && m.x <= 71) << m.x << "," << m.y << " at frame " << i;
  }
  // Reversals at the worst moments (just outside an end) must not push a marker out either.
  struct Box {
    int32_t lo, hi, speed;
  } boxes[] = {{17, 69, 1}, {17, 69, 2}, {262, 304, 1}};
  std::srand(7);
  for (const Box& b : boxes) {
    int32_t p = (b.lo + b.hi) / 2, v = b.speed;
    for (int i = 0; i < 100000; i++) {
      if (std::rand() % 2) v = -v;
      qvMarkerStep(&p, &v, b.lo, b.hi);
      ASSERT_TRUE(p >= b.lo - b.speed && p <= b.hi + b.speed) << p;
    }
  }
}

namespace {

// Draws a segment frame twice from the same state and random seed, the second time with
// one ticker moved, and returns the bounding box of what changed (x0, y0, x1, y1; x0 > x1
// when nothing did). Checks that the clip window is whole again after each frame.
struct Box {
  int32_t x0, y0, x1, y1;
};
template <typename State>
Box qvTickerChange(void (*frame)(), State& state, int32_t* tickerY) {
  State start = state;
  xMathSeed(11);
  frame();
  Frame a = qvViewNow();
  EXPECT_TRUE(x2dClipWindow[0] == 0 && x2dClipWindow[1] == 0 && x2dClipWindow[2] == 320 && x2dClipWindow[3] == 200);
  state = start;
  *tickerY += 7;
  xMathSeed(11);
  frame();
  Frame b = qvViewNow();
  EXPECT_TRUE(x2dClipWindow[1] == 0 && x2dClipWindow[3] == 200);
  Box box = {QV_VIEW_W, QV_VIEW_H, -1, -1};
  for (int32_t i = 0; i < QV_VIEW_PIXELS; i++)
    if ((a[i] ^ b[i]) & 0xffffff) {
      int32_t x = i % QV_VIEW_W, y = i / QV_VIEW_W;
      box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    }
  return box;
}

}  // namespace

TEST(Seg8to15, TickersChangeOnlyTheirOwnLines) {
  qvTestStartup();
  const int32_t w = vantreSprite->width;
  frameTime = 50;
  musicOrder = 21;
  qvUseScene("scene_14.x3d");
  qvSeg14Reset();
  qvSeg14.whiteFade = 0;
  Box b = qvTickerChange(qvSeg14Frame, qvSeg14, &qvSeg14.ticker1Y);
  EXPECT_TRUE(b.x0 >= 15 && b.x1 < 15 + w && b.y0 >= 85 && b.y1 <= 174 && b.x1 >= b.x0)
      << b.x0 << "," << b.y0 << " .. " << b.x1 << "," << b.y1;
  b = qvTickerChange(qvSeg14Frame, qvSeg14, &qvSeg14.ticker2Y);
  EXPECT_TRUE(b.x0 >= 230 && b.x1 < 230 + w && b.y0 >= 15 && b.y1 <= 104 && b.x1 >= b.x0)
      << b.x0 << "," << b.y0 << " .. " << b.x1 << "," << b.y1;
  musicOrder = 24;
  qvSeg15Reset();
  qvSeg15.blend = 0;
  b = qvTickerChange(qvSeg15Frame, qvSeg15, &qvSeg15.tickerY);
  EXPECT_TRUE(b.x0 >= 250 && b.x1 < 250 + w && b.y0 >= 84 && b.y1 <= 173 && b.x1 >= b.x0)
      << b.x0 << "," << b.y0 << " .. " << b.x1 << "," << b.y1;
}

namespace {

struct DumpName {
  int segment, order;
};

std::vector<DumpName> qvDumped(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d) {
    while (dirent* e = readdir(d)) names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  std::vector<DumpName> all;
  for (const std::string& n : names) {
    unsigned ms;
    int seg, order, row;
    char tag[16] = "";
    if (std::sscanf(n.c_str(), "t%7u_s%2d_o%2d_r%2d_%15[a-z]", &ms, &seg, &order, &row, tag) >= 4 &&
        std::strcmp(tag, "first") != 0 && std::strcmp(tag, "last") != 0)
      all.push_back({seg, order});
  }
  return all;
}

}  // namespace

TEST(Seg8to15Run, FinalePostsTheQuitAtOrder26AndPresentsThatFrame) {
  std::string dir = qvFreshDir("finale");
  std::string out;
  // Every frame dumped (1 ms period): the run ends with exactly one frame at order 26.
  ASSERT_EQ(qvRunProgram(dir, std::string("--headless --start-order 25 --dump-frames ") + dir + "/f:1", &out), 0);
  std::vector<DumpName> frames = qvDumped(dir + "/f");
  ASSERT_FALSE(frames.empty());
  int atEnd = 0;
  for (const DumpName& f : frames) {
    EXPECT_EQ(f.segment, 15);
    atEnd += f.order >= QV_END_ORDER;
  }
  EXPECT_EQ(atEnd, 1);
  EXPECT_EQ(frames.back().order, QV_END_ORDER);
}

TEST(Seg8to15Run, LoopPassesRepeatExactly) {
  std::string dir = qvFreshDir("loop");
  // Segments 13 to 15 three times over (about 54 s each); Escape ends the run in the fourth pass.
  ASSERT_EQ(qvRunProgram(dir, "--headless --loop --start-order 19 --log loop.log --script 175000:key:ESC"), 0);
  std::string passes = qvLogLines(qvReadFile(dir + "/loop.log"), "XLOG: pass ");
  char hash[3][32] = {};
  unsigned frames[3] = {};
  size_t at = 0;
  for (int p = 0; p < 3; p++) {
    size_t eol = passes.find('\n', at);
    ASSERT_NE(eol, std::string::npos) << passes;
    int n;
    ASSERT_EQ(std::sscanf(passes.c_str() + at, "XLOG: pass %d: %u frames, hash %31[0-9a-f]", &n, &frames[p], hash[p]),
              3);
    at = eol + 1;
  }
  EXPECT_EQ(frames[1], frames[2]);
  EXPECT_STREQ(hash[1], hash[2]);
}
