// The generated module played by libopenmpt (the replayer of the presentation),
// checked against the writer's schedule; and the `qvtool s3m` command.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assetgen/music_timing.h"
#include "common/qvtest.h"
#include "qvtool/qvtool.h"

namespace {

const std::string kModule = std::string(QV_BINARY_DIR) + "/" MUS_FILE_NAME;
#define REQUIRE_MODULE()                   \
  std::string bytes = qvReadFile(kModule); \
  if (bytes.empty()) GTEST_SKIP() << kModule << " not built yet (cmake --build, target assets)"

openmpt_module* load(const std::string& b) {
  return openmpt_module_create_from_memory2(b.data(), b.size(), openmpt_log_func_silent, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr);
}

// One pass over the song at 48 kHz, watching libopenmpt's order: where each
// order starts (to 8 frames) and its peak and RMS.
struct Played {
  std::vector<double> start, peak, rms;
  double length = 0;
};
const Played& played(const std::string& bytes) {
  static Played p;
  if (!p.start.empty()) return p;
  openmpt_module* m = load(bytes);
  if (!m) return p;
  const int rate = 48000, chunk = 8;
  std::vector<double> sum(64, 0.0), n(64, 0.0);
  p.start.assign(64, -1.0);
  p.peak.assign(64, 0.0);
  float buf[2 * chunk];
  size_t frame = 0;
  int last = -1;
  for (;;) {
    size_t got = openmpt_module_read_interleaved_float_stereo(m, rate, chunk, buf);
    if (!got) break;
    int o = openmpt_module_get_current_order(m);
    if (o < last || o < 0 || o >= 64) break;  // looped back: played once
    if (p.start[(size_t)o] < 0) p.start[(size_t)o] = (double)frame / rate;
    for (size_t i = 0; i < 2 * got; i++) {
      p.peak[(size_t)o] = std::fmax(p.peak[(size_t)o], std::fabs(buf[i]));
      sum[(size_t)o] += (double)buf[i] * buf[i];
    }
    n[(size_t)o] += 2.0 * (double)got;
    frame += got;
    last = o;
  }
  p.length = (double)frame / rate;
  for (int o = 0; o < 64; o++) p.rms.push_back(n[(size_t)o] ? std::sqrt(sum[(size_t)o] / n[(size_t)o]) : 0);
  openmpt_module_destroy(m);
  return p;
}

std::string runTool(std::vector<std::string> args, int* status) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  *status = qvCmdS3m((int)argv.size(), argv.data());
  std::string out = testing::internal::GetCapturedStdout();
  return out + testing::internal::GetCapturedStderr();
}

std::string tempPath(const char* name) { return std::string("/tmp/qvs3m_") + std::to_string(getpid()) + "_" + name; }

}  // namespace

TEST(MusicModule, LoadsInLibopenmpt) {
  REQUIRE_MODULE();
  openmpt_module* m = load(bytes);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(openmpt_module_get_num_orders(m), kMusOrders);
  EXPECT_LE(openmpt_module_get_num_channels(m), 16);
  EXPECT_EQ(openmpt_module_get_num_samples(m), 10);
  const char* type = openmpt_module_get_metadata(m, "type");
  EXPECT_STREQ(type, "s3m");
  openmpt_free_string(type);
  EXPECT_NEAR(openmpt_module_get_duration_seconds(m), musOrderStartSeconds(kMusOrders), 0.01);
  openmpt_module_destroy(m);
}

TEST(MusicModule, OrdersStartOnTheWritersSchedule) {
  REQUIRE_MODULE();
  const Played& p = played(bytes);
  ASSERT_FALSE(p.start.empty());
  for (int o = 0; o < kMusOrders; o++)
    EXPECT_NEAR(p.start[(size_t)o], musOrderStartSeconds(o), musRowSeconds()) << "order " << o;
  // Orders 0..26, the presentation's timeline: 3 to 4 minutes.
  double timeline = p.start[kMusTimelineOrders] - p.start[0];
  EXPECT_GE(timeline, 180.0);
  EXPECT_LE(timeline, 240.0);
  EXPECT_NEAR(p.length, musOrderStartSeconds(kMusOrders), 0.05);
}

