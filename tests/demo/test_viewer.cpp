// The viewer's keys in headless runs: Space pauses and resumes, F1's overlay stays out of the
// view, F12 writes screenshots of the frame without it under the first free number; Q quits,
// the segment keys move the music and the timeline, the volume keys are noted in the log; without
// a sound device the program says so in one line.
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
  // Screenshots take the first free numbers. The frame is saved as drawn: the same with the
  // overlay on, or with the volume noted in the border while it is off.
  ASSERT_EQ(qvRunProgram(dir, "--headless --script 5900:key:9,6000:key:F12,9000:key:ESC"), 0);
  std::vector<uint32_t> plain, over, noted;
  int32_t w, h;
  const char* why = "";
  ASSERT_TRUE(xPngReadXrgb((dir + "/quorvane-0001.png").c_str(), &plain, &w, &h, &why)) << why;
  ASSERT_TRUE(xPngReadXrgb((dir + "/quorvane-0002.png").c_str(), &over, &w, &h, &why)) << why;
  ASSERT_TRUE(xPngReadXrgb((dir + "/quorvane-0003.png").c_str(), &noted, &w, &h, &why)) << why;
  ASSERT_EQ(w * h, 320 * 240);
  int litView = 0;
  for (int i = 20 * 320; i < 220 * 320; i++) litView += plain[i] != 0;
  EXPECT_GT(litView, 1000);
  EXPECT_TRUE(plain == over);
  EXPECT_TRUE(plain == noted);
}

// ms and frames of the hand-over from segment `from` to the next.
bool qvHandOverAt(const std::string& log, int from, unsigned* ms, unsigned* frames) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "XLOG: segment %d -> %d", from, from + 1);
  std::string line = qvLogLines(log, prefix);
  int o, r, a, b;
  return std::sscanf(line.c_str(), "XLOG: segment %d -> %d: order %d row %d, %u ms, %u frames", &a, &b, &o, &r, ms,
                     frames) == 6;
}

TEST(Viewer, SegmentKeysMoveTheMusicAndTheTimeline) {
  std::string dir = qvAssetDir("skip");
  ASSERT_EQ(qvRunProgram(dir, "--headless --log plain.log --script 30000:key:ESC"), 0);
  // Forward twice, back twice (the second back at segment 1 does nothing), forward again.
  ASSERT_EQ(qvRunProgram(dir,
                         "--headless --log skip.log --script "
                         "3000:key:PGDN,3500:key:N,4000:key:P,4500:key:PGUP,5000:key:PGUP,5500:key:N,30000:key:ESC"),
            0);
  std::string plain = qvReadFile(dir + "/plain.log"), skip = qvReadFile(dir + "/skip.log");
  EXPECT_EQ(qvLogLines(skip, "XLOG: skip: "),
            "XLOG: skip: segment 1 -> 2: order 1 row 6\n"
            "XLOG: skip: segment 2 -> 3: order 3 row 0\n"
            "XLOG: skip: segment 3 -> 2: order 1 row 6\n"
            "XLOG: skip: segment 2 -> 1: order 0 row 0\n"
            "XLOG: skip: segment 1 -> 2: order 1 row 6\n");
  // Segment 1 never ends by itself; segment 2, started by the key, runs its whole length: as
  // many frames as in the plain run and ends at the same music position, earlier.
  unsigned ms, frames, ms2, frames2, skipMs, skipFrames;
  EXPECT_FALSE(qvHandOverAt(skip, 1, &ms, &frames));
  ASSERT_TRUE(qvHandOverAt(plain, 1, &ms, &frames));
  ASSERT_TRUE(qvHandOverAt(plain, 2, &ms2, &frames2));
  ASSERT_TRUE(qvHandOverAt(skip, 2, &skipMs, &skipFrames)) << skip;
  EXPECT_NE(qvLogLines(skip, "XLOG: segment 2 -> 3: order 3 row 0,"), "");
  EXPECT_NEAR((double)skipFrames, (double)frames2, 3.0);
  EXPECT_LT(skipMs + 3000, ms2);
}

TEST(Viewer, QuitAndVolumeKeys) {
  std::string dir = qvAssetDir("volume"), out;
  ASSERT_EQ(qvRunProgram(dir,
                         "--headless --log v.log --script "
                         "3000:key:9,3100:key:MINUS,3200:key:KPMINUS,3300:key:M,3400:key:M,3500:key:KPPLUS,"
                         "3600:key:0,3700:key:EQUALS,3800:key:0,4000:key:Q",
                         &out),
            0);
  EXPECT_EQ(qvLogLines(qvReadFile(dir + "/v.log"), "XLOG: viewer: "),
            "XLOG: viewer: music volume 90%\nXLOG: viewer: music volume 80%\nXLOG: viewer: music volume 70%\n"
            "XLOG: viewer: music muted\nXLOG: viewer: music volume 70%\nXLOG: viewer: music volume 80%\n"
            "XLOG: viewer: music volume 90%\nXLOG: viewer: music volume 100%\nXLOG: viewer: music volume 100%\n");
  // Q ends the run early, as Escape does.
  unsigned frames = 0;
  ASSERT_EQ(std::sscanf(out.c_str(), "quorvane: %u frames presented", &frames), 1) << out;
  EXPECT_LT(frames, 200u);
}

// SDL's dummy display without a sound device: one line of the program's own on stderr.
TEST(Viewer, NoSoundDeviceIsOneLine) {
  std::string dir = qvAssetDir("nosound"), err;
  ASSERT_EQ(
      qvRunProgram(dir, "--windowed --start-order 24 --script 1000:key:ESC", nullptr, &err,
                   "-u DISPLAY -u WAYLAND_DISPLAY QV_BACKEND= SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver"),
      0)
      << err;
  const std::string head = "quorvane: no sound device: ", tail = "; the music plays silently\n";
  EXPECT_EQ(err.rfind(head, 0), 0u) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_EQ(err.size() > tail.size() ? err.substr(err.size() - tail.size()) : err, tail) << err;
  EXPECT_NE(err.find("no-such-driver"), std::string::npos) << err;
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
