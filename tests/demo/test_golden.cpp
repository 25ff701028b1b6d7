// Golden frames of the whole presentation: one deterministic headless run dumps every
// segment's first frame, a middle frame and its last frame before the hand-over, compared
// pixel for pixel with tests/data/golden/segNN_{first,mid,last}.png. After an intended
// change of a segment (or the renderer), regenerate them with
//   QV_UPDATE_GOLDEN=1 build/tests/test_demo --gtest_filter='Golden*'
// and look at the new pictures (qvtool sheet tests/data/golden -o sheet.png) before committing.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "image/xpng.h"

namespace {

struct Dumped {
  std::string file;
  unsigned ms;
  int segment;
  std::string tag;  // "", "first" or "last"
};

std::vector<Dumped> qvListDump(const std::string& dir) {
  std::vector<Dumped> all;
  DIR* d = opendir(dir.c_str());
  if (!d) return all;
  while (dirent* e = readdir(d)) {
    unsigned ms;
    int seg, order, row;
    char tag[16] = "";
    if (std::sscanf(e->d_name, "t%7u_s%2d_o%2d_r%2d_%15[a-z]", &ms, &seg, &order, &row, tag) >= 4)
      all.push_back({e->d_name, ms, seg, tag});
  }
  closedir(d);
  std::sort(all.begin(), all.end(), [](const Dumped& a, const Dumped& b) { return a.file < b.file; });
  return all;
}

}  // namespace

TEST(Golden, EverySegmentFirstMiddleLast) {
  std::string dir = qvFreshDir("golden");
  ASSERT_EQ(qvRunProgram(QV_BINARY_DIR, "--headless --dump-frames " + dir + "/frames:1000"), 0);
  std::vector<Dumped> frames = qvListDump(dir + "/frames");
  for (int seg = 1; seg <= 15; seg++) {
    std::vector<Dumped> mine, periodic;
    for (const Dumped& d : frames)
      if (d.segment == seg) (d.tag.empty() ? periodic : mine).push_back(d);
    ASSERT_FALSE(periodic.empty()) << "segment " << seg << " dumped no frame";
    mine.push_back(periodic[periodic.size() / 2]);
    mine.back().tag = "mid";
    for (const Dumped& d : mine) {
      if (seg == 15 && d.tag == "last") continue;  // the finale ends the run instead of handing over
      std::vector<uint32_t> px;
      int32_t w, h;
      const char* why = "";
      ASSERT_TRUE(xPngReadXrgb((dir + "/frames/" + d.file).c_str(), &px, &w, &h, &why)) << why;
      char name[64];
      std::snprintf(name, sizeof name, "golden/seg%02d_%s.png", seg, d.tag.c_str());
      std::string failure = qvGoldenCompare(name, px.data(), w, h, w);
      EXPECT_TRUE(failure.empty()) << "segment " << seg << " at " << d.ms << " ms: " << failure;
    }
  }
}
