// The timeline's clock and pacing in whole headless runs: the cadence the log reports for each
// minimum frame time, and the counting clock without a module on a clock that runs in real time
// (the headless virtual clock standing in for it: the rows follow its time, not the calls).
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "demo/qvoptions.h"
#include "demo/qvtimeline.h"

namespace {

struct HandOver {
  int from, order, row;
  unsigned ms, frames;
};

std::vector<HandOver> qvHandOvers(const std::string& log) {
  std::vector<HandOver> all;
  std::string lines = qvLogLines(log, "XLOG: segment ");
  for (size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1) {
    HandOver h;
    int to;
    if (std::sscanf(lines.c_str() + at, "XLOG: segment %d -> %d: order %d row %d, %u ms, %u frames", &h.from, &to,
                    &h.order, &h.row, &h.ms, &h.frames) == 6)
      all.push_back(h);
  }
  return all;
}

// The program in this process, with the counting clock in real time from order 17, paused
// from 5 to 8 s.
int32_t qvRunCountingInRealTime(const std::string& log) {
  qvSetCounting(QV_COUNT_REAL_TIME);
  std::vector<const char*> a = {"quorvane",      "--headless", "--no-music",
                                "--start-order", "17",         "--log",
                                log.c_str(),     "--script",   "5000:key:SPACE,8000:key:SPACE"};
  return qvMain((int32_t)a.size(), (char**)a.data());
}

// Two observers of the presentation, each counting what it is told and whether the one that
// joined first was told first.
struct Watch {
  uint32_t passes, presents, frames, handOvers;
};
Watch gWatch[2];
int gLastTold = 1;
bool gInOrder = true;

template <int I>
void qvWatchTold() {
  gInOrder = gInOrder && gLastTold == 1 - I;
  gLastTold = I;
}
template <int I>
void qvWatchPass() {
  qvWatchTold<I>();
  gWatch[I].passes++;
}
template <int I>
void qvWatchPresent() {
  qvWatchTold<I>();
  gWatch[I].presents++;
}
template <int I>
void qvWatchFrame(const QvFrameEvent& e) {
  qvWatchTold<I>();
  (e.handOver ? gWatch[I].handOvers : gWatch[I].frames)++;
}
const QvObserver kWatchers[2] = {{qvWatchPass<0>, qvWatchPresent<0>, qvWatchFrame<0>},
                                 {qvWatchPass<1>, qvWatchPresent<1>, qvWatchFrame<1>}};

// The program in this process with both watchers and a frame dump joined; exits 0 when both
// saw every frame, in the order they joined.
int32_t qvRunWatched(const std::string& dumps) {
  if (!qvAddObserver(&kWatchers[0]) || !qvAddObserver(&kWatchers[1]) || !qvAddObserver(&kWatchers[0])) return 3;
  std::vector<const char*> a = {"quorvane", "--headless", "--start-order", "22", "--dump-frames", dumps.c_str()};
  if (qvMain((int32_t)a.size(), (char**)a.data()) != 0) return 4;
  std::fprintf(stderr, "watched %u %u %u %u / %u %u %u %u, presented %u, pass %u, order %d\n", gWatch[0].passes,
               gWatch[0].presents, gWatch[0].frames, gWatch[0].handOvers, gWatch[1].passes, gWatch[1].presents,
               gWatch[1].frames, gWatch[1].handOvers, qvStats.presented, qvStats.passFrames, gInOrder);
  // From order 22: segment 14 hands over once to segment 15, which ends the show; no pause and
  // no hand-over that presents, so every presented frame of the pass is a segment's frame.
  const Watch& w = gWatch[0];
  bool same = std::memcmp(&gWatch[0], &gWatch[1], sizeof(Watch)) == 0;
  bool all = w.passes == 1 && w.presents == qvStats.presented && w.frames == qvStats.passFrames && w.handOvers == 1;
  return same && all && gInOrder ? 0 : 1;
}

}  // namespace

