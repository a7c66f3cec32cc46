#include "figures/builder.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "figures/colour.h"
#include "figures/numbers.h"
#include "figures/random_source.h"
#include "figures_test_support.h"
#include "tests/scripted_source.h"

namespace flakemorph {
namespace {

using testing_support::BuildScript;
using testing_support::ReadsAs;

constexpr float kNeverBuilt = -1e9F;

// Marks every field a build should write, so that a field it left alone stands out.
void FillWithSentinels(Figure& figure) {
  figure.ArmCount = figure.ArmPointCount = figure.LobeCount = -999;
  figure.CoreColorA = figure.CoreColorB = figure.TipColorA = figure.TipColorB = -1;
  figure.SpinRate = figure.LobePhase = figure.LobeRate = figure.PulseRate = kNeverBuilt;
  for (int n = 1; n <= kPointCount; ++n) {
    FigurePoint& point = figure.Points[n];
    point.Radius = point.Angle = kNeverBuilt;
    point.Size = -999;
    point.Color = -1;
  }
}

void ExpectEveryPointWritten(const Figure& figure) {
  for (int n = 1; n <= kPointCount; ++n) {
    const FigurePoint& point = figure.Points[n];
    EXPECT_NE(point.Radius, kNeverBuilt) << n;
    EXPECT_NE(point.Angle, kNeverBuilt) << n;
    EXPECT_NE(point.Size, -999) << n;
    EXPECT_GE(point.Color, 0) << n;
    EXPECT_LE(point.Color, 16777215) << n;
  }
}

// The real generator, counting what the builder asks of it.
class CountingSource final : public RandomSource {
 public:
  void Reseed() override {
    ++reseeds;
    generator_.Reseed();
  }
  float Next() override {
    ++draws;
    return generator_.Next();
  }
  int reseeds = 0;
  int draws = 0;

 private:
  TimeSeededGenerator generator_;
};

std::unique_ptr<FormState> FormOfHeight(std::int16_t centerY) {
  auto form = std::make_unique<FormState>();
  form->CenterY = centerY;
  return form;
}

void Build(FormState& form, std::int16_t slot, const BuildScript& script) {
  ScriptedSource random(script.Draws());
  BuildFigure(form, slot, random);
  ASSERT_EQ(random.DrawCount(), script.Draws().size());
}

// CenterY 384, four arms, every ring drawn at e = 0.5 and j = 0.5. Core A is white (draws 0),
// core B 249, 230, 230 (draws 0.5); the tips are palette entries 1 and 7.
BuildScript WorkedExample() {
  BuildScript script(4, 0.5F);
  script.CoreDraws(0.0F, 0.0F, 0.0F, 0.5F, 0.5F, 0.5F)
      .Draw(8, 0.0F)
      .Draw(9, 0.99F)
      .Draw(11, 0.75F)
      .Draw(13, 0.01F)
      .Draw(14, 0.25F)
      .Halo(265, 0.25F, 0.0F, 0.125F, 0.0F)
      .Halo(360, 0.99999994F, 0.99999994F, 0.99999994F, 0.99999994F);
  return script;
}

class WorkedExampleTest : public testing::Test {
 protected:
  void SetUp() override { Build(*form_, 0, WorkedExample()); }
  const Figure& figure() const { return form_->Figures[0]; }
  const FigurePoint& point(int n) const { return figure().Points[n]; }

