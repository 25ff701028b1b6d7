// The composed song: layout, timing, structure and the written file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <set>

#include "assetgen.h"
#include "common/qvtest.h"
#include "music_song.h"
#include "music_timing.h"

namespace {

const S3mSong& song() {
  static const S3mSong s = musComposeSong();
  return s;
}
const S3mCell& cellAt(int order, int row, int ch) {
  return song().patterns[song().orders[(size_t)order]].cell[row][ch];
}
bool isEvent(const S3mCell& c) { return c.note != kS3mNoNote; }
// Channels with a note or a cut on a row.
int eventsAt(int order, int row) {
  int n = 0;
  for (int ch = 0; ch < kMusChannels; ch++) n += isEvent(cellAt(order, row, ch));
  return n;
}

std::string tempDir() {
  char t[] = "/tmp/qvmusicXXXXXX";
  return mkdtemp(t) ? t : "";
}

}  // namespace

TEST(MusicSong, LayoutFitsTheFormat) {
  const S3mSong& s = song();
  EXPECT_GE(s.orders.size(), 28u);
  EXPECT_LE(s.channels, 16);
  EXPECT_EQ(s.channels, kMusChannels);
  EXPECT_EQ(s.speed, kMusSpeed);
  EXPECT_EQ(s.tempo, kMusTempo);
  EXPECT_EQ(s.samples.size(), (size_t)kInsCount);
  for (uint8_t o : s.orders) EXPECT_LT(o, s.patterns.size());
}

TEST(MusicSong, InstrumentsAreCleanSixteenBitSamples) {
  // name, looped: sustained parts loop, one-shots do not
  const struct {
    const char* name;
    bool loop;
  } want[kInsCount] = {{"Kick", false}, {"Snare", false}, {"Closed hat", false}, {"Open hat", false}, {"Crash", false},
                       {"Bass", true},  {"Pad", true},    {"Lead", true},        {"Pluck", false},    {"Riser", false}};
  for (int i = 0; i < kInsCount; i++) {
    const S3mSample& x = song().samples[(size_t)i];
    SCOPED_TRACE(x.name);
    EXPECT_EQ(x.name, want[i].name);
    EXPECT_EQ(x.loop, want[i].loop);
    ASSERT_FALSE(x.pcm.empty());
    EXPECT_LE(x.c2spd, 65535u);  // what the original tracker can store
    int peak = 0;
    for (int16_t v : x.pcm) peak = std::max(peak, std::abs((int)v));
    EXPECT_GT(peak, 16000);  // normalised, not quiet
    EXPECT_LT(peak, 32767);  // and not clipped
    if (x.loop) {
      EXPECT_LT(x.loopStart, x.loopEnd);
      EXPECT_EQ(x.loopEnd, x.pcm.size());
    } else {
      EXPECT_LT(std::abs((int)x.pcm.back()), 64);  // one-shots end at rest
    }
  }
  // The riser lasts exactly 32 rows at its natural rate.
  const S3mSample& r = song().samples[kInsRiser - 1];
  EXPECT_NEAR((double)r.pcm.size() / r.c2spd, 32 * musRowSeconds(), 1e-4);
}

TEST(MusicSong, OnlyPortableEffectsAndOneTempo) {
  // Speed and tempo appear once, on the first row; no breaks or jumps, so
  // every order lasts 64 rows of 0.12 s.
  const std::set<int> allowed = {kS3mFxVolSlide, kS3mFxTonePorta, kS3mFxVibrato, kS3mFxArpeggio, kS3mFxOffset};
  int speedTempo = 0;
  for (size_t o = 0; o < song().orders.size(); o++)
    for (int r = 0; r < kS3mRows; r++)
      for (int ch = 0; ch < kMusChannels; ch++) {
        const S3mCell& c = cellAt((int)o, r, ch);
        if (c.note != kS3mNoNote && c.note != kS3mNoteCut) {
          EXPECT_GE(c.note >> 4, 1);
          EXPECT_LE(c.note >> 4, 7);
          EXPECT_LT(c.note & 15, 12);
        }
        if (c.vol != kS3mNoVolume) {
          EXPECT_LE(c.vol, 64);
        }
        if (!c.cmd) continue;
        if (c.cmd == kS3mFxSpeed || c.cmd == kS3mFxTempo) {
          EXPECT_TRUE(o == 0 && r == 0);
          EXPECT_EQ(c.info, c.cmd == kS3mFxSpeed ? kMusSpeed : kMusTempo);
          speedTempo++;
        } else {
          EXPECT_TRUE(allowed.count(c.cmd)) << "order " << o << " row " << r << " effect " << (char)('@' + c.cmd);
        }
      }
  EXPECT_EQ(speedTempo, 2);
  EXPECT_DOUBLE_EQ(musOrderStartSeconds(1), 7.68);
  EXPECT_DOUBLE_EQ(musOrderStartSeconds(kMusTimelineOrders), 207.36);  // orders 0..26
}

