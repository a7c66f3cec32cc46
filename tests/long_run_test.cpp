// Runs of weeks: the phases that only ever grow stay where a single resolves them, and a run
// that has gone on for a month moves as smoothly as one that has just begun.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "animation/animation.h"
#include "display/memory_display.h"
#include "figures/numbers.h"
#include "figures/random_source.h"

namespace flakemorph {
namespace {

constexpr float kLargestBelowBound = 32767.998F;  // the single just below 2^15

TEST(AdvancePhase, BelowTheBoundIsThePlainRoundedSum) {
  for (const float phase : {0.0F, 1.25F, -7.5F, 21600.123F, kLargestBelowBound - 0.25F}) {
    for (const double step : {0.0, 0.0123456789, 0.1, -0.03}) {
      EXPECT_EQ(AdvancePhase(phase, step, kWholeTurn), Single(Widened(phase) + step))
          << phase << " + " << step;
    }
  }
}

// The stored angle drops by whole periods and reads the same: a sine to within the
// precision of a single near the reduced value.
TEST(AdvancePhase, ReachingTheBoundTakesOffWholePeriods) {
  struct Case {
    float phase;
    double step;
    double period;
  };
  for (const Case& c :
       {Case{kLargestBelowBound, 0.05, kWholeTurn}, Case{kLargestBelowBound, 0.05, kHalfTurn},
        Case{-kLargestBelowBound, -0.07, kWholeTurn}, Case{7'776'000.0F, 0.0421, kHalfTurn},
        Case{3'456'000.5F, 0.0009, kWholeTurn}, Case{16'777'216.0F, 0.0, kWholeTurn}}) {
    const double exact = Widened(c.phase) + c.step;
    const float reduced = AdvancePhase(c.phase, c.step, c.period);
    EXPECT_LT(std::abs(reduced), Single(c.period) * 1.0000001F) << c.phase;
    EXPECT_EQ(std::signbit(reduced), std::signbit(exact)) << c.phase;
    // sin(x + period) = ±sin(x): compare the squares, which repeat after half a turn too.
    const double read = std::pow(std::sin(Widened(reduced)), 2);
    EXPECT_NEAR(read, std::pow(std::sin(exact), 2), 1e-6) << c.phase;
    if (c.period == kWholeTurn) {
      EXPECT_NEAR(std::cos(Widened(reduced)), std::cos(exact), 1e-6) << c.phase;
    }
  }
}

// Even a phase near the largest single is brought back instead of overflowing.
TEST(AdvancePhase, AnyPhaseComesBackWithinOneTurn) {
  EXPECT_LT(AdvancePhase(3e38F, 0.01, kWholeTurn), Single(kWholeTurn));
  EXPECT_GT(AdvancePhase(-3e38F, -0.01, kWholeTurn), -Single(kWholeTurn));
}

// A sum that is an exact whole number of turns would leave 0, where an azimuth stops for ever.
TEST(AdvancePhase, AWholeNumberOfTurnsLeavesOneTurnNotZero) {
  const double turns = 8192 * kWholeTurn;  // exact: a power of two times the period
  EXPECT_EQ(AdvancePhase(0.0F, turns, kWholeTurn), Single(kWholeTurn));
  EXPECT_EQ(AdvancePhase(0.0F, -turns, kWholeTurn), -Single(kWholeTurn));
}

// What 30 days at 60 frames a second give the phases that only grow, at their mean rates per
// frame: the clock 0.05, the wander 0.025 and 0.015, and in the morph frames (two thirds of
// all) the elevation 0.05 and the azimuth 0.1 / 3. Spin and PulsePhase wander at random and
// are about 10^4 by then.
constexpr double kMonthOfFrames = 30.0 * 86'400 * 60;

void PutAMonthLater(FormState& form) {
  form.WanderClock = Single(kMonthOfFrames * 0.05);
  form.WanderPhaseX = Single(kMonthOfFrames * 0.025);
  form.WanderPhaseY = Single(kMonthOfFrames * 0.015);
  const double morphFrames = kMonthOfFrames * 2 / 3;
  for (int n = 1; n <= kPointCount; ++n) {
    Particle& q = form.Particles[n];
    q.ScatterElevation = Single(morphFrames * 0.05 + n * 37.3);
    q.ScatterAzimuth = Single(morphFrames * 0.1 / 3 - n * 23.1);
  }
  form.Figures[0].Spin = 10'432.7F;
  form.Figures[1].Spin = -8'517.1F;
  form.Figures[0].PulsePhase = 12'345.6F;
  form.Figures[1].PulsePhase = -9'876.5F;
}

float ReducedInDouble(float phase, double period) {
  return Single(std::fmod(Widened(phase), period));
}

void ReduceTheGrowingPhases(FormState& form) {
  form.WanderClock = ReducedInDouble(form.WanderClock, kHalfTurn);
  form.WanderPhaseX = ReducedInDouble(form.WanderPhaseX, kWholeTurn);
  form.WanderPhaseY = ReducedInDouble(form.WanderPhaseY, kWholeTurn);
  for (int n = 1; n <= kPointCount; ++n) {
    Particle& q = form.Particles[n];
    q.ScatterElevation = ReducedInDouble(q.ScatterElevation, kWholeTurn);
    q.ScatterAzimuth = ReducedInDouble(q.ScatterAzimuth, kWholeTurn);
  }
}

struct SeededRun {
  SeededRun() {
    animation.StartUp();
    PutAMonthLater(animation.MutableState());
  }
  MemoryDisplay display{160, 120};
  TimeSeededGenerator random{[] { return std::uint64_t{40'000'000'000'000}; }};
  Animation animation{display, random};
  const FormState& form() const { return animation.State(); }
};

// How far the phase moved, whole turns aside, against the step the wander meant to take.
double StepError(float before, float after, double intended) {
  const double moved = std::remainder(Widened(after) - Widened(before), kWholeTurn);
  return std::abs(moved - intended);
}

// Every step smaller than half the spacing of singles just below the bound may round away,
// in the first hour as in any other; every larger one must show.
constexpr double kResolvedStep = 1.0 / 1024;

TEST(LongRun, AMonthLaterTheSameMotion) {
  auto month = std::make_unique<SeededRun>();
  auto reduced = std::make_unique<SeededRun>();
  ReduceTheGrowingPhases(reduced->animation.MutableState());
  double deviation = 0;
  double stepError = 0;
  int stoodStill = 0;
  for (int frame = 1; frame <= 10'000; ++frame) {
    const float x = month->form().WanderPhaseX;
    const float y = month->form().WanderPhaseY;
    month->animation.NextFrame();
    reduced->animation.NextFrame();
    const FormState& form = month->form();
    const double swell = Widened(Single(std::pow(std::sin(Widened(form.WanderClock)), 2)));
    const double errorX = StepError(x, form.WanderPhaseX, swell * Widened(0.05F));
    const double errorY = StepError(y, form.WanderPhaseY, swell * Widened(0.03F));
    stepError = std::max({stepError, errorX, errorY});
    if (form.WanderPhaseX == x && swell * Widened(0.05F) > kResolvedStep) ++stoodStill;
    for (int n = 1; n <= kPointCount; ++n) {
      const Particle& q = form.Particles[n];
      const Particle& r = reduced->form().Particles[n];
      deviation = std::max({deviation, std::abs(Widened(q.ScreenX) - Widened(r.ScreenX)),
                            std::abs(Widened(q.ScreenY) - Widened(r.ScreenY))});
    }
  }
  std::printf(
      "30 days on, 10000 frames: particles deviate up to %.3g px from the run reduced "
      "in double; the wander's step is off by up to %.3g rad (%.3g px); %d steps above "
      "%.3g rad stood still\n",
      deviation, stepError, stepError * 150, stoodStill, kResolvedStep);
  EXPECT_LE(deviation, 0.05);
  EXPECT_LE(stepError, kResolvedStep);
  EXPECT_EQ(stoodStill, 0);
  const FormState& form = month->form();
  for (const float phase : {form.WanderClock, form.WanderPhaseX, form.WanderPhaseY}) {
    EXPECT_LT(phase, kPhaseBound);
  }
  for (int n = 1; n <= kPointCount; ++n) {
    EXPECT_LT(form.Particles[n].ScatterElevation, kPhaseBound) << n;
    EXPECT_LT(form.Particles[n].ScatterAzimuth, kPhaseBound) << n;
    EXPECT_GT(form.Particles[n].ScatterAzimuth, 0.0F) << n;
  }
}

}  // namespace
}  // namespace flakemorph
