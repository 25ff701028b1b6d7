// The audio component: module loading, the position of the audio rendered so far (checked
// against a rendering of our own), pause, looping, silent play, and the sdl device's thread
// (SDL's dummy drivers: no display, no sound card).
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvbass.h"
#include "demo/qvdemotest.h"
#include "demo/qvmusic.h"
#include "platform/plat_headless.h"

namespace {

const std::string kModule = std::string(QV_BINARY_DIR) + "/" + QV_MUSIC_FILE;
const uint32_t kFlags = BASS_MUSIC_RAMP | BASS_MUSIC_LOOP;

uint32_t pos(int32_t order, int32_t row) { return (uint32_t)order | (uint32_t)row << 16; }
std::string show(uint32_t p) { return std::to_string(p & 0xffff) + "/" + std::to_string(p >> 16); }

// The module as the replayer plays it, rendered here without the component.
class Reference {
 public:
  Reference() {
    std::ifstream in(kModule, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    mod_ = std::make_unique<openmpt::module>(bytes);
    mod_->set_repeat_count(-1);
  }
  // Position once `frames` frames have been rendered in all.
  uint32_t at(uint64_t frames) {
    std::vector<int16_t> buf(2 * 1000);
    while (done_ < frames) {
      size_t n = frames - done_ < 1000 ? (size_t)(frames - done_) : 1000;
      mod_->read_interleaved_stereo(44100, n, buf.data());
      done_ += n;
    }
    return pos(mod_->get_current_order(), mod_->get_current_row());
  }

 private:
  std::unique_ptr<openmpt::module> mod_;
  uint64_t done_ = 0;
};

class QvBass : public ::testing::Test {
 protected:
  void SetUp() override {
    if (platIsInitialised()) GTEST_SKIP() << "the program runs in this process";
    ASSERT_EQ(qvStartHeadless(), "");
  }
  void TearDown() override {
    BASS_Free();
    qvAudioSetMute(false);
    platShutdown();
  }
  // Init, load, play from the start and release: the module plays from virtual time now.
  uint32_t start() {
    BASS_Init(-1, 44100, 0, nullptr);
    uint32_t h = BASS_MusicLoad(0, kModule.c_str(), 0, 0, kFlags);
    EXPECT_NE(h, 0u);
    BASS_MusicPlay(h);
    BASS_Start();
    return h;
  }
};

TEST_F(QvBass, LoadFailuresReturnZero) {
  std::string dir = qvFreshDir("bassload");
  std::FILE* f = std::fopen((dir + "/empty.s3m").c_str(), "wb");
  std::fclose(f);
  f = std::fopen((dir + "/text.s3m").c_str(), "wb");
  std::fputs("this is not a module, only some words long enough to be read as a header by anyone", f);
  std::fclose(f);
  EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr), 1);
  for (const char* name : {"missing.s3m", "empty.s3m", "text.s3m", ""})
    EXPECT_EQ(BASS_MusicLoad(0, (dir + "/" + name).c_str(), 0, 0, kFlags), 0u) << name;  // "" is the folder
  EXPECT_EQ(BASS_MusicLoad(0, nullptr, 0, 0, kFlags), 0u);
  // Whole files from the disk only.
  EXPECT_EQ(BASS_MusicLoad(1, kModule.c_str(), 0, 0, kFlags), 0u);
  EXPECT_EQ(BASS_MusicLoad(0, kModule.c_str(), 16, 0, kFlags), 0u);
  uint32_t h = BASS_MusicLoad(0, kModule.c_str(), 0, 0, kFlags);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_MusicPlay(h + 1), 0);
  EXPECT_EQ(BASS_ChannelGetPosition(h + 1), 0xffffffffu);
  EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
  // A second load replaces the first module.
  uint32_t h2 = BASS_MusicLoad(0, kModule.c_str(), 0, 0, kFlags);
  EXPECT_NE(h2, h);
  EXPECT_EQ(BASS_ChannelGetPosition(h), 0xffffffffu);
}

TEST_F(QvBass, PositionIsThatOfTheAudioRenderedSoFar) {
  uint32_t h = start();
  ASSERT_TRUE(qvAudioHasDevice());
  EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
  Reference ref;
  // Irregular steps of the clock, from tick queries and jumps.
  uint64_t ms = 0;
  for (int32_t step = 0; ms < 40000; step++) {
    uint32_t d = (uint32_t)(step * 37 % 211);
    if (step % 5 == 0) {
      for (uint32_t i = 0; i < d; i++) platGetTickCount();
    } else {
      platHeadlessAdvance(d);
    }
    ms += d;
    uint64_t frames = qvAudioFramesRendered();
    ASSERT_EQ(frames, ms * 44100 / 1000) << "lockstep at " << ms << " ms";
    uint32_t p = BASS_ChannelGetPosition(h);
    ASSERT_EQ(show(p), show(ref.at(frames))) << ms << " ms";
  }
}