  std::unique_ptr<FormState> form_ = FormOfHeight(384);
};

TEST_F(WorkedExampleTest, BodyAndLayout) {
  // 384 * 0.8 is an exact tie between two doubles and goes to the even one, just above 307.2.
  EXPECT_TRUE(ReadsAs(form_->BodyRadius, "307.2"));
  EXPECT_EQ(form_->BodyRadius, std::nextafter(307.2, 400.0));
  EXPECT_EQ(form_->RimWidth, 38);
  EXPECT_EQ(figure().ArmCount, 4);
  EXPECT_EQ(figure().ArmPointCount, 264);  // 33 rings, 96 halo points: 464 draws in all
}

TEST_F(WorkedExampleTest, ColoursAndMotionParameters) {
  EXPECT_EQ(figure().CoreColorA, 16777215);
  EXPECT_EQ(figure().CoreColorB, 15132409);
  EXPECT_EQ(figure().TipColorA, QBColor(1));
  EXPECT_EQ(figure().TipColorB, QBColor(7));
  EXPECT_EQ(figure().LobeCount, 3);
  EXPECT_EQ(figure().SpinRate, 0.0625F);
  // π is the single 3.141593, so half a turn of lobes is not the single nearest π/2.
  EXPECT_EQ(figure().LobePhase, 1.57079649F);
  EXPECT_NE(figure().LobePhase, static_cast<float>(std::numbers::pi / 2));
  // -0.49 times the single 0.1 lands one step beyond the single nearest -0.049.
  EXPECT_EQ(figure().LobeRate, std::nextafter(-0.049F, -1.0F));
  EXPECT_EQ(figure().PulseRate, -0.025F);
}

TEST_F(WorkedExampleTest, RingOneAnglesInEverySector) {
  struct Row {
    int aIndex;
    const char* aAngle;
    int bIndex;
    const char* bAngle;
  };
  const std::array<Row, 4> table = {{
      {1, "0.2552544", 34, "1.3155421"},
      {67, "1.8260509", 100, "2.8863385"},
      {133, "3.3968475", 166, "4.4571352"},
      {199, "4.9676437", 232, "6.0279317"},
  }};
  for (const Row& row : table) {
    EXPECT_TRUE(ReadsAs(point(row.aIndex).Angle, row.aAngle)) << row.aIndex;
    EXPECT_TRUE(ReadsAs(point(row.bIndex).Angle, row.bAngle)) << row.bIndex;
    // Ring 33 sits 32 places further on, at the same angles.
    EXPECT_EQ(point(row.aIndex + 32).Angle, point(row.aIndex).Angle);
    EXPECT_EQ(point(row.bIndex + 32).Angle, point(row.bIndex).Angle);
  }
}

TEST_F(WorkedExampleTest, RingOneAndRingThirtyThree) {
  // Ring 1: radius nearest(10.46) = 10, size nearest(1.588) = 2, core factor 10/384.
  // Ring 33: radius 345, size nearest(21.29) = 21, core factor 0.8984375.
  // The ring's tip colour is 62, 62, 149 (entries 1 and 7 blended at 0.325).
  for (const int n : {1, 67, 133, 199}) {
    EXPECT_EQ(point(n).Radius, 10.0F);
    EXPECT_EQ(point(n).Size, 2);
    EXPECT_EQ(point(n).Color, RGB(250, 250, 252));
    EXPECT_EQ(point(n + 32).Radius, 345.0F);
    EXPECT_EQ(point(n + 32).Size, 21);
    EXPECT_EQ(point(n + 32).Color, RGB(82, 82, 160));
  }
  for (const int n : {34, 100, 166, 232}) {
    EXPECT_EQ(point(n).Radius, 10.0F);
    EXPECT_EQ(point(n).Size, 2);
    EXPECT_EQ(point(n).Color, RGB(244, 226, 228));
    EXPECT_EQ(point(n + 32).Radius, 345.0F);
    EXPECT_EQ(point(n + 32).Size, 21);
    EXPECT_EQ(point(n + 32).Color, RGB(81, 79, 157));
  }
}

TEST_F(WorkedExampleTest, HaloPoints) {
  // Draws 0.25, 0, 0.125, 0: a quarter turn at the rim, size 12.5 going to the even 12.
  EXPECT_EQ(point(265).Angle, 1.57079649F);
  EXPECT_EQ(point(265).Radius, 345.2F);
  EXPECT_EQ(point(265).Size, 12);
  EXPECT_EQ(point(265).Color, QBColor(1));
  // Draws 0.5: half a turn, halfway out, size 20, the tips mixed half and half.
  for (int n = 266; n < 360; ++n) {
    EXPECT_EQ(point(n).Angle, kPi);
    EXPECT_EQ(point(n).Radius, 498.8F);
    EXPECT_EQ(point(n).Size, 20);
    EXPECT_EQ(point(n).Color, 10510432);
  }
  // Draws just below 1: just short of a full turn and of the halo's outer edge.
  EXPECT_LT(point(360).Angle, 2.0F * kPi);
  EXPECT_EQ(point(360).Radius, std::nextafter(652.4F, 0.0F));
  EXPECT_EQ(point(360).Size, 30);
  EXPECT_EQ(point(360).Color, QBColor(7));
}

TEST(BuildFigure, CoreColourChannelsRunFrom255Down) {
  auto form = FormOfHeight(384);
  Build(*form, 0, BuildScript(4, 0.5F).CoreDraws(0.5F, 0.5F, 0.5F, 0.0F, 0.0F, 0.0F));
  EXPECT_EQ(form->Figures[0].CoreColorA, 15132409);  // 249, 230, 230
  EXPECT_EQ(form->Figures[0].CoreColorB, RGB(255, 255, 255));
  const float almostOne = 0.99999994F;
  Build(*form, 0,
        BuildScript(4, 0.5F).CoreDraws(almostOne, almostOne, almostOne, 0.5F, 0.5F, 0.5F));
  EXPECT_EQ(form->Figures[0].CoreColorA, RGB(55, 55, 55));
}

TEST(BuildFigure, DrawsOnATieGoToTheEvenInteger) {
  auto form = FormOfHeight(384);
  Build(*form, 0, BuildScript(4, 0.25F).Draw(1, 0.25F).Halo(300, 0.25F, 0.25F, 0.125F, 0.25F));
  const Figure& quarter = form->Figures[0];
  EXPECT_EQ(quarter.ArmCount, 4);   // 3.5
  EXPECT_EQ(quarter.LobeCount, 2);  // 2.5
  EXPECT_EQ(quarter.TipColorA, QBColor(2));
  EXPECT_EQ(quarter.TipColorB, QBColor(2));  // 2.5
  EXPECT_EQ(quarter.Points[300].Size, 12);   // 12.5
  EXPECT_EQ(quarter.Points[301].Size, 15);

  Build(*form, 0, BuildScript(6, 0.75F).Draw(1, 0.75F));
  const Figure& threeQuarters = form->Figures[0];
  EXPECT_EQ(threeQuarters.ArmCount, 6);            // 6.5
  EXPECT_EQ(threeQuarters.LobeCount, 4);           // 3.5
  EXPECT_EQ(threeQuarters.TipColorA, QBColor(6));  // 5.5
}

TEST(BuildFigure, TakesTheDrawsOfItsArmCount) {
  struct Row {
    int armCount;
    int armPointCount;
    std::size_t draws;
  };
  const std::array<Row, 7> table = {{
      {2, 312, 362},
      {3, 288, 398},
      {4, 264, 464},
      {5, 240, 542},
      {6, 216, 626},
      {7, 182, 752},
      {8, 160, 834},
  }};
  auto form = FormOfHeight(384);
  for (const Row& row : table) {
    const BuildScript script(row.armCount, 0.5F);
    ASSERT_EQ(script.Draws().size(), row.draws);
    ScriptedSource random(script.Draws());
    BuildFigure(*form, 1, random);
    EXPECT_EQ(random.DrawCount(), row.draws) << row.armCount;
    EXPECT_EQ(form->Figures[1].ArmCount, row.armCount);
    EXPECT_EQ(form->Figures[1].ArmPointCount, row.armPointCount);
  }
}

TEST(BuildFigure, ArmsFillTheLowIndicesAndTheHaloTheRest) {
  auto form = FormOfHeight(384);
  for (const int armCount : {2, 8}) {
    FillWithSentinels(form->Figures[0]);
    BuildScript script(armCount, 0.5F);
    for (int n = script.ArmPointCount() + 1; n <= kPointCount; ++n) {
      script.Halo(n, 0.5F, 0.5F, 0.99F, 0.5F);  // size 30, larger than any arm circle here
    }
    Build(*form, 0, script);
    const Figure& figure = form->Figures[0];
    ExpectEveryPointWritten(figure);
    const int lastArmPoint = armCount == 2 ? 312 : 160;
    for (int n = 1; n <= lastArmPoint; ++n) EXPECT_LE(figure.Points[n].Size, 22) << n;
    for (int n = lastArmPoint + 1; n <= kPointCount; ++n) EXPECT_EQ(figure.Points[n].Size, 30) << n;
  }
}

TEST(BuildFigure, CopiesSpinBitForBitAndLeavesPulsePhaseAndOffsetsAlone) {
  auto form = FormOfHeight(384);
  TimeSeededGenerator random;
  BuildFigure(*form, 0, random);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(form->Figures[0].Spin), 0U);

