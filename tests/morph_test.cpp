#include "animation/morph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "animation/wander.h"
#include "tests/figures_test_support.h"

namespace flakemorph {
namespace {

TEST(MorphCurves, FractionAndShellRadiusAtTheWorkedFrames) {
  struct Row {
    std::int16_t c;
    const char* t;
    std::int16_t radius;
  };
  for (const Row& row : {Row{1, "0.0004934", 0}, Row{25, "0.2714466", 35}, Row{50, "0.7500001", 70},
                         Row{75, "0.9785534", 35}}) {
    EXPECT_TRUE(testing_support::ReadsAs(MorphFraction(row.c, 100), row.t)) << "c " << row.c;
    EXPECT_EQ(ScatterRadiusAt(row.c, 100, 70), row.radius) << "c " << row.c;
  }
  EXPECT_EQ(MorphFraction(100, 100), 1.0F);
  EXPECT_EQ(ScatterRadiusAt(100, 100, 70), 0);
  // π is the single 3.141593, a hair above π: the middle is not exactly 0.75.
  EXPECT_GT(MorphFraction(50, 100), 0.75F);
  EXPECT_LT(MorphFraction(36, 100), 0.5F);
  EXPECT_GT(MorphFraction(37, 100), 0.5F);
}

TEST(MorphCurves, FractionNeverFallsBack) {
  for (std::int16_t c = 1; c < 100; ++c) {
    EXPECT_LE(MorphFraction(c, 100), MorphFraction(c + 1, 100)) << c;
  }
}

TEST(MorphShell, ScatterPushesAlongTheAzimuthOnTopOfTheOffset) {
  FormState form;
  form.CenterX = 400;
  form.CenterY = 300;
  form.ScatterRadius = 70;
  Particle q;
  q.OffsetX = 10;
  q.OffsetY = -4;
  PlaceOnShell(form, q);
  EXPECT_EQ(q.ScreenX, 480.0F);
  EXPECT_EQ(q.ScreenY, 296.0F);

  // Straight out of the screen plane the shell adds nothing that can be seen.
  q.ScatterElevation = Single(Widened(kPi) / 2);
  PlaceOnShell(form, q);
  EXPECT_NEAR(q.ScreenX, 410.0F, 1e-3);
}

TEST(MorphShell, CircleBoxesRoundTiesToEvenAndKeepTheirSize) {
  const CircleBox at_10_5 = BoxOfCircle(10.5F, 20.0F, 3);
  EXPECT_EQ(at_10_5.left, 8);
  EXPECT_EQ(at_10_5.right, 14);
  EXPECT_EQ(at_10_5.top, 17);
  EXPECT_EQ(at_10_5.bottom, 23);
  const CircleBox at_11_5 = BoxOfCircle(11.5F, -0.5F, 3);
  EXPECT_EQ(at_11_5.left, 8);
  EXPECT_EQ(at_11_5.right, 14);
  EXPECT_EQ(at_11_5.top, -4);
  EXPECT_EQ(at_11_5.bottom, 2);
  // Small fractions that a single-precision sum would round to a tie.
  for (float x : {0.50000006F, -29.5F, 1e5F + 0.5F, 123.456F}) {
    for (std::int16_t size : {1, 3, 30}) {
      const CircleBox box = BoxOfCircle(x, x, size);
      EXPECT_EQ(box.right - box.left, 2 * size) << x << " " << size;
      EXPECT_EQ(box.bottom - box.top, 2 * size) << x << " " << size;
    }
  }
}

TEST(MorphWander, PhasesGrowInTheRatioFiveToThree) {
  class Constant : public RandomSource {
   public:
    void Reseed() override {}
    float Next() override { return 0.5F; }
  } random;
  FormState form;
  for (int frame = 0; frame < 40; ++frame) {
    const float x = form.WanderPhaseX;
    const float y = form.WanderPhaseY;
    StepWander(form, random);
    EXPECT_GE(form.WanderPhaseX, x);
    EXPECT_GE(form.WanderPhaseY, y);
    EXPECT_NEAR((form.WanderPhaseX - x) * 3, (form.WanderPhaseY - y) * 5, 1e-6);
  }
  EXPECT_NEAR(form.WanderClock, 2.0, 1e-5);
  EXPECT_LE(std::abs(WanderShiftX(form)), 150.0);
  EXPECT_LE(std::abs(WanderShiftY(form)), 100.0);
}

TEST(MorphWander, StandsStillWhileTheClockSineIsZero) {
  class Zero : public RandomSource {
   public:
    void Reseed() override {}
    float Next() override { return 0.0F; }
  } random;
  FormState form;
  form.WanderPhaseX = 1.25F;
  form.WanderPhaseY = 0.75F;
  StepWander(form, random);
  EXPECT_EQ(form.WanderPhaseX, 1.25F);
  EXPECT_EQ(form.WanderPhaseY, 0.75F);
}

}  // namespace
}  // namespace flakemorph
