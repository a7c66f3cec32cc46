#include <gtest/gtest.h>

#include "common/scale.h"
#include "common/text.h"

namespace flakemorph {
namespace {

TEST(ParseSize, TakesWxHWithEitherCrossAndSidesInRange) {
  const std::optional<Size> size = ParseSize("640X480", 1000);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 640);
  EXPECT_EQ(size->height, 480);
  for (const char* bad : {"", "x", "640", "0x480", "640x0", "-1x2", "+1x2", "1x1001", " 1x2",
                          "1x2 ", "1xx2", "0x10x20"}) {
    EXPECT_FALSE(ParseSize(bad, 1000)) << bad;
  }
  EXPECT_TRUE(ParseSize("1000x1", 1000));
}

TEST(ParseDigits, DigitsAloneInTheBaseUpToTheLargest) {
  EXPECT_EQ(ParseDigits("1f", 16, 31), 31U);
  EXPECT_FALSE(ParseDigits("20", 16, 31));
  EXPECT_FALSE(ParseDigits("-0", 10, 5));
  EXPECT_FALSE(ParseDigits("99999999999999999999999", 10, UINT64_MAX));
  EXPECT_EQ(Trimmed(" \t 2 \r\n"), "2");
}

TEST(ParseWhole, ADecimalFromTheLowestToTheHighestAndNothingElse) {
  EXPECT_EQ(ParseWhole("1", 1, 240), 1);
  EXPECT_EQ(ParseWhole("240", 1, 240), 240);
  EXPECT_EQ(ParseWhole("0", 0, 5), 0);
  for (const char* bad : {"", "0", "241", "-1", "+5", " 5", "5 ", "0x10", "1.0", "4294967297"}) {
    EXPECT_FALSE(ParseWhole(bad, 1, 240)) << bad;
  }
}

TEST(ScaleOfDpi, HalfUpFromTheUsualDpiToTheLargestScale) {
  EXPECT_EQ(ScaleOfDpi(96), 1);
  EXPECT_EQ(ScaleOfDpi(143.9), 1);
  EXPECT_EQ(ScaleOfDpi(144), 2);
  EXPECT_EQ(ScaleOfDpi(240), 3);
  EXPECT_EQ(ScaleOfDpi(10000), kLargestScale);
  EXPECT_EQ(ScaleOfDpi(0), 1);
  EXPECT_EQ(ScaleOfDpi(-96), 1);
}

}  // namespace
}  // namespace flakemorph