  Figure& target = form->Figures[1];
  for (const float spin : {-0.0F, 1234.56789F, -3.0e-39F}) {
    form->Figures[0].Spin = spin;
    target.PulsePhase = 17.25F;
    for (int n = 1; n <= kPointCount; ++n) {
      target.Points[n].X = static_cast<float>(n);
      target.Points[n].Y = static_cast<float>(-n);
    }
    FillWithSentinels(target);
    BuildFigure(*form, 1, random);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(target.Spin), std::bit_cast<std::uint32_t>(spin));
    EXPECT_EQ(target.PulsePhase, 17.25F);
    for (int n = 1; n <= kPointCount; ++n) {
      EXPECT_EQ(target.Points[n].X, static_cast<float>(n));
      EXPECT_EQ(target.Points[n].Y, static_cast<float>(-n));
    }
    ExpectEveryPointWritten(target);
    EXPECT_NE(target.ArmCount, -999);
    EXPECT_NE(target.LobeCount, -999);
    EXPECT_NE(target.TipColorB, -1);
    EXPECT_NE(target.PulseRate, kNeverBuilt);
  }
}

TEST(BuildFigure, InnermostRingOfTwoArmsCanFallJustBelowTheCentre) {
  auto form = FormOfHeight(384);
  // White cores, both tips dark blue; ring 1 jittered by the lowest draws.
  BuildScript script(2, 0.5F);
  script.CoreDraws(0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F).Draw(8, 0.0F).Draw(9, 0.0F);
  Build(*form, 0, script.Ring(1, 0.5F, 0.007F));
  for (const int n : {1, 79, 157, 235}) {
    const FigurePoint& point = form->Figures[0].Points[n];
    EXPECT_EQ(point.Radius, -1.0F);
    EXPECT_EQ(point.Size, 1);
    // The core factor -1/384 pushes red and blue past 255, where they are held.
    EXPECT_EQ(point.Color, 16777215);
  }
  Build(*form, 0, script.Ring(1, 0.5F, 0.008F));
  EXPECT_EQ(form->Figures[0].Points[1].Radius, 0.0F);
  EXPECT_EQ(form->Figures[0].Points[1].Color, 16777215);
}

