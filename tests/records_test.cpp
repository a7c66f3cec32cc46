#include "figures/records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "figures/numbers.h"

namespace flakemorph {
namespace {

TEST(Records, EveryFieldStartsAtZero) {
  static const FormState form;
  for (int slot = 0; slot <= 1; ++slot) {
    const Figure& figure = form.Figures[slot];
    EXPECT_EQ(figure.ArmCount, 0);
    EXPECT_EQ(figure.ArmPointCount, 0);
    EXPECT_EQ(figure.Spin, 0.0F);
    EXPECT_EQ(figure.PulsePhase, 0.0F);
    for (int n = 1; n <= kPointCount; ++n) {
      const FigurePoint& point = figure.Points[n];
      EXPECT_EQ(point.Radius, 0.0F);
      EXPECT_EQ(point.Angle, 0.0F);
      EXPECT_EQ(point.Size, 0);
      EXPECT_EQ(point.Color, 0);
      EXPECT_EQ(point.X, 0.0F);
      EXPECT_EQ(point.Y, 0.0F);
    }
  }
  for (int n = 1; n <= kPointCount; ++n) {
    const Particle& particle = form.Particles[n];
    EXPECT_EQ(particle.ScreenX, 0.0F);
    EXPECT_EQ(particle.ScatterAzimuth, 0.0F);
    EXPECT_EQ(particle.Color, 0);
  }
  EXPECT_EQ(form.BodyRadius, 0.0);
  EXPECT_EQ(form.TargetSlot, 0);
  EXPECT_EQ(form.PageIndex, 0);
  EXPECT_EQ(form.MorphFrames, 0);
  EXPECT_EQ(form.CenterY, 0);
}

TEST(RecordsDeathTest, IndexOutsideItsRangeEndsTheProgram) {
  static FormState form;
  EXPECT_EXIT(form.Particles[0].Size = 1, testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 0 outside 1..360");
  EXPECT_EXIT(form.Particles[361].Size = 1, testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 361 outside 1..360");
  EXPECT_EXIT(form.Figures[2].ArmCount = 1, testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index 2 outside 0..1");
  EXPECT_EXIT(form.Figures[0].Points[-1].Size = 1, testing::ExitedWithCode(kRuntimeFailureStatus),
              "array index -1 outside 1..360");
}

TEST(NumbersDeathTest, ConversionsOutOfRangeEndTheProgram) {
  EXPECT_EXIT(Nearest16(32767.5), testing::ExitedWithCode(kRuntimeFailureStatus), "16-bit");
  EXPECT_EXIT(Nearest32(4294967296.0), testing::ExitedWithCode(kRuntimeFailureStatus), "32-bit");
  EXPECT_EXIT(Checked16(-32769), testing::ExitedWithCode(kRuntimeFailureStatus), "16-bit");
  EXPECT_EXIT(Single(1e300), testing::ExitedWithCode(kRuntimeFailureStatus), "overflow");
}

TEST(Numbers, NearestRoundsTiesToEven) {
  EXPECT_EQ(Nearest16(2.5), 2);
  EXPECT_EQ(Nearest16(3.5), 4);
  EXPECT_EQ(Nearest16(-2.5), -2);
  EXPECT_EQ(Nearest16(32766.5), 32766);
  EXPECT_EQ(Nearest16(-32768.5), -32768);
  // Both ends of the range are in it.
  EXPECT_EQ(Nearest16(32767.0), 32767);
  EXPECT_EQ(Nearest16(32767.4), 32767);
  EXPECT_EQ(Nearest16(-32768.0), -32768);
  EXPECT_EQ(Floor16(32767.9), 32767);
  EXPECT_EQ(Nearest32(2147483647.0), INT32_MAX);
  EXPECT_EQ(Nearest32(-2147483648.0), INT32_MIN);
  EXPECT_EQ(Checked16(32767), 32767);
  EXPECT_EQ(Checked16(-32768), -32768);
  EXPECT_EQ(Nearest32(7.5), 8);
  EXPECT_EQ(Nearest32(13.5), 14);
  EXPECT_EQ(Floor16(-0.5), -1);
  EXPECT_EQ(Single(0.1), 0.1F);
}

// The inline rounding stands in for std::nearbyint: it must agree on every value, above all
// where adding 2^52 could itself round (just below a half, near 2^52, at the largest doubles).
TEST(Numbers, RoundingAgreesWithNearbyint) {
  const double two52 = 4503599627370496.0;
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                -0.5,
                                1.5,
                                std::nextafter(0.5, 0.0),
                                std::nextafter(-0.5, 0.0),
                                std::nextafter(2.5, 3.0),
                                two52 - 0.5,
                                -(two52 - 0.5),
                                two52 - 1.5,
                                two52,
                                two52 + 1,
                                2 * two52 + 2,
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::infinity()};
  std::mt19937_64 bits(9);
  for (int n = 0; n < 100000; ++n) {
    const double value = std::uniform_real_distribution<double>(-70000.0, 70000.0)(bits);
    values.push_back(value);
    values.push_back(std::nearbyint(value) + 0.5);  // every tie, odd and even
  }
  for (const double value : values) {
    ASSERT_EQ(RoundedToInteger(value), std::nearbyint(value)) << std::hexfloat << value;
  }
  EXPECT_TRUE(std::isnan(RoundedToInteger(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace flakemorph