// Several observers join the presentation beside the program's own (the frame dump, the display
// phase): each is told of every pass, present, frame and hand-over, in the order they joined.
TEST(Timeline, EveryObserverSeesEveryFrame) {
  std::string dumps = qvFreshDir("watched");
  EXPECT_EXIT(std::exit(qvRunWatched(dumps)), ::testing::ExitedWithCode(0), "watched");
  DIR* d = opendir(dumps.c_str());
  ASSERT_NE(d, nullptr);
  int pictures = 0;
  while (dirent* e = readdir(d)) pictures += std::strstr(e->d_name, ".png") != nullptr;
  closedir(d);
  EXPECT_GT(pictures, 0);  // the dump, joined beside the watchers, was told too
}

// Each segment's frames come at its minimum frame time (headless: a tick per clock query, so a
// little over it), the draw time beside it.
TEST(Timeline, CadenceOfEveryMinimumFrameTime) {
  std::string dir = qvAssetDir("cadence");
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 11 --log run.log"), 0);
  std::string lines = qvLogLines(qvReadFile(dir + "/run.log"), "XLOG: cadence of segment ");
  int seen = 0;
  for (size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1, seen++) {
    int seg;
    unsigned frames;
    double mean, worst, draw, drawWorst;
    ASSERT_EQ(std::sscanf(lines.c_str() + at,
                          "XLOG: cadence of segment %d: %u frames, interval mean %lf ms worst %lf ms, draw mean "
                          "%lf ms worst %lf ms",
                          &seg, &frames, &mean, &worst, &draw, &drawWorst),
              6)
        << lines;
    const QvSegmentDef& s = qvSegments[seg - 1];
    EXPECT_GT(frames, 50u) << "segment " << seg;
    EXPECT_GE(mean, (double)s.minFrame) << "segment " << seg;
    EXPECT_LE(mean, s.minFrame + 3.0) << "segment " << seg;
    EXPECT_LE(draw, mean) << "segment " << seg;
  }
  EXPECT_EQ(seen, 9) << lines;  // segments 7 to 15
}

// Without a module on a real clock the rows come at the module's pace: the hand-overs fall at
// the same positions and times as with the music, and a pause holds the count.
TEST(Timeline, CountingClockKeepsTheMusicsPaceOnARealClock) {
  std::string dir = qvAssetDir("realcount");
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 17 --log music.log"), 0);
  std::string log = dir + "/counted.log";
  EXPECT_EXIT(std::exit(qvRunCountingInRealTime(log)), ::testing::ExitedWithCode(0), "");
  std::string counted = qvReadFile(log);
  EXPECT_NE(counted.find("XLOG: music clock: no module, a row every 120 ms\n"), std::string::npos) << counted;
  std::vector<HandOver> m = qvHandOvers(qvReadFile(dir + "/music.log")), c = qvHandOvers(counted);
  ASSERT_EQ(m.size(), 3u);  // segments 12 to 14 hand over; 15 ends the show
  ASSERT_EQ(c.size(), m.size()) << counted;
  for (size_t i = 0; i < m.size(); i++) {
    EXPECT_EQ(c[i].from, m[i].from);
    EXPECT_EQ(c[i].order, m[i].order) << "segment " << m[i].from;
    EXPECT_EQ(c[i].row, m[i].row) << "segment " << m[i].from;
    // Three seconds of pause, give or take a frame at either end.
    EXPECT_NEAR((double)c[i].ms, m[i].ms + 3000.0, 120.0) << "segment " << m[i].from;
    EXPECT_NEAR((double)c[i].frames, (double)m[i].frames, 3.0) << "segment " << m[i].from;
  }
  // The show runs at its length: the last segment too draws as many frames (besides the frame
  // the pause shows again every 50 ms).
  unsigned mFrames = 0, cFrames = 0;
  std::sscanf(qvLogLines(qvReadFile(dir + "/music.log"), "XLOG: presented").c_str(), "XLOG: presented %u", &mFrames);
  std::sscanf(qvLogLines(counted, "XLOG: presented").c_str(), "XLOG: presented %u", &cFrames);
  EXPECT_NEAR((double)cFrames, mFrames + 3000 / 51.0, 5.0);
}