TEST(BuildFigure, TinyWindowsStillGetACompleteFigure) {
  // CenterY 12 is the smallest with a size divisor of 1 (rim radius 10.6); at 11 the divisor
  // would be 0 and is held at 1 (rim radius 9.8).
  for (const auto& [centerY, outerRadius, outerSize] :
       {std::array<int, 3>{12, 11, 12}, std::array<int, 3>{11, 10, 11}}) {
    auto form = FormOfHeight(static_cast<std::int16_t>(centerY));
    FillWithSentinels(form->Figures[0]);
    Build(*form, 0, BuildScript(4, 0.5F));
    ExpectEveryPointWritten(form->Figures[0]);
    EXPECT_EQ(form->Figures[0].Points[33].Radius, static_cast<float>(outerRadius));
    EXPECT_EQ(form->Figures[0].Points[33].Size, outerSize);
  }
}

TEST(BuildFigure, WindowWithoutHeightKeepsItsArmsInTheCoreColours) {
  auto form = FormOfHeight(0);
  FillWithSentinels(form->Figures[0]);
  Build(*form, 0, BuildScript(3, 0.5F));
  const Figure& figure = form->Figures[0];
  ExpectEveryPointWritten(figure);
  for (int n = 1; n <= 288; ++n) {
    const bool aSide = (n - 1) / 48 % 2 == 0;
    EXPECT_EQ(figure.Points[n].Color, aSide ? figure.CoreColorA : figure.CoreColorB) << n;
  }
  EXPECT_EQ(figure.Points[289].Radius, 0.0F);
}

template <typename T>
bool Within(T value, T low, T high) {
  return value >= low && value <= high;
}

// Checks what every build promises, whatever it drew.
class BuiltFigureChecker {
 public:
  BuiltFigureChecker(const FormState& form, const Figure& figure)
      : form_(form), figure_(figure), ringCount_(180 / figure.ArmCount - 12) {}

  void CheckAll() const {
    CheckScalars();
    for (int i = 1; i <= ringCount_; ++i) CheckRing(i);
    for (int n = figure_.ArmPointCount + 1; n <= kPointCount; ++n) CheckHaloPoint(n);
    for (int n = 1; n <= kPointCount; ++n) {
      EXPECT_TRUE(Within(figure_.Points[n].Color, 0, 16777215)) << n;
    }
  }

