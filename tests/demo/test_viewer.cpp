// The viewer's keys in headless runs: Space pauses and resumes, F1's overlay stays out of the
// view, F12 writes screenshots under the first free number.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"
#include "image/xpng.h"

namespace {

// ms and frames of the first hand-over in a run's log.
bool qvFirstHandOver(const std::string& log, unsigned* ms, unsigned* frames) {
  std::string line = qvLogLines(log, "XLOG: segment 1 -> 2");
  int o, r;
  return std::sscanf(line.c_str(), "XLOG: segment 1 -> 2: order %d row %d, %u ms, %u frames", &o, &r, ms, frames) == 4;
}

}  // namespace

TEST(Viewer, PauseHoldsTheMusicAndTheFrames) {
  std::string dir = qvAssetDir("pause");
  ASSERT_EQ(qvRunProgram(dir, "--headless --log plain.log --script 12000:key:ESC"), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --log paused.log --script 5000:key:SPACE,8000:key:SPACE,15000:key:ESC"), 0);
  unsigned ms1, frames1, ms2, frames2;
  ASSERT_TRUE(qvFirstHandOver(qvReadFile(dir + "/plain.log"), &ms1, &frames1));
  ASSERT_TRUE(qvFirstHandOver(qvReadFile(dir + "/paused.log"), &ms2, &frames2));
  // The segment ends at the same music position, three seconds later, after as many frames:
  // nothing moved on during the pause and nothing jumped after it.
  EXPECT_NEAR((double)ms2 - ms1, 3000.0, 60.0);
  EXPECT_NEAR((double)frames2, (double)frames1, 2.0);
}

TEST(Viewer, OverlayOutsideTheViewAndScreenshots) {
  std::string dir = qvAssetDir("overlay");
  std::FILE* f = std::fopen((dir + "/quorvane-0000.png").c_str(), "wb");
  std::fclose(f);
  ASSERT_EQ(qvRunProgram(dir, "--headless --dump-frames plain:500 --script 6000:key:F12,9000:key:ESC"), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --dump-frames over:500 --script 3000:key:F1,6000:key:F12,9000:key:ESC"), 0);
  // The view of every dumped frame is the same with and without the overlay.
  std::string list = dir + "/list.txt";
  ASSERT_EQ(std::system(("ls '" + dir + "/plain' > '" + list + "'").c_str()), 0);
  std::string names = qvReadFile(list);
  int compared = 0;
  for (size_t at = 0, nl; (nl = names.find('\n', at)) != std::string::npos; at = nl + 1, compared++) {
    std::string name = names.substr(at, nl - at);
    std::string a = qvReadFile(dir + "/plain/" + name), b = qvReadFile(dir + "/over/" + name);
    EXPECT_FALSE(a.empty()) << name;
    EXPECT_EQ(a, b) << name;
  }
  EXPECT_GT(compared, 10);
  // Screenshots take the first free numbers; only the second shows the overlay in lines 220-239.
  std::vector<uint32_t> plain, over;
  int32_t w, h;
  const char* why = "";
  ASSERT_TRUE(xPngReadXrgb((dir + "/quorvane-0001.png").c_str(), &plain, &w, &h, &why)) << why;
  ASSERT_TRUE(xPngReadXrgb((dir + "/quorvane-0002.png").c_str(), &over, &w, &h, &why)) << why;
  ASSERT_EQ(w * h, 320 * 240);
  int lit = 0, litPlain = 0;
  for (int i = 220 * 320; i < 240 * 320; i++) lit += over[i] != 0, litPlain += plain[i] != 0;
  EXPECT_GT(lit, 100);
  EXPECT_EQ(litPlain, 0);
}

TEST(Timedemo, TableAndJsonForEverySegment) {
  std::string dir = qvAssetDir("timedemo"), out;
  ASSERT_EQ(qvRunProgram(dir, "--timedemo --frames 5 --timedemo-json td.json", &out), 0);
  for (int seg = 1; seg <= 15; seg++) {
    char row[32];
    std::snprintf(row, sizeof row, "\n%7d  %6d  ", seg, 5);
    EXPECT_NE(out.find(row), std::string::npos) << "segment " << seg << "\n" << out;
  }
  EXPECT_NE(out.find("\nworst: segment "), std::string::npos) << out;
  std::string json = qvReadFile(dir + "/td.json");
  EXPECT_NE(json.find("\"framesPerSegment\": 5"), std::string::npos) << json;
  EXPECT_NE(json.find("{\"segment\": 15, \"frames\": 5"), std::string::npos) << json;
  std::string err;
  EXPECT_EQ(qvRunProgram(dir, "--frames 5", nullptr, &err), 2);
  EXPECT_NE(err.find("--frames and --timedemo-json need --timedemo"), std::string::npos) << err;
}