TEST_F(QvBass, OrdersAndRowsStartOnTime) {
  // 120 ms rows, 64 to an order: order k starts at k x 7.680 s.
  uint32_t h = start();
  uint32_t ms = 0;
  auto at = [&](uint32_t t) {
    platHeadlessAdvance(t - ms);
    ms = t;
    return show(BASS_ChannelGetPosition(h));
  };
  EXPECT_EQ(at(1), "0/0");
  EXPECT_EQ(at(119), "0/0");
  EXPECT_EQ(at(121), "0/1");
  EXPECT_EQ(at(6 * 120 + 1), "0/6");
  for (int32_t k = 1; k <= 4; k++) {
    EXPECT_EQ(at((uint32_t)k * QV_ORDER_MS - 1), show(pos(k - 1, 63))) << k;
    EXPECT_EQ(at((uint32_t)k * QV_ORDER_MS + 1), show(pos(k, 0))) << k;
  }
}

TEST_F(QvBass, PauseHoldsTheAudioAndThePosition) {
  uint32_t h = start();
  platHeadlessAdvance(1000);
  BASS_Pause();
  uint32_t held = BASS_ChannelGetPosition(h);
  uint64_t frames = qvAudioFramesRendered(), device = platHeadlessAudioFrames();
  EXPECT_EQ(show(held), "0/8");
  for (int32_t i = 0; i < 500; i++) platGetTickCount();
  platHeadlessAdvance(5000);
  EXPECT_EQ(BASS_ChannelGetPosition(h), held);
  EXPECT_EQ(qvAudioFramesRendered(), frames);
  EXPECT_EQ(platHeadlessAudioFrames(), device) << "the device asks for nothing while paused";
  BASS_Start();
  platHeadlessAdvance(240);
  EXPECT_EQ(show(BASS_ChannelGetPosition(h)), "0/10");
}

TEST_F(QvBass, LoopsForeverAndMoves) {
  uint32_t h = start();
  ASSERT_EQ(BASS_ChannelSetPosition(h, pos(27, 60)), 1);
  EXPECT_EQ(show(BASS_ChannelGetPosition(h)), "27/60") << "a move shows at once";
  EXPECT_EQ(qvAudioFramesRendered(), 0u);
  platHeadlessAdvance(4 * 120 + 1);
  EXPECT_EQ(show(BASS_ChannelGetPosition(h)), "0/0") << "after the last order the first comes again";
  platHeadlessAdvance(QV_ORDER_MS);
  EXPECT_EQ(show(BASS_ChannelGetPosition(h)), "1/0");
  // Played once (no loop flag): it stays at its end and the device gets silence.
  BASS_Free();
  BASS_Init(-1, 44100, 0, nullptr);
  h = BASS_MusicLoad(0, kModule.c_str(), 0, 0, BASS_MUSIC_RAMP);
  BASS_MusicPlay(h);
  BASS_ChannelSetPosition(h, pos(27, 62));
  BASS_Start();
  platHeadlessAdvance(2000);
  uint32_t end = BASS_ChannelGetPosition(h);
  EXPECT_EQ(show(end), "27/63");
  platHeadlessAdvance(2000);
  EXPECT_EQ(BASS_ChannelGetPosition(h), end);
}

// The ending fades the music out to silence before the end order; a move back, as --loop makes
// at every pass, plays at the full level again rather than staying silent.
TEST_F(QvBass, TheEndingFadesAndAMoveBackRestoresTheLevel) {
  uint32_t h = start();
  for (int32_t pass = 0; pass < 2; pass++) {
    BASS_Pause();
    ASSERT_EQ(BASS_ChannelSetPosition(h, pos(25, 32)), 1);  // 32 rows, 3.84 s before the end
    BASS_Start();
    platHeadlessAudioPeak();
    platHeadlessAdvance(1500);
    int32_t before = platHeadlessAudioPeak();
    EXPECT_GT(before, 2000) << "pass " << pass << ": the music before the fade";
    platHeadlessAdvance(2200);  // the fade's last 0.14 s and the 0.2 s of silence
    EXPECT_LT(platHeadlessAudioPeak(), before) << "pass " << pass << ": the fade";
    platHeadlessAdvance(1000);  // past the end order, the module playing on
    EXPECT_EQ(BASS_ChannelGetPosition(h) & 0xffff, 26u) << "pass " << pass;
    EXPECT_EQ(platHeadlessAudioPeak(), 0) << "pass " << pass << ": silent after the end";
  }
}