 private:
  void CheckScalars() const {
    EXPECT_EQ(figure_.ArmPointCount, 2 * ringCount_ * figure_.ArmCount);
    EXPECT_TRUE(Within<std::int16_t>(figure_.LobeCount, 2, 4));
    EXPECT_TRUE(Within(figure_.SpinRate, -0.125F, 0.125F));
    EXPECT_TRUE(Within(figure_.LobePhase, 0.0F, kPi));
    EXPECT_TRUE(Within(figure_.LobeRate, -0.05F, 0.05F));
    EXPECT_TRUE(Within(figure_.PulseRate, -0.05F, 0.05F));
    for (const ColorValue core : {figure_.CoreColorA, figure_.CoreColorB}) {
      for (const int channel : {core % 256, core / 256 % 256, core / 65536}) {
        EXPECT_TRUE(Within(channel, 55, 255)) << core;
      }
    }
    for (const ColorValue tip : {figure_.TipColorA, figure_.TipColorB}) {
      bool inPalette = false;
      for (std::int16_t n = 1; n <= 7; ++n) inPalette = inPalette || tip == QBColor(n);
      EXPECT_TRUE(inPalette) << tip;
    }
  }

  // Every copy of a ring's point is its sector-0 A-side point turned by whole sectors, or
  // that turned copy mirrored about its sector's bisector.
  void CheckRing(int i) const {
    constexpr double kAngleTolerance = 4e-6;
    const FigurePoint& first = figure_.Points[i];
    CheckArmPoint(first);
    const double sector = 2.0 * std::numbers::pi / figure_.ArmCount;
    for (int k = 0; k < figure_.ArmCount; ++k) {
      const FigurePoint& a = figure_.Points[2 * k * ringCount_ + i];
      const FigurePoint& b = figure_.Points[(2 * k + 1) * ringCount_ + i];
      for (const FigurePoint* copy : {&a, &b}) {
        EXPECT_EQ(copy->Radius, first.Radius);
        EXPECT_EQ(copy->Size, first.Size);
      }
      EXPECT_NEAR(a.Angle, first.Angle + k * sector, kAngleTolerance) << i << " " << k;
      EXPECT_NEAR(static_cast<double>(a.Angle) + b.Angle, (2 * k + 1) * sector, kAngleTolerance);
    }
  }

  void CheckArmPoint(const FigurePoint& point) const {
    const float outermost = Single(std::round(form_.BodyRadius + form_.RimWidth + 5.0));
    EXPECT_EQ(point.Radius, std::round(point.Radius));
    EXPECT_TRUE(Within(point.Radius, form_.CenterY >= 390 ? 0.0F : -5.0F, outermost));
    EXPECT_TRUE(Within(point.Angle, 0.0F, 2.0F * kPi));
    const std::int16_t smallest = form_.CenterY >= 146 ? 1 : -4;
    const std::int16_t largest = form_.CenterY >= 200 ? 23 : 35;
    EXPECT_TRUE(Within(point.Size, smallest, largest)) << form_.CenterY;
  }

  void CheckHaloPoint(int n) const {
    const FigurePoint& point = figure_.Points[n];
    const double inner = form_.BodyRadius + form_.RimWidth;
    EXPECT_TRUE(Within(point.Radius, Single(inner), Single(inner + form_.BodyRadius))) << n;
    EXPECT_TRUE(Within(point.Angle, 0.0F, 2.0F * kPi)) << n;
    EXPECT_TRUE(Within<std::int16_t>(point.Size, 10, 30)) << n;
  }

  const FormState& form_;
  const Figure& figure_;
  int ringCount_;
};

std::vector<std::int16_t> ManyHeights() {
  std::vector<std::int16_t> heights;
  for (int centerY = 0; centerY <= 1000; ++centerY)
    heights.push_back(static_cast<std::int16_t>(centerY));
  for (int centerY = 1001; centerY < 32767; centerY += 37) {
    heights.push_back(static_cast<std::int16_t>(centerY));
  }
  heights.push_back(32767);
  return heights;
}

