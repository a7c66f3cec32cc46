#include "figures/colour.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "figures/numbers.h"

namespace flakemorph {
namespace {

struct Channels {
  std::int16_t red;
  std::int16_t green;
  std::int16_t blue;
};

Channels Split(ColorValue color) {
  Channels channels{-999, -999, -999};
  SplitColor(color, channels.red, channels.green, channels.blue);
  return channels;
}

TEST(SplitColor, GivesTheBytesAndSplitsOutOfRangeValuesByTruncatingDivision) {
  struct Row {
    ColorValue color;
    Channels expected;
  };
  const std::array<Row, 8> rows = {{
      {1193046, {86, 52, 18}},
      {16777215, {255, 255, 255}},
      {0, {0, 0, 0}},
      {16777216, {0, 0, 256}},
      {-1, {-1, 0, 0}},
      {-256, {0, -1, 0}},
      {INT32_MAX, {255, 255, 32767}},
      {INT32_MIN, {0, 0, -32768}},
  }};
  for (const Row& row : rows) {
    const Channels channels = Split(row.color);
    EXPECT_EQ(channels.red, row.expected.red) << row.color;
    EXPECT_EQ(channels.green, row.expected.green) << row.color;
    EXPECT_EQ(channels.blue, row.expected.blue) << row.color;
  }
}

TEST(BlendColor, MixesChannelByChannelRoundingTiesToEven) {
  struct Row {
    ColorValue a;
    ColorValue b;
    float t;
    ColorValue expected;
  };
  const std::array<Row, 9> rows = {{
      {255, 16711680, 0.0F, 255},
      {255, 16711680, 0.25F, 4194495},   // 191, 0, 64
      {255, 16711680, 0.5F, 8388736},    // 127.5 rounds to 128 in red and blue
      {255, 16711680, 0.75F, 12517440},  // 64, 0, 191
      {255, 16711680, 1.0F, 16711680},
      {25605, 222464, 0.5F, 156674},  // 2.5 -> 2, 100.5 -> 100, 1.5 -> 2
      {8388608, 12632256, 0.5F, 10510432},
      // Red comes out at 256 just below t = 0 and is held at 255.
      {255, 0, -1.0F / 384.0F, 255},
      {0, 16777215, 1.0F, 16777215},
  }};
  for (const Row& row : rows) {
    EXPECT_EQ(BlendColor(row.a, row.b, row.t), row.expected)
        << row.a << " " << row.b << " " << row.t;
  }
}

TEST(BlendColor, ComputesTheChannelInDoubleAndRoundsOnce) {
  // 201 + 0.49999997 stays just below the tie in double and gives 201; a sum rounded to
  // single on the way would become 201.5 and then 202.
  const float justBelowHalf = 0.5F - 0x1p-25F;
  EXPECT_EQ(BlendColor(201, 202, justBelowHalf), 201);
}

TEST(BlendColorDeathTest, ChannelDifferenceBeyond16BitsEndsTheProgram) {
  EXPECT_EXIT(BlendColor(INT32_MIN, INT32_MAX, 0.5F),
              testing::ExitedWithCode(kRuntimeFailureStatus), "16-bit");
}

TEST(LerpSingle, InterpolatesInDoubleRoundingOnce) {
  EXPECT_EQ(LerpSingle(10.0F, 20.0F, 0.25F), 12.5F);
  EXPECT_EQ(LerpSingle(-3.5F, 4.5F, 0.5F), 0.5F);
  EXPECT_EQ(LerpSingle(1.0F, 2.0F, 0.1F), 1.10000002384185791015625F);
  // t is not clamped.
  EXPECT_EQ(LerpSingle(10.0F, 20.0F, 2.0F), 30.0F);
  EXPECT_EQ(LerpSingle(10.0F, 20.0F, -1.0F), 0.0F);
  // (b - a) t + a keeps equal ends exact for any t, where a (1 - t) + b t would not.
  for (const float t : {0.1F, 0.3F, 0.7F, 1.0F / 3.0F}) {
    EXPECT_EQ(LerpSingle(0.1F, 0.1F, t), 0.1F) << t;
    EXPECT_EQ(LerpSingle(123.456F, 123.456F, t), 123.456F) << t;
  }
  // A difference that a single cannot hold: (1e8 - 1) * 0.5 + 1 rounds once to 50000000.
  EXPECT_EQ(LerpSingle(1.0F, 1e8F, 0.5F), 50000000.0F);
}

TEST(LerpSingleDeathTest, OverflowToSingleEndsTheProgram) {
  EXPECT_EXIT(LerpSingle(0.0F, 3e38F, 2.0F), testing::ExitedWithCode(kRuntimeFailureStatus),
              "overflow");
}

TEST(RGB, PacksChannelsAndHoldsThemWithin0To255) {
  EXPECT_EQ(RGB(86, 52, 18), 1193046);
  EXPECT_EQ(RGB(255, 255, 255), 16777215);
  EXPECT_EQ(RGB(256, 0, 0), 255);
  EXPECT_EQ(RGB(0, 1000, 0), 255 * 256);
  EXPECT_EQ(RGB(-1, -300, 32767), 255 * 65536);
}

TEST(QBColor, GivesTheStandardSixteenColourPalette) {
  const std::array<ColorValue, 16> expected = {
      RGB(0, 0, 0),
      8388608,
      32768,
      8421376,
      128,
      8388736,
      32896,
      12632256,
      RGB(128, 128, 128),
      RGB(0, 0, 255),
      RGB(0, 255, 0),
      RGB(0, 255, 255),
      RGB(255, 0, 0),
      RGB(255, 0, 255),
      RGB(255, 255, 0),
      RGB(255, 255, 255),
  };
  for (std::int16_t n = 0; n < 16; ++n) EXPECT_EQ(QBColor(n), expected[n]) << n;
}

TEST(QBColorDeathTest, EntryOutside0To15EndsTheProgram) {
  EXPECT_EXIT(QBColor(16), testing::ExitedWithCode(kRuntimeFailureStatus), "palette entry 16");
  EXPECT_EXIT(QBColor(-1), testing::ExitedWithCode(kRuntimeFailureStatus), "palette entry -1");
}

}  // namespace
}  // namespace flakemorph