TEST(MusicModule, EveryOrderIsAudibleAndNoneClips) {
  REQUIRE_MODULE();
  const Played& p = played(bytes);
  ASSERT_FALSE(p.rms.empty());
  for (int o = 0; o < kMusOrders; o++) {
    EXPECT_LT(p.peak[(size_t)o], 0.95) << "order " << o;  // below full scale, with headroom
    if (o < kMusFadeOrder) {
      EXPECT_GT(p.rms[(size_t)o], 0.03) << "order " << o;  // above -30 dBFS
    }
  }
  // The fade: each of its orders quieter than the one before.
  EXPECT_LT(p.rms[kMusFadeOrder], p.rms[kMusFadeOrder - 1]);
  EXPECT_LT(p.rms[kMusFadeOrder + 1], p.rms[kMusFadeOrder] / 2);
}

TEST(MusicModule, RowsTurnWhenTheScheduleSays) {
  REQUIRE_MODULE();
  // The rows where the picture changes mid-order, reached by playing from the order's start.
  const int turns[][2] = {{1, 6}, {2, 58}, {4, 31}, {5, 55}, {17, 55}};
  for (const auto& t : turns) {
    openmpt_module* m = load(bytes);
    ASSERT_NE(m, nullptr);
    openmpt_module_set_position_order_row(m, t[0], 0);
    const int rate = 48000;
    size_t want = (size_t)std::floor(t[1] * musRowSeconds() * rate + 0.5), frame = 0;
    float buf[2];
    while (frame < want && openmpt_module_read_interleaved_float_stereo(m, rate, 1, buf)) frame++;
    EXPECT_EQ(openmpt_module_get_current_row(m), t[1] - 1) << t[0] << ":" << t[1];
    openmpt_module_read_interleaved_float_stereo(m, rate, 1, buf);
    EXPECT_EQ(openmpt_module_get_current_row(m), t[1]) << t[0] << ":" << t[1];
    EXPECT_EQ(openmpt_module_get_current_order(m), t[0]);
    openmpt_module_destroy(m);
  }
}

TEST(MusicModule, LoopsBackToTheIntro) {
  REQUIRE_MODULE();
  openmpt_module* m = load(bytes);
  ASSERT_NE(m, nullptr);
  openmpt_module_set_repeat_count(m, -1);
  openmpt_module_set_position_order_row(m, kMusOrders - 1, 60);
  std::vector<float> buf(2 * 4800);
  for (int i = 0; i < 10; i++)
    ASSERT_EQ(openmpt_module_read_interleaved_float_stereo(m, 48000, 4800, buf.data()), 4800u);
  EXPECT_EQ(openmpt_module_get_current_order(m), 0);
  openmpt_module_destroy(m);
}

TEST(MusicModule, SecondPlayerAgreesOnTheLayout) {
  REQUIRE_MODULE();
  if (!qvHaveTool("openmpt123")) GTEST_SKIP() << "openmpt123 not installed";
  std::string cmd = "openmpt123 --info '" + kModule + "' 2>&1";
  FILE* f = popen(cmd.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string out;
  char line[512];
  while (std::fgets(line, sizeof line, f)) out += line;
  pclose(f);
  int orders = 0, mm = 0, ss = 0, ms = 0;
  size_t at = out.find("Orders.....: ");
  ASSERT_NE(at, std::string::npos) << out;
  std::sscanf(out.c_str() + at, "Orders.....: %d", &orders);
  at = out.find("Duration...: ");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at, "Duration...: %d:%d.%d", &mm, &ss, &ms), 3);
  EXPECT_EQ(orders, kMusOrders);
  EXPECT_NEAR(mm * 60 + ss + ms / 1000.0, musOrderStartSeconds(kMusOrders), 0.05);
}

TEST(S3mTool, PrintsHeaderFactsAndOrderTimes) {
  REQUIRE_MODULE();
  int status = -1;
  std::string out = runTool({"s3m", kModule}, &status);
  EXPECT_EQ(status, 0) << out;
  for (const char* want : {"title:       Quorvane - rul-quor\n", "orders:      28\n", "patterns:    28\n",
                           "instruments: 10\n", "speed:       6\n", "tempo:       125\n", "channels:    13\n",
                           "\n    1        1  0:07.680 ", "\n   26       26  3:19.680 ", "length:      3:35.040\n"})
    EXPECT_NE(out.find(want), std::string::npos) << want << "\n" << out;
}

