// S3M writer and synthesiser building blocks, with hand-made inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "music_dsp.h"
#include "platform/qvbytes.h"
#include "s3m_writer.h"

namespace {

uint32_t rd16(const std::vector<uint8_t>& b, size_t at) { return qvLe16(&b[at]); }
uint32_t rd32(const std::vector<uint8_t>& b, size_t at) { return qvLe32(&b[at]); }

S3mSong tinySong() {
  S3mSong s;
  s.title = "tiny";
  s.channels = 2;
  s.pan[0] = 3;
  s.pan[1] = 12;
  s.orders = {0, 1, 0};  // odd: the writer pads with an end marker
  s.patterns.resize(2);
  S3mSample a;
  a.name = "ramp";
  a.fileName = "ramp.smp";
  a.pcm = {-32768, -1, 0, 1, 32767};
  a.c2spd = 22050;
  a.volume = 50;
  S3mSample b = a;
  b.name = "loop";
  b.loop = true;
  b.loopStart = 1;
  b.loopEnd = 5;
  s.samples = {a, b};
  return s;
}

}  // namespace

TEST(S3mWriter, PacksRowsChannelByChannel) {
  S3mPattern p;
  S3mCell& c0 = p.cell[0][0];
  c0.note = s3mNote(48);  // C-4
  c0.ins = 1;
  c0.vol = 64;
  p.cell[0][3].cmd = kS3mFxSpeed;
  p.cell[0][3].info = 6;
  p.cell[63][15].note = kS3mNoteCut;
  p.cell[10][2].vol = 99;  // clamped to 64 when stored
  std::vector<uint8_t> b = s3mPackPattern(p, 16);
  std::vector<uint8_t> want = {0,    0,            // length, filled in below
                               0x60, 0x40, 1, 64,  // ch 0: note C-4, instrument 1, volume 64
                               0x83, 1,    6,      // ch 3: effect A (speed) 6
                               0};                 // end of row 0
  for (int r = 1; r < 63; r++) {
    if (r == 10) want.insert(want.end(), {0x42, 64});  // ch 2: volume only
    want.push_back(0);
  }
  want.insert(want.end(), {0x2f, 254, 0, 0});  // ch 15: note cut, no instrument; end of row 63
  want[0] = (uint8_t)want.size();
  EXPECT_EQ(b, want);
  // Channels past the song's count are not stored.
  EXPECT_EQ(s3mPackPattern(p, 3).size(), 2u + 64u + 4u + 2u);  // length, row ends, ch 0, ch 2
}

TEST(S3mWriter, HeaderInstrumentsAndSampleData) {
  std::vector<uint8_t> f;
  std::string err;
  ASSERT_TRUE(s3mWrite(tinySong(), &f, &err)) << err;
  ASSERT_GE(f.size(), 0x60u);
  EXPECT_EQ(std::string((const char*)&f[0], 4), "tiny");
  EXPECT_EQ(f[0x1c], 0x1a);
  EXPECT_EQ(f[0x1d], 16);
  EXPECT_EQ(std::memcmp(&f[0x2c], "SCRM", 4), 0);
  EXPECT_EQ(rd16(f, 0x20), 4u);  // three orders padded to an even count
  EXPECT_EQ(rd16(f, 0x22), 2u);
  EXPECT_EQ(rd16(f, 0x24), 2u);
  EXPECT_EQ(rd16(f, 0x2a), 2u);  // unsigned samples
  EXPECT_EQ(f[0x31], 6);
  EXPECT_EQ(f[0x32], 125);
  EXPECT_EQ(f[0x33], 0x80 | 48);
  EXPECT_EQ(f[0x40], 0);    // left 1
  EXPECT_EQ(f[0x41], 8);    // right 1
  EXPECT_EQ(f[0x42], 255);  // unused
  EXPECT_EQ(std::vector<uint8_t>(f.begin() + 0x60, f.begin() + 0x64), (std::vector<uint8_t>{0, 1, 0, 255}));
  size_t ptrs = 0x64;
  size_t panAt = ptrs + 2 * 2 + 2 * 2;
  EXPECT_EQ(f[panAt], 0x20 | 3);
  EXPECT_EQ(f[panAt + 1], 0x20 | 12);
  for (int i = 0; i < 2; i++) {
    size_t h = rd16(f, ptrs + 2 * (size_t)i) * 16u;
    ASSERT_LE(h + 0x50, f.size());
    EXPECT_EQ(f[h], 1);
    EXPECT_EQ(std::memcmp(&f[h + 0x4c], "SCRS", 4), 0);
    EXPECT_EQ(rd32(f, h + 0x10), 5u);
    EXPECT_EQ(f[h + 0x1c], 50);
    EXPECT_EQ(f[h + 0x1f], i ? 5 : 4);  // 16-bit, plus loop for the second
    EXPECT_EQ(rd32(f, h + 0x14), i ? 1u : 0u);
    EXPECT_EQ(rd32(f, h + 0x18), i ? 5u : 0u);
    EXPECT_EQ(rd32(f, h + 0x20), 22050u);
    size_t data = ((size_t)f[h + 0x0d] << 16 | rd16(f, h + 0x0e)) * 16u;
    ASSERT_LE(data + 10, f.size());
    // Signed values stored offset by 32768, little-endian.
    EXPECT_EQ(rd16(f, data), 0u);
    EXPECT_EQ(rd16(f, data + 2), 32767u);
    EXPECT_EQ(rd16(f, data + 4), 32768u);
    EXPECT_EQ(rd16(f, data + 8), 65535u);
  }
  for (int p = 0; p < 2; p++) {
    size_t at = rd16(f, ptrs + 4 + 2 * (size_t)p) * 16u;
    ASSERT_LE(at + 2, f.size());
    EXPECT_EQ(rd16(f, at), 66u);  // empty pattern: length word and 64 row ends
  }
}

