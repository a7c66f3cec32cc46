#include "app/frame_pacer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace flakemorph {
namespace {

constexpr Nanoseconds kMillisecond = 1'000'000;
constexpr Nanoseconds kPeriod = kSecond / 60;

// Time moves only when the test works or the pacer sleeps.
class FakeClock final : public PacingClock {
 public:
  Nanoseconds Now() override { return now_; }
  void SleepUntil(Nanoseconds deadline) override {
    ++sleeps_;
    if (deadline > now_) now_ = deadline;
  }
  void Work(Nanoseconds duration) { now_ += duration; }
  int Sleeps() const { return sleeps_; }

 private:
  Nanoseconds now_ = 5 * kSecond;
  int sleeps_ = 0;
};

// Runs frames that each take the given work time; returns when each frame was let go.
std::vector<Nanoseconds> RunFrames(FakeClock& clock, FramePacer& pacer,
                                   const std::vector<Nanoseconds>& work) {
  std::vector<Nanoseconds> shown;
  for (const Nanoseconds duration : work) {
    clock.Work(duration);
    pacer.WaitForFrame();
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
  const Nanoseconds start = clock.Now();
  pacer.WaitForFrame();
  EXPECT_EQ(clock.Now(), start);
  EXPECT_EQ(clock.Sleeps(), 0);
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

std::string ReadAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(FrameStats, ReportsFramesAndCpuShareOnceASecond) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  FrameStats stats(out);
  Nanoseconds now = 7 * kSecond;
  Nanoseconds cpu = 3 * kSecond;
  stats.CountFrame(now, cpu);
  for (int frame = 1; frame <= 150; ++frame) {  // two and a half seconds at 60 Hz
    now += kSecond / 60;
    cpu += kSecond / 600;  // a tenth of a core
    stats.CountFrame(now, cpu);
    if (frame == 59) {
      EXPECT_EQ(ReadAll(out), "") << "reported before a second had passed";
    }
    std::fseek(out, 0, SEEK_END);
  }
  EXPECT_EQ(ReadAll(out), "fps 60 cpu 10.0%\nfps 60 cpu 10.0%\n");
  std::fclose(out);
}

TEST(FrameStats, CountsTheFramesOfASlowSecond) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  FrameStats stats(out);
  Nanoseconds now = 0;
  stats.CountFrame(now, 0);
  for (int frame = 1; frame <= 4; ++frame) {
    now += kSecond / 4;
    stats.CountFrame(now, kSecond);  // one busy core's worth at once
  }
  EXPECT_EQ(ReadAll(out), "fps 4 cpu 100.0%\n");
  std::fclose(out);
}

}  // namespace
}  // namespace flakemorph
