// Pins the arithmetic of the wander and of the scatter drift: each worked value below lies
// where a constant taken in the wrong precision, or a value held in the wrong width, changes
// the stored single; the golden run holds every such rounding of a few hundred frames.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "animation/animation.h"
#include "animation/morph.h"
#include "animation/wander.h"
#include "display/memory_display.h"
#include "figures/random_source.h"
#include "tests/figures_test_support.h"
#include "tests/scripted_source.h"

namespace flakemorph {
namespace {

using testing_support::Fingerprint;
using testing_support::WeylDraws;

struct WanderRow {
  float clock, x, y, draw;
  float expectedClock, expectedX, expectedY;
};

// Row 1 rounds differently when the clock's 0.1 is a double; row 2 when the 0.03 is a double
// or the squared sine is not held as a single; row 3 when the squared sine is not a single.
TEST(WanderStep, WorkedStepsToTheLastDigit) {
  const std::vector<WanderRow> rows = {
      {0.25F, 0.75F, 0.5F, 0.15F, 0.265000015F, 0.75342983F, 0.50205791F},
      {0.5F, 1.5F, 1.0F, 0.37F, 0.537F, 1.51308477F, 1.00785077F},
      {0.25F, 0.75F, 0.5F, 0.84F, 0.333999991F, 0.755373478F, 0.503224075F},
  };
  for (const WanderRow& row : rows) {
    FormState form;
    form.WanderClock = row.clock;
    form.WanderPhaseX = row.x;
    form.WanderPhaseY = row.y;
    ScriptedSource random({row.draw});
    StepWander(form, random);
    EXPECT_EQ(form.WanderClock, row.expectedClock) << "draw " << row.draw;
    EXPECT_EQ(form.WanderPhaseX, row.expectedX) << "draw " << row.draw;
    EXPECT_EQ(form.WanderPhaseY, row.expectedY) << "draw " << row.draw;
  }
}

// sin(1) * 100 = 84.1470985: a reach off by a ten-thousandth moves the stored single.
TEST(WanderStep, ShiftReachesExactlyOneHundredPixelsDown) {
  FormState form;
  form.CenterX = 400;
  form.CenterY = 300;
  form.WanderPhaseX = 1.0F;
  form.WanderPhaseY = 1.0F;
  Particle q;
  q.OffsetX = 0.5F;
  q.OffsetY = 0.5F;
  PlaceOnShell(form, q);
  EXPECT_EQ(q.ScreenX, 526.720642F);
  EXPECT_EQ(q.ScreenY, 384.647095F);
}

// One particle in one morph frame, between two one-point figures: the elevation's draw 0.02
// times the single 0.1 rounds up, times the double 0.1 down; the azimuth grows by the square
// of its draw.
TEST(ScatterDrift, WorkedStepToTheLastDigit) {
  auto form = std::make_unique<FormState>();
  form->TargetSlot = 1;
  form->CenterX = 400;
  form->CenterY = 300;
  form->ElevationStep = 0.1F;
  form->AzimuthStep = 0.1F;
  form->ScatterRadius = 70;
  form->Figures[0].Points[1] = {100, 0, 4, 0xFF, 10, 20};
  form->Figures[1].Points[1] = {100, 0, 6, 0xFF00, 30, -20};
  Particle& q = form->Particles[1];
  q.ScatterAzimuth = 1.5F;
  ScriptedSource random({0.02F, 0.3F});
  MorphParticle(*form, 1, 0.25F, random);
  EXPECT_EQ(q.ScatterElevation, 0.00200000009F);
  EXPECT_EQ(q.ScatterAzimuth, 1.50899994F);
  EXPECT_EQ(q.OffsetX, 15.0F);
  EXPECT_EQ(q.OffsetY, 10.0F);
  EXPECT_EQ(q.ScreenX, 419.322998F);
  EXPECT_EQ(q.ScreenY, 379.866241F);

  // A negative azimuth steps away from zero the other way.
  q.ScatterAzimuth = -1.5F;
  ScriptedSource again({0.02F, 0.3F});
  MorphParticle(*form, 1, 0.25F, again);
  EXPECT_EQ(q.ScatterAzimuth, -1.50899994F);
}

std::uint64_t FingerprintOfFrame(const FormState& form, Fingerprint& print) {
  print.Add(form.WanderClock).Add(form.WanderPhaseX).Add(form.WanderPhaseY);
  for (int n = 1; n <= kPointCount; ++n) {
    const Particle& q = form.Particles[n];
    print.Add(q.OffsetX).Add(q.OffsetY).Add(q.ScreenX).Add(q.ScreenY).Add(q.Size);
    print.Add(q.ScatterElevation).Add(q.ScatterAzimuth).Add(q.Color);
  }
  return print.Value();
}

// Two whole cycles of the real animation from a fixed stream: every stored bit of the wander
// and of every particle, frame by frame, folds into one number per 50 frames.
TEST(GoldenRun, ThreeHundredFramesOfWanderAndParticles) {
  const std::vector<std::uint64_t> golden = {
      0x6E8E2B739D2F1183ULL, 0x25773B1B426E47FCULL, 0xDC761B7A1D35EF86ULL,
      0xA1B803B0CC19ABF2ULL, 0xB69DF79B6E853CC4ULL, 0xD125142039D42482ULL,
  };
  ScriptedSource random(WeylDraws(150'000));
  MemoryDisplay display(448, 439);
  auto animation = std::make_unique<Animation>(display, random);
  animation->StartUp();
  Fingerprint print;
  for (int frame = 1; frame <= 300; ++frame) {
    animation->NextFrame();
    const std::uint64_t value = FingerprintOfFrame(animation->State(), print);
    if (frame % 50 != 0) continue;
    EXPECT_EQ(value, golden[static_cast<std::size_t>(frame / 50 - 1)])
        << "after frame " << frame << ": " << std::hex << std::showbase << value;
  }
}

}  // namespace
}  // namespace flakemorph
