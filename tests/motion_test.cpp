#include "figures/motion.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "figures/builder.h"
#include "figures/numbers.h"
#include "figures/random_source.h"
#include "figures_test_support.h"
#include "tests/scripted_source.h"

namespace flakemorph {
namespace {

using testing_support::ReadsAs;

double AngleOf(const FigurePoint& point) {
  return std::atan2(point.Y, point.X);
}
double RadiusOf(const FigurePoint& point) {
  return std::hypot(point.X, point.Y);
}

// A window 500 high: BodyRadius 200 and RimWidth 25, so the halo starts at 225.
std::unique_ptr<FormState> HandMadeForm() {
  auto form = std::make_unique<FormState>();
  form->CenterY = 250;
  form->BodyRadius = 200;
  form->RimWidth = 25;
  return form;
}

std::unique_ptr<FormState> BuiltForm(std::int16_t centerY) {
  auto form = std::make_unique<FormState>();
  form->CenterY = centerY;
  TimeSeededGenerator random;
  BuildFigure(*form, 0, random);
  return form;
}

std::uint64_t OffsetsPrint(const Figure& figure) {
  testing_support::Fingerprint print;
  for (int n = 1; n <= kPointCount; ++n) print.Add(figure.Points[n].X).Add(figure.Points[n].Y);
  return print.Value();
}

TEST(StepFigure, WorkedStep) {
  auto form = HandMadeForm();
  Figure& figure = form->Figures[1];
  figure.SpinRate = 0.1F;
  figure.LobeRate = 0.2F;
  figure.PulseRate = 1.0F;
  figure.LobeCount = 3;
  figure.ArmPointCount = 1;
  figure.Points[1].Radius = 100;
  figure.Points[1].Angle = 0.5F;
  figure.Points[2].Radius = 300;  // a halo point, D = 1.75
  figure.Points[2].Angle = 0.5F;
  StepFigure(*form, 1);

  EXPECT_EQ(figure.Spin, 0.1F);
  EXPECT_EQ(figure.LobePhase, 0.2F);
  EXPECT_EQ(figure.PulsePhase, 1.0F);
  const FigurePoint& arm = figure.Points[1];
  EXPECT_TRUE(ReadsAs(AngleOf(arm), "0.6000000"));
  EXPECT_TRUE(ReadsAs(RadiusOf(arm), "114.6197"));
  EXPECT_TRUE(ReadsAs(arm.X, "94.59969"));
  EXPECT_TRUE(ReadsAs(arm.Y, "64.71913"));
  const FigurePoint& halo = figure.Points[2];
  EXPECT_TRUE(ReadsAs(AngleOf(halo), "0.5571429"));
  EXPECT_TRUE(ReadsAs(RadiusOf(halo), "341.5190"));
  EXPECT_TRUE(ReadsAs(halo.X, "289.8709"));
  EXPECT_TRUE(ReadsAs(halo.Y, "180.5827"));
}

TEST(StepFigure, HaloTurnsWithTheArmsAtItsInnerEdgeAndAThirdAsFastAtItsOuter) {
  auto form = HandMadeForm();
  Figure& figure = form->Figures[0];
  figure.Spin = 0.9F;
  figure.SpinRate = 0.3F;
  figure.LobeCount = 2;
  figure.ArmPointCount = 1;
  for (const int n : {1, 2}) {
    figure.Points[n].Radius = 225;
    figure.Points[n].Angle = 0.25F;
  }
  figure.Points[3].Radius = 425;  // 2 BodyRadius + RimWidth: D = 3
  figure.Points[3].Angle = 0.25F;
  StepFigure(*form, 0);
  EXPECT_EQ(figure.Points[2].X, figure.Points[1].X);
  EXPECT_EQ(figure.Points[2].Y, figure.Points[1].Y);
  EXPECT_NEAR(AngleOf(figure.Points[3]), 0.25 + 1.2 / 3, 1e-6);
  EXPECT_NEAR(RadiusOf(figure.Points[3]), 425, 1e-4);  // sin(PulsePhase) is 0: no lobes
}

TEST(StepFigure, WithoutRatesEveryStepGivesTheSameOffsets) {
  auto form = BuiltForm(384);
  Figure& figure = form->Figures[0];
  figure.SpinRate = figure.LobeRate = figure.PulseRate = 0;
  figure.Spin = 2.0F;
  figure.PulsePhase = 0.7F;
  StepFigure(*form, 0);
  const std::uint64_t first = OffsetsPrint(figure);
  for (int step = 0; step < 3; ++step) {
    StepFigure(*form, 0);
    EXPECT_EQ(OffsetsPrint(figure), first);
  }
}

TEST(StepFigure, WithoutPulseThePointsKeepTheirPolarLayout) {
  auto form = BuiltForm(384);
  Figure& figure = form->Figures[0];
  figure.PulsePhase = 0;
  figure.PulseRate = 0;
  figure.Spin = 0;
  StepFigure(*form, 0);
  for (int n = 1; n <= figure.ArmPointCount; ++n) {
    const FigurePoint& point = figure.Points[n];
    const double a = Single(static_cast<double>(point.Angle) + figure.Spin);
    EXPECT_EQ(point.X, Single(std::cos(a) * point.Radius)) << n;
    EXPECT_EQ(point.Y, Single(std::sin(a) * point.Radius)) << n;
  }
  for (int n = figure.ArmPointCount + 1; n <= kPointCount; ++n) {
    EXPECT_NEAR(RadiusOf(figure.Points[n]), figure.Points[n].Radius, 1e-3) << n;
  }
}

// The lobes scale a radius by 1 + 0.2 sin(PulsePhase) sin², never beyond 0.8 .. 1.2.
TEST(StepFigure, LobesSwellAndDentWithinAFifthOfTheRadius) {
  auto form = BuiltForm(384);
  Figure& figure = form->Figures[0];
  figure.PulseRate = 0.37F;
  for (int step = 0; step < 40; ++step) {
    StepFigure(*form, 0);
    const double pulse = std::sin(static_cast<double>(figure.PulsePhase));
    const double low = 1 + 0.2 * std::min(pulse, 0.0) - 1e-5;
    const double high = 1 + 0.2 * std::max(pulse, 0.0) + 1e-5;
    for (int n = 1; n <= kPointCount; ++n) {
      const FigurePoint& point = figure.Points[n];
      if (point.Radius == 0) continue;
      const double scale = RadiusOf(point) / std::abs(point.Radius);
      EXPECT_GE(scale, low) << n;
      EXPECT_LE(scale, high) << n;
    }
  }
}

TEST(StepFigure, WindowWithoutHeightStepsItsCollapsedHalo) {
  auto form = BuiltForm(0);
  Figure& figure = form->Figures[0];
  figure.SpinRate = 0.1F;
  for (int step = 0; step < 5; ++step) StepFigure(*form, 0);
  for (int n = figure.ArmPointCount + 1; n <= kPointCount; ++n) {
    EXPECT_EQ(figure.Points[n].X, 0.0F);
    EXPECT_EQ(figure.Points[n].Y, 0.0F);
  }
}

// Every rounding of a step shows in some point: these fingerprints hold 30 steps of a figure
// for each arm count, built from a fixed stream at CenterY 540.
TEST(StepFigure, GoldenStepsForEveryArmCount) {
  const std::array<std::uint64_t, 7> golden = {
      0x1498E2431070B949ULL, 0x42E93D19CAE5095DULL, 0x681564564EA53142ULL, 0x48EF695F453873CEULL,
      0xC5DBC261DAE16E29ULL, 0xE77766D85B806B8AULL, 0xCC70906F2579488CULL,
  };
  for (int armCount = 2; armCount <= 8; ++armCount) {
    std::vector<float> draws = testing_support::WeylDraws(834);
    draws[0] = testing_support::BuildScript(armCount, 0.5F).Draws()[0];
    auto form = std::make_unique<FormState>();
    form->CenterY = 540;
    ScriptedSource random(draws);
    BuildFigure(*form, 1, random);
    Figure& figure = form->Figures[1];
    figure.Spin = 0.75F;
    figure.PulsePhase = 0.3F;
    testing_support::Fingerprint print;
    for (int step = 0; step < 30; ++step) {
      StepFigure(*form, 1);
      print.Add(figure.Spin).Add(figure.LobePhase).Add(figure.PulsePhase);
      for (int n = 1; n <= kPointCount; ++n) print.Add(figure.Points[n].X).Add(figure.Points[n].Y);
    }
    EXPECT_EQ(print.Value(), golden[armCount - 2])
        << armCount << " arms: " << std::hex << std::showbase << print.Value();
  }
}

TEST(StepFigureDeathTest, BadSlotOrArmPointCountEndsTheProgram) {
  static FormState form;
  form.BodyRadius = 200;
  form.RimWidth = 25;
  EXPECT_EXIT(StepFigure(form, 2), testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 2 outside 0..1");
  form.Figures[0].ArmPointCount = 361;
  EXPECT_EXIT(StepFigure(form, 0), testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 361 outside 1..360");
}

}  // namespace
}  // namespace flakemorph
