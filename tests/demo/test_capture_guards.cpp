// Captures that must not start (files kept, folders not made, names not guessed, nothing to
// capture), the sharp enlargement, the quiet ending of the capture's audio, and the last frame
// of a frame dump.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvcapout.h"
#include "demo/qvdemotest.h"
#include "platform/qvbytes.h"

namespace {

bool qvExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Peak of the 16-bit samples of a WAV's data from sample frame `from` to `to`, in dBFS (-200: silence).
double qvPeakDb(const std::string& wav, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from * 2; i < to * 2; i++) {
    size_t at = 44 + 2 * i;
    int v = qvLeS16((const uint8_t*)wav.data() + at);
    peak = std::max(peak, std::abs(v));
  }
  return peak ? 20 * std::log10(peak / 32768.0) : -200;
}

std::vector<std::string> qvNames(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  for (dirent* e = d ? readdir(d) : nullptr; e; e = readdir(d))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  if (d) closedir(d);
  return names;
}

}  // namespace

TEST(CaptureGuards, RefusedBeforeAnythingIsWritten) {
  std::string dir = qvAssetDir("capguard"), err;
  // An unknown extension names the supported ones and writes nothing.
  EXPECT_EQ(qvRunProgram(dir, "--capture x.avi --start-order 25", nullptr, &err), 1);
  EXPECT_EQ(err, "quorvane: cannot capture to " + dir +
                     "/x.avi: the extension .avi is not supported; use .mp4, .mkv or .webm (through ffmpeg), or "
                     "OUT or OUT.y4m for OUT.y4m and OUT.wav\n");
  EXPECT_FALSE(qvExists(dir + "/x.avi.y4m"));
  // A missing folder is not made.
  EXPECT_EQ(qvRunProgram(dir, "--capture no/x --start-order 25", nullptr, &err), 1);
  EXPECT_EQ(err, "quorvane: cannot write " + dir + "/no/x.y4m: the folder " + dir + "/no does not exist\n");
  EXPECT_FALSE(qvExists(dir + "/no"));
  EXPECT_EQ(qvRunProgram(dir, "--capture quorvane.kvo/x --start-order 25", nullptr, &err), 1);
  EXPECT_EQ(err, "quorvane: cannot write " + dir + "/quorvane.kvo/x.y4m: Not a directory\n");
  // Only the closing frame: nothing to capture.
  EXPECT_EQ(qvRunProgram(dir, "--capture x --start-order 26", nullptr, &err), 1);
  EXPECT_EQ(err,
            "quorvane: --start-order 26 is where the presentation ends (its closing frame alone): a capture starts "
            "at order 0..25\n");
  EXPECT_FALSE(qvExists(dir + "/x.y4m"));
}

TEST(CaptureGuards, ExistingFilesNeedOverwrite) {
  std::string dir = qvAssetDir("capover"), err;
  FILE* f = std::fopen((dir + "/x.wav").c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("keep", f);
  std::fclose(f);
  EXPECT_EQ(qvRunProgram(dir, "--capture x --start-order 25", nullptr, &err), 1);
  EXPECT_EQ(err, "quorvane: " + dir + "/x.wav already exists: give --overwrite (or -y) to replace it\n");
  EXPECT_EQ(qvReadFile(dir + "/x.wav"), "keep");
  EXPECT_FALSE(qvExists(dir + "/x.y4m"));
  // OUT.y4m names the same pair; -y replaces both.
  EXPECT_EQ(qvRunProgram(dir, "--capture x.y4m --start-order 25 -y", nullptr, &err), 0) << err;
  EXPECT_GT(qvReadFile(dir + "/x.wav").size(), 44u);
  EXPECT_NE(err.find("so the counts differ"), std::string::npos) << err;
  EXPECT_EQ(qvRunProgram(dir, "--capture x --start-order 25", nullptr, &err), 1);
  EXPECT_NE(err.find("x.y4m already exists"), std::string::npos) << err;
  EXPECT_EQ(qvRunProgram(dir, "--capture x --start-order 25 --overwrite", nullptr, &err), 0) << err;
}

// The music fades out before the closing frame: no note is cut off at the end of the file.
TEST(CaptureGuards, TheAudioEndsQuietly) {
  std::string dir = qvAssetDir("capend"), err;
  ASSERT_EQ(qvRunProgram(dir, "--capture x --start-order 25", nullptr, &err), 0) << err;
  std::string wav = qvReadFile(dir + "/x.wav");
  ASSERT_GT(wav.size(), 44u + 4 * 44100 * 4);
  size_t frames = (wav.size() - 44) / 4;
  EXPECT_LT(qvPeakDb(wav, frames - 44100 / 20, frames), -50) << "the last 50 ms";
  // The order plays at full level before the fade.
  EXPECT_GT(qvPeakDb(wav, frames - 5 * 44100, frames - 3 * 44100), -20) << "3 to 5 s before the end";
}

// Smoothing keeps flat areas exact, an edge within one pixel of the canvas, and the border black.
TEST(CaptureGuards, SharpEnlargement) {
  QvCanvas c;
  ASSERT_TRUE(qvCanvasSharp(1920, 1080, &c));
  std::vector<uint32_t> px(320 * 240, 0);
  for (int y = 0; y < 240; y++)
    for (int x = 160; x < 320; x++) px[(size_t)y * 320 + x] = 0xffffff;
  std::string path = qvFreshDir("capsharp") + "/s.y4m";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  QvY4mWriter w;
  ASSERT_TRUE(w.Begin(f, c, 60, 1));
  ASSERT_TRUE(w.Frame(px.data()));
  std::fclose(f);
  std::string y4m = qvReadFile(path);
  size_t luma = y4m.find("FRAME\n") + 6;
  ASSERT_EQ(y4m.size(), luma + 1920 * 1080 * 3 / 2);
  for (int y : {0, 540, 1079}) {
    const uint8_t* row = (const uint8_t*)y4m.data() + luma + (size_t)y * 1920;
    int between = 0;
    for (int x = 0; x < 1920; x++) {
      if (x < 240 || x >= 1680) EXPECT_EQ(row[x], 16) << x << "," << y;
      else if (x < 959) EXPECT_EQ(row[x], 16) << x << "," << y;  // the picture's middle: 240 + 720
      else if (x > 960) EXPECT_EQ(row[x], 235) << x << "," << y;
      else between += row[x] != 16 && row[x] != 235;
    }
    EXPECT_LE(between, 1) << y;
  }
}

// The run's last frame is dumped as its segment's last, however coarse the interval.
TEST(CaptureGuards, DumpEndsWithTheLastFrame) {
  std::string dir = qvFreshDir("dumplast");
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 25 --dump-frames " + dir + "/f:3600000"), 0);
  std::vector<std::string> names = qvNames(dir + "/f"), last;
  for (const std::string& n : names)
    if (n.find("_last.png") != std::string::npos) last.push_back(n);
  ASSERT_EQ(last.size(), 1u) << names.size() << " files";
  EXPECT_NE(last[0].find("_s15_o26_"), std::string::npos) << last[0];
}
