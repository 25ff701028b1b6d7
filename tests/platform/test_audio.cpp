// The headless audio device, in lockstep with the virtual clock (the sdl device's thread is
// exercised through the audio component's tests, on SDL's dummy drivers).
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "common/qvtest.h"
#include "platform/plat_headless.h"

namespace {

struct FillLog {
  std::atomic<uint64_t> frames{0};
  std::atomic<int32_t> largest{0};
};

void countFill(void* user, int16_t* out, int32_t n) {
  FillLog* log = (FillLog*)user;
  std::memset(out, 0, (size_t)n * 4);
  log->frames += (uint64_t)n;
  if (n > log->largest) log->largest = n;
}

}  // namespace

TEST(PlatAudio, HeadlessPullsInLockstepWithTheClock) {
  ASSERT_EQ(qvStartHeadless(), "");
  FillLog log;
  PlatAudioInfo info;
  EXPECT_FALSE(platAudioOpen(44100, nullptr, nullptr, &info));
  ASSERT_TRUE(platAudioOpen(44100, countFill, &log, &info));
  EXPECT_EQ(info.queuedFrames, 0);
  EXPECT_FALSE(platAudioOpen(44100, countFill, &log, &info)) << "one device at a time";
  EXPECT_STRNE(info.reason, "");
  // Opened paused: the clock runs, nothing is asked for.
  platHeadlessAdvance(500);
  EXPECT_EQ(log.frames, 0u);
  platAudioPause(false);
  // Every way the clock moves counts: tick queries, sleeps, advances, presents at a refresh rate.
  uint64_t ms = 0;
  for (int32_t i = 0; i < 333; i++, ms++) platGetTickCount();
  EXPECT_EQ(log.frames, ms * 44100 / 1000);
  platSleep(7);
  platHeadlessAdvance(1000);
  ms += 1007;
  EXPECT_EQ(log.frames, ms * 44100 / 1000);
  EXPECT_LE(log.largest, 1024) << "large steps come in device-sized buffers";
  platPeekTickCount();
  EXPECT_EQ(log.frames, ms * 44100 / 1000) << "reading the clock does not move it";
  // Paused: held.
  platAudioPause(true);
  platHeadlessAdvance(250);
  EXPECT_EQ(log.frames, ms * 44100 / 1000);
  platAudioPause(false);
  platHeadlessAdvance(3);
  ms += 3;
  EXPECT_EQ(log.frames, ms * 44100 / 1000);
  EXPECT_EQ(platHeadlessAudioFrames(), log.frames.load());
  platAudioClose();
  platHeadlessAdvance(100);
  EXPECT_EQ(log.frames, ms * 44100 / 1000);
  // Shutting the platform down closes an open device; the next run may open one again.
  ASSERT_TRUE(platAudioOpen(22050, countFill, &log, &info));
  platShutdown();
  ASSERT_EQ(qvStartHeadless(), "");
  EXPECT_EQ(platHeadlessAudioFrames(), 0u);
  ASSERT_TRUE(platAudioOpen(22050, countFill, &log, &info));
  platShutdown();
  EXPECT_FALSE(platAudioOpen(44100, countFill, &log, &info)) << "no platform";
}