TEST(S3mWriter, RefusesWhatTheFormatCannotHold) {
  std::vector<uint8_t> f;
  std::string err;
  S3mSong s = tinySong();
  s.channels = 17;
  EXPECT_FALSE(s3mWrite(s, &f, &err));
  s = tinySong();
  s.orders.push_back(2);  // no pattern 2
  EXPECT_FALSE(s3mWrite(s, &f, &err));
  s = tinySong();
  s.samples[1].loopEnd = 6;  // past the end
  EXPECT_FALSE(s3mWrite(s, &f, &err));
  s = tinySong();
  s.orders.clear();
  EXPECT_FALSE(s3mWrite(s, &f, &err));
  EXPECT_FALSE(err.empty());
}

TEST(MusicDsp, SineAndExpMatchTheLibrary) {
  for (double x : {-100.0, -7.0, -3.14159, -1.0, 0.0, 0.3, 1.5707963, 2.0, 3.0, 6.2, 50.0, 1000.0})
    EXPECT_NEAR(musSin(x), std::sin(x), 1e-10) << x;
  for (double x : {-50.0, -3.0, -0.5, 0.0, 0.25, 1.0, 5.5, 40.0}) EXPECT_NEAR(musExp(x) / std::exp(x), 1.0, 1e-13) << x;
  EXPECT_NEAR(musMidiHz(69), 440.0, 1e-9);
  EXPECT_NEAR(musMidiHz(60), 261.6255653, 1e-6);
}

TEST(MusicDsp, FilterPassesItsBandAndStopsTheRest) {
  // A 200 Hz and an 8 kHz sine through a 1 kHz low-pass at 32 kHz.
  for (double hz : {200.0, 8000.0}) {
    MusSvf f;
    f.set(1000, 0.707, 32000);
    double peak = 0;
    for (int n = 0; n < 32000; n++) {
      f.run(musSin(2 * 3.141592653589793 * hz * n / 32000));
      if (n > 16000) peak = std::fmax(peak, std::fabs(f.low));
    }
    if (hz < 1000) {
      EXPECT_NEAR(peak, 1.0, 0.05);
    } else {
      EXPECT_LT(peak, 0.03);  // 3 octaves above: about -36 dB
    }
  }
}

TEST(MusicDsp, LoopedToneJoinsWithoutAClick) {
  MusToneSpec pad = {60, 64, 128, 3, 1.0, 0.3, 1300, 0.0, 0.0, 0.2, 0.5, 0.85, 0.3, true};
  MusInstrument t = musTone("t", "t", pad);
  ASSERT_TRUE(t.loop);
  EXPECT_EQ(t.loopEnd - t.loopStart, 64u * 128u);  // the detuned oscillators realign after 128 periods
  EXPECT_EQ(t.loopEnd, t.pcm.size());
  EXPECT_EQ(t.rate, 16744u);  // 261.63 Hz x 64
  int maxStep = 0;
  for (size_t i = t.loopStart + 1; i < t.loopEnd; i++) maxStep = std::max(maxStep, std::abs(t.pcm[i] - t.pcm[i - 1]));
  EXPECT_LE(std::abs(t.pcm[t.loopStart] - t.pcm[t.loopEnd - 1]), maxStep);
}