TEST(BuildFigure, EveryBuildIsSymmetricAndWithinItsRanges) {
  CountingSource random;
  auto form = std::make_unique<FormState>();
  for (const std::int16_t centerY : ManyHeights()) {
    form->CenterY = centerY;
    const std::int16_t slot = centerY % 2;
    const int drawsBefore = random.draws;
    BuildFigure(*form, slot, random);
    const Figure& figure = form->Figures[slot];
    const int haloPoints = kPointCount - figure.ArmPointCount;
    EXPECT_EQ(random.draws - drawsBefore, 14 + 2 * (180 / figure.ArmCount - 12) + 4 * haloPoints);
    BuiltFigureChecker(*form, figure).CheckAll();
    if (testing::Test::HasFailure()) FAIL() << "at CenterY " << centerY;
  }
  EXPECT_EQ(random.reseeds, static_cast<int>(ManyHeights().size()));
}

std::uint64_t FingerprintOf(const FormState& form, const Figure& figure) {
  testing_support::Fingerprint print;
  print.Add(form.BodyRadius).Add(form.RimWidth).Add(figure.ArmCount).Add(figure.ArmPointCount);
  print.Add(figure.CoreColorA).Add(figure.CoreColorB).Add(figure.TipColorA).Add(figure.TipColorB);
  print.Add(figure.SpinRate).Add(figure.LobePhase).Add(figure.LobeRate).Add(figure.PulseRate);
  print.Add(figure.LobeCount);
  for (int n = 1; n <= kPointCount; ++n) {
    const FigurePoint& point = figure.Points[n];
    print.Add(point.Radius).Add(point.Angle).Add(point.Size).Add(point.Color);
  }
  return print.Value();
}

// Every rounding of a build shows in some point of some figure: these fingerprints hold the
// whole figure for each arm count, built from a fixed stream at CenterY 540 and 37.
TEST(BuildFigure, GoldenFiguresForEveryArmCount) {
  struct Row {
    int armCount;
    std::uint64_t at540;
    std::uint64_t at37;
  };
  const std::array<Row, 7> golden = {{
      {2, 0x68441C69DB1A1237ULL, 0x4A02FD96CEA9D255ULL},
      {3, 0x21D51192BC98A5CULL, 0xE7609B2A7236C6F8ULL},
      {4, 0x62857B1399886F93ULL, 0x66BF0BF885DC29D4ULL},
      {5, 0x6DA7F68DB0327BA1ULL, 0xE3E993C2F46D27F0ULL},
      {6, 0x617B7852330DD8F0ULL, 0x4DEA2E1EC329C32FULL},
      {7, 0xA115986D5AE299CAULL, 0x1D6FF2BE202A0D5DULL},
      {8, 0xD13122BDA9DCC4A3ULL, 0xC20D20FB88BC6411ULL},
  }};
  for (const Row& row : golden) {
    std::vector<float> draws = testing_support::WeylDraws(834);
    draws[0] = BuildScript(row.armCount, 0.5F).Draws()[0];
    for (const auto& [centerY, expected] : {std::pair{540, row.at540}, std::pair{37, row.at37}}) {
      auto form = FormOfHeight(static_cast<std::int16_t>(centerY));
      ScriptedSource random(draws);
      BuildFigure(*form, 0, random);
      const std::uint64_t actual = FingerprintOf(*form, form->Figures[0]);
      EXPECT_EQ(actual, expected) << row.armCount << " arms at CenterY " << centerY << ": "
                                  << std::hex << std::showbase << actual;
    }
  }
}

TEST(BuildFigureDeathTest, SlotOtherThan0Or1EndsTheProgramBeforeAnyDraw) {
  static FormState form;
  form.CenterY = 384;
  ScriptedSource noDraws({});
  EXPECT_EXIT(BuildFigure(form, 2, noDraws), testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 2 outside 0..1");
  EXPECT_EXIT(BuildFigure(form, -1, noDraws), testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index -1 outside 0..1");
}

TEST(BuildFigureDeathTest, RunningOutOfScriptedDrawsEndsTheProgram) {
  static FormState form;
  form.CenterY = 384;
  std::vector<float> draws = BuildScript(4, 0.5F).Draws();
  draws.pop_back();
  ScriptedSource random(draws);
  EXPECT_EXIT(BuildFigure(form, 0, random), testing::ExitedWithCode(kRuntimeFailureStatus),
              "random stream exhausted after 463 draws");
}

}  // namespace
}  // namespace flakemorph