TEST(S3mTool, RendersOrdersToWav) {
  REQUIRE_MODULE();
  std::string wav = tempPath("o3.wav");
  int status = -1;
  std::string out = runTool({"s3m", kModule, "--wav", wav, "--orders", "3-4"}, &status);
  ASSERT_EQ(status, 0) << out;
  std::string w = qvReadFile(wav);
  std::remove(wav.c_str());
  ASSERT_GT(w.size(), 44u);
  EXPECT_EQ(w.substr(0, 4), "RIFF");
  EXPECT_EQ(w.substr(8, 8), "WAVEfmt ");
  uint32_t rate, dataSize;
  std::memcpy(&rate, &w[24], 4);
  std::memcpy(&dataSize, &w[40], 4);
  EXPECT_EQ(rate, 44100u);
  EXPECT_EQ(dataSize, w.size() - 44);
  // Two orders of 7.68 s, cut to the tool's 16-frame reads.
  EXPECT_NEAR(dataSize / 4.0, 2 * 7.68 * 44100, 16);
  int16_t peak = 0;
  for (size_t i = 44; i + 1 < w.size(); i += 2) {
    int16_t v;
    std::memcpy(&v, &w[i], 2);
    peak = std::max<int16_t>(peak, (int16_t)std::abs(v));
  }
  EXPECT_GT(peak, 4000);
  EXPECT_LT(peak, 32767);
}

TEST(S3mTool, OrdersThatPlayNothingGiveAnEmptyWav) {
  REQUIRE_MODULE();
  // Orders 0 and 1 turned into skip markers: the range renders no sample at all.
  bytes[0x60] = bytes[0x61] = (char)254;
  std::string mod = tempPath("markers.s3m"), wav = tempPath("markers.wav");
  FILE* f = std::fopen(mod.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  int status = -1;
  std::string out = runTool({"s3m", mod, "--wav", wav, "--orders", "0-1"}, &status);
  std::string w = qvReadFile(wav);
  std::remove(mod.c_str());
  std::remove(wav.c_str());
  EXPECT_EQ(status, 0) << out;
  ASSERT_EQ(w.size(), 44u) << out;
  EXPECT_EQ(w.substr(36, 4), "data");
}

TEST(S3mTool, RejectsBadInputAndArguments) {
  int status = -1;
  std::string out = runTool({"s3m"}, &status);
  EXPECT_EQ(status, 2);
  runTool({"s3m", "a.s3m", "--orders", "1-2"}, &status);  // a range needs --wav
  EXPECT_EQ(status, 2);
  runTool({"s3m", "a.s3m", "--wav", "x.wav", "--orders", "5-2"}, &status);
  EXPECT_EQ(status, 2);
  runTool({"s3m", "a.s3m", "--wav", "x.wav", "--orders", "x"}, &status);
  EXPECT_EQ(status, 2);
  runTool({"s3m", "a.s3m", "--bogus"}, &status);
  EXPECT_EQ(status, 2);

  out = runTool({"s3m", "/nonexistent/a.s3m"}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("qvtool s3m: cannot read /nonexistent/a.s3m"), std::string::npos) << out;

  // Not a module at all, and a header that promises more than the file holds.
  std::string junk = tempPath("junk.s3m");
  std::vector<uint8_t> b(0x60, 0x41);
  FILE* f = std::fopen(junk.c_str(), "wb");
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  out = runTool({"s3m", junk}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("not an S3M module"), std::string::npos) << out;
  b.assign(0x60, 0);
  std::memcpy(&b[0x2c], "SCRM", 4);
  b[0x1d] = 16;
  b[0x20] = 200;  // 200 orders in a 96-byte file
  f = std::fopen(junk.c_str(), "wb");
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  out = runTool({"s3m", junk}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("more orders"), std::string::npos) << out;
  std::remove(junk.c_str());

  // An order range past the end of the song.
  if (!qvReadFile(kModule).empty()) {
    out = runTool({"s3m", kModule, "--wav", tempPath("x.wav"), "--orders", "20-40"}, &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("outside 0-27"), std::string::npos) << out;
  }
}