TEST_F(QvBass, MutedPlaysSilentlyOnTheSameClock) {
  // Positions along a run with the device, then muted: the same at every step.
  std::vector<uint32_t> withDevice, muted;
  for (int32_t pass = 0; pass < 2; pass++) {
    qvAudioSetMute(pass == 1);
    uint32_t h = start();
    EXPECT_EQ(qvAudioHasDevice(), pass == 0);
    std::vector<uint32_t>& out = pass ? muted : withDevice;
    for (int32_t i = 0; i < 300; i++) {
      platHeadlessAdvance(i % 7 == 0 ? 197 : 23);
      platGetTickCount();
      if (i == 100) BASS_Pause();
      if (i == 120) BASS_Start();
      out.push_back(BASS_ChannelGetPosition(h));
    }
    BASS_Free();
  }
  EXPECT_EQ(withDevice, muted);
  EXPECT_EQ(withDevice.back() & 0xffff, 1u) << "about 11 s played";
}

// ---- The sdl backend on SDL's dummy drivers: a real audio thread, or no sound device ----------

// Sets an environment variable for one scope (SDL reads them when it starts).
struct EnvScope {
  EnvScope(const char* n, const char* v) : name(n), had(std::getenv(n)) {
    if (had) old = std::getenv(n);
    setenv(n, v, 1);
  }
  ~EnvScope() { had ? (void)setenv(name, old.c_str(), 1) : (void)unsetenv(name); }
  const char* name;
  bool had;
  std::string old;
};

// Waits until the position reaches row `row` of order 0; the bound (60 s) only ends a hang, a slow
// or loaded machine gets there long before.
bool waitForRow(uint32_t h, uint32_t row) {
  for (int32_t i = 0; i < 6000; i++) {
    if (BASS_ChannelGetPosition(h) >= pos(0, (int32_t)row)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void sdlPlayPauseAndFree(bool expectDevice) {
  BASS_Init(-1, 44100, 0, nullptr);
  EXPECT_EQ(qvAudioHasDevice(), expectDevice);
  uint32_t h = BASS_MusicLoad(0, kModule.c_str(), 0, 0, kFlags);
  ASSERT_NE(h, 0u);
  BASS_MusicPlay(h);
  BASS_Pause();
  BASS_Start();
  // The main thread reads what the other thread publishes, often.
  EXPECT_TRUE(waitForRow(h, 3)) << show(BASS_ChannelGetPosition(h));
  BASS_Pause();
  uint32_t held = BASS_ChannelGetPosition(h);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(BASS_ChannelGetPosition(h), held);
  BASS_Start();
  EXPECT_TRUE(waitForRow(h, (held >> 16) + 2));
  // Moves while playing, then the device is closed under a running fill.
  BASS_ChannelSetPosition(h, pos(5, 0));
  EXPECT_GE(BASS_ChannelGetPosition(h), pos(5, 0));
  BASS_Free();
}

TEST(QvBassSdl, DeviceThreadPublishesThePosition) {
  if (platIsInitialised()) GTEST_SKIP() << "the program runs in this process";
  EnvScope video("SDL_VIDEODRIVER", "dummy"), audio("SDL_AUDIODRIVER", "dummy");
  char err[200];
  if (!platInit(PLAT_BACKEND_SDL, err, sizeof err)) GTEST_SKIP() << err;
  sdlPlayPauseAndFree(true);
  platShutdown();
}

TEST(QvBassSdl, NoSoundDevicePlaysOnTheRealClock) {
  if (platIsInitialised()) GTEST_SKIP() << "the program runs in this process";
  EnvScope video("SDL_VIDEODRIVER", "dummy"), audio("SDL_AUDIODRIVER", "no-such-driver");
  char err[200];
  if (!platInit(PLAT_BACKEND_SDL, err, sizeof err)) GTEST_SKIP() << err;
  sdlPlayPauseAndFree(false);
  platShutdown();
}

// ---- The program ------------------------------------------------------------------------

TEST(QvBassProgram, MuteKeepsTheTiming) {
  std::string dir = qvAssetDir("mute"), plain, muted;
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 24", &plain), 0);
  ASSERT_EQ(qvRunProgram(dir, "--headless --start-order 24 --mute", &muted), 0);
  EXPECT_EQ(plain, muted);
  EXPECT_EQ(plain.rfind("quorvane: ", 0), 0u) << plain;
}

}  // namespace