TEST(MusicSong, SectionsTurnWhereThePictureDoes) {
  // (order, row) where a segment starts or the picture changes; the music
  // starts or stops several parts on exactly that row.
  const int turns[][2] = {{1, 6},  {2, 0},  {2, 58}, {3, 0},  {4, 31}, {5, 55},  {6, 0},  {8, 0},  {9, 0}, {10, 0},
                          {12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 55}, {18, 0}, {20, 0}, {23, 0}};
  for (const auto& t : turns) EXPECT_GE(eventsAt(t[0], t[1]), 3) << "order " << t[0] << " row " << t[1];
  // The breaks: the drums stop for the rest of the order while a riser (or the
  // fill) leads into the next one.
  for (const auto& t : {std::pair{2, 58}, std::pair{5, 55}, std::pair{17, 55}})
    for (int r = t.second; r < kS3mRows; r++) EXPECT_FALSE(isEvent(cellAt(t.first, r, kChKick))) << t.first << ":" << r;
  EXPECT_EQ(cellAt(5, 55, kChRiser).ins, kInsRiser);
  EXPECT_EQ(cellAt(17, 55, kChRiser).ins, kInsRiser);
  // The rows 1..5 of order 1 still belong to the quiet intro: no drums or bass.
  for (int r = 0; r < 6; r++)
    for (int ch : {kChKick, kChSnare, kChHat, kChBass}) EXPECT_FALSE(isEvent(cellAt(1, r, ch))) << r;
}

TEST(MusicSong, TheMainThemeReturns) {
  // The lead's notes of the credits (order 3) come back unchanged in orders 10, 20 and 23.
  for (int o : {10, 20, 23})
    for (int r = 0; r < kS3mRows; r++) {
      EXPECT_EQ(cellAt(3, r, kChLead).note, cellAt(o, r, kChLead).note) << o << ":" << r;
    }
  // It opens on E-5 over A minor, with the bass on A.
  EXPECT_EQ(cellAt(3, 0, kChLead).note, s3mNote(76 - 72 + 48));
  EXPECT_EQ(cellAt(3, 0, kChBass).note & 15, 9);
}

TEST(MusicSong, EndFadesOut) {
  auto loudest = [](int order, int r0, int r1) {
    int m = 0;
    for (int r = r0; r < r1; r++)
      for (int ch = 0; ch < kMusChannels; ch++)
        if (cellAt(order, r, ch).vol != kS3mNoVolume) m = std::max(m, (int)cellAt(order, r, ch).vol);
    return m;
  };
  EXPECT_GE(loudest(24, 0, 64), 56);
  EXPECT_LT(loudest(25, 48, 64), loudest(25, 0, 16));
  EXPECT_LT(loudest(26, 0, 16), loudest(25, 48, 64));
  EXPECT_LE(loudest(26, 56, 64), 4);
}

TEST(MusicFile, WritesTheSameBytesEveryTime) {
  std::string a = tempDir(), b = tempDir();
  ASSERT_FALSE(a.empty());
  ASSERT_EQ(agWriteMusic(a.c_str()), 0);
  ASSERT_EQ(agWriteMusic(b.c_str()), 0);
  std::string x = qvReadFile(a + "/" MUS_FILE_NAME), y = qvReadFile(b + "/" MUS_FILE_NAME);
  EXPECT_GT(x.size(), 100000u);
  EXPECT_EQ(x, y);
  // The copy the build placed beside the program is the same file.
  std::string built = qvReadFile(std::string(QV_BINARY_DIR) + "/" MUS_FILE_NAME);
  if (!built.empty()) {
    EXPECT_EQ(qvSha256(built.data(), built.size()), qvSha256(x.data(), x.size()));
  }
  for (const std::string& d : {a, b}) {
    std::remove((d + "/" MUS_FILE_NAME).c_str());
    rmdir(d.c_str());
  }
}

TEST(MusicFile, ReportsAFolderItCannotWriteTo) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(agWriteMusic("/nonexistent/folder"), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot create /nonexistent/folder/" MUS_FILE_NAME), std::string::npos);
}
