#include "app/frame_pacer.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace flakemorph {
namespace {

constexpr Nanoseconds kMillisecond = 1'000'000;
constexpr Nanoseconds kPeriod = kSecond / 60;

// Time moves only when the test works or waits for a deadline.
class FakeClock final : public PacingClock {
 public:
  Nanoseconds Now() override { return now_; }
  void SleepUntil(Nanoseconds deadline) {
    if (deadline > now_) now_ = deadline;
  }
  void Work(Nanoseconds duration) { now_ += duration; }

 private:
  Nanoseconds now_ = 5 * kSecond;
};

// Runs frames that each take the given work time; returns when each frame was let go.
std::vector<Nanoseconds> RunFrames(FakeClock& clock, FramePacer& pacer,
                                   const std::vector<Nanoseconds>& work) {
  std::vector<Nanoseconds> shown;
  for (const Nanoseconds duration : work) {
    clock.Work(duration);
    const Nanoseconds deadline = pacer.TakeDeadline();
    if (clock.Now() < deadline) clock.SleepUntil(deadline);
    shown.push_back(clock.Now());
  }
  return shown;
}

TEST(FramePacer, HoldsFramesToTheRefreshWithoutDrift) {
  FakeClock clock;
  FramePacer pacer(clock, kPeriod);
  const std::vector<Nanoseconds> work = {0, 3 * kMillisecond,  10 * kMillisecond,
                                         1, 16 * kMillisecond, 0};
  const std::vector<Nanoseconds> shown = RunFrames(clock, pacer, work);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i], shown[0] + static_cast<Nanoseconds>(i) * kPeriod) << "frame " << i;
  }
}

TEST(FramePacer, FirstFrameGoesAtOnce) {
  FakeClock clock;
  FramePacer pacer(clock, kPeriod);
  EXPECT_EQ(pacer.TakeDeadline(), clock.Now());
}

TEST(FramePacer, SlightlyLateFrameGoesAtOnceAndKeepsTheRhythm) {
  FakeClock clock;
  FramePacer pacer(clock, kPeriod);
  const std::vector<Nanoseconds> shown =
      RunFrames(clock, pacer, {0, kPeriod + 4 * kMillisecond, 0, 0});
  EXPECT_EQ(shown[1], shown[0] + kPeriod + 4 * kMillisecond);  // late, not held back further
  EXPECT_EQ(shown[2], shown[0] + 2 * kPeriod);                 // back on the original grid
  EXPECT_EQ(shown[3], shown[0] + 3 * kPeriod);
}

TEST(FramePacer, LongStallStartsANewRhythmInsteadOfABurst) {
  FakeClock clock;
  FramePacer pacer(clock, kPeriod);
  const Nanoseconds stall = 200 * kMillisecond;
  const std::vector<Nanoseconds> shown = RunFrames(clock, pacer, {0, stall, 0, 0, 0});
  EXPECT_EQ(shown[1], shown[0] + stall);
  for (std::size_t i = 2; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i] - shown[i - 1], kPeriod) << "frame " << i;
  }
}

TEST(RefreshPeriod, UsesTheModesRateOrSixtyHertzWhenItGivesNone) {
  EXPECT_EQ(RefreshPeriod(60), kSecond / 60);
  EXPECT_EQ(RefreshPeriod(144), kSecond / 144);
  EXPECT_EQ(RefreshPeriod(0), kSecond / 60);
  EXPECT_EQ(RefreshPeriod(-1), kSecond / 60);
}

TEST(PresentationWaits, TellsAWaitingPresentFromAnImmediateOne) {
  EXPECT_TRUE(PresentationWaits(5 * kPeriod, 5, kPeriod));
  EXPECT_TRUE(PresentationWaits(5 * kPeriod - 2 * kMillisecond, 5, kPeriod));  // a fast display
  EXPECT_FALSE(PresentationWaits(5 * kMillisecond, 5, kPeriod));
  EXPECT_FALSE(PresentationWaits(2 * kPeriod, 5, kPeriod));
}

TEST(FrameMeter, GivesTheFramesAndCpuShareOnceASecond) {
  FrameMeter meter;
  Nanoseconds now = 7 * kSecond;
  Nanoseconds cpu = 3 * kSecond;
  EXPECT_FALSE(meter.CountFrame(now, cpu));
  std::vector<FrameRate> rates;
  for (int frame = 1; frame <= 150; ++frame) {  // two and a half seconds at 60 Hz
    now += kSecond / 60;
    cpu += kSecond / 600;  // a tenth of a core
    if (const std::optional<FrameRate> rate = meter.CountFrame(now, cpu)) {
      EXPECT_GE(frame, 60) << "a rate before a second had passed";
      rates.push_back(*rate);
    }
  }
  ASSERT_EQ(rates.size(), 2U);
  for (const FrameRate& rate : rates) {
    EXPECT_NEAR(rate.fps, 60, 1e-3);
    EXPECT_NEAR(rate.cpu_percent, 10, 1e-3);
  }
}

TEST(FrameMeter, CountsTheFramesOfASlowSecond) {
  FrameMeter meter;
  Nanoseconds now = 0;
  meter.CountFrame(now, 0);
  std::optional<FrameRate> rate;
  for (int frame = 1; frame <= 4; ++frame) {
    now += kSecond / 4;
    rate = meter.CountFrame(now, kSecond);  // one busy core's worth at once
  }
  ASSERT_TRUE(rate);
  EXPECT_NEAR(rate->fps, 4, 1e-9);
  EXPECT_NEAR(rate->cpu_percent, 100, 1e-9);
}

}  // namespace
}  // namespace flakemorph
