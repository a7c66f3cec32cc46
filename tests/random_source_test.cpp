#include "figures/random_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "figures/numbers.h"
#include "tests/scripted_source.h"
#include "tools/record/random_file.h"

namespace flakemorph {
namespace {

constexpr std::uint64_t kNanosecondsPerDay = 86'400'000'000'000ULL;

TimeOfDayClock FixedClock(std::uint64_t reading) {
  return [reading] { return reading; };
}

std::vector<float> Take(RandomSource& random, int count) {
  std::vector<float> values;
  for (int n = 0; n < count; ++n) values.push_back(random.Next());
  return values;
}

TEST(TimeSeededGenerator, GivesExactSinglesOf24BitsSpreadOverTheUnitInterval) {
  TimeSeededGenerator random;
  constexpr int kDraws = 200'000;
  std::array<int, 16> buckets{};
  double sum = 0;
  for (int n = 0; n < kDraws; ++n) {
    const float value = random.Next();
    ASSERT_GE(value, 0.0F);
    ASSERT_LT(value, 1.0F);
    const float scaled = value * 0x1p24F;
    ASSERT_EQ(scaled, std::floor(scaled)) << value;
    ++buckets[static_cast<std::size_t>(value * 16.0F)];
    sum += value;
  }
  EXPECT_NEAR(sum / kDraws, 0.5, 0.005);
  for (const int count : buckets) EXPECT_NEAR(count, kDraws / 16, kDraws / 16 / 10);
}

TEST(TimeSeededGenerator, SameClockReadingAndReseedCountGiveTheSameStream) {
  TimeSeededGenerator first(FixedClock(43'200'000'000'123ULL));
  TimeSeededGenerator second(FixedClock(43'200'000'000'123ULL));
  EXPECT_EQ(Take(first, 1000), Take(second, 1000));
  first.Reseed();
  second.Reseed();
  EXPECT_EQ(Take(first, 1000), Take(second, 1000));
}

TEST(TimeSeededGenerator, ReseedsAtOneClockReadingGiveDifferentStreams) {
  TimeSeededGenerator random(FixedClock(1'000'000'000ULL));
  std::vector<std::vector<float>> streams;
  for (int reseed = 0; reseed < 50; ++reseed) {
    random.Reseed();
    streams.push_back(Take(random, 8));
  }
  for (std::size_t a = 0; a < streams.size(); ++a) {
    for (std::size_t b = a + 1; b < streams.size(); ++b) EXPECT_NE(streams[a], streams[b]);
  }
}

TEST(TimeSeededGenerator, ClockReadingsOneNanosecondApartGiveDifferentStreams) {
  TimeSeededGenerator early(FixedClock(5'000'000'000ULL));
  TimeSeededGenerator late(FixedClock(5'000'000'001ULL));
  EXPECT_NE(Take(early, 8), Take(late, 8));
}

// One generator per monitor, all reading the same clock at the same moments.
TEST(TimeSeededGenerator, MonitorStreamsAtOneClockReadingDifferAndRepeat) {
  constexpr std::uint64_t kReading = 43'200'000'000'123ULL;
  TimeSeededGenerator single(FixedClock(kReading));
  TimeSeededGenerator first_monitor(FixedClock(kReading), 0);
  EXPECT_EQ(Take(single, 100), Take(first_monitor, 100));
  std::vector<std::vector<float>> streams;
  for (std::uint64_t monitor = 0; monitor < 16; ++monitor) {
    TimeSeededGenerator random(FixedClock(kReading), monitor);
    TimeSeededGenerator again(FixedClock(kReading), monitor);
    random.Reseed();
    again.Reseed();
    streams.push_back(Take(random, 8));
    EXPECT_EQ(streams.back(), Take(again, 8)) << "monitor " << monitor;
  }
  for (std::size_t a = 0; a < streams.size(); ++a) {
    for (std::size_t b = a + 1; b < streams.size(); ++b) {
      EXPECT_NE(streams[a], streams[b]) << a << " " << b;
    }
  }
}

TEST(TimeSeededGenerator, ReadsTheClockAtConstructionAndAtEveryReseed) {
  int readings = 0;
  TimeSeededGenerator random([&readings] { return static_cast<std::uint64_t>(++readings); });
  EXPECT_EQ(readings, 1);
  random.Next();
  EXPECT_EQ(readings, 1);
  random.Reseed();
  random.Reseed();
  EXPECT_EQ(readings, 3);
}

TEST(LocalNanosecondsSinceMidnight, LiesWithinOneDayAtSubsecondResolution) {
  bool sawFraction = false;
  for (int n = 0; n < 100 && !sawFraction; ++n) {
    const std::uint64_t reading = LocalNanosecondsSinceMidnight();
    ASSERT_LT(reading, kNanosecondsPerDay + 1'000'000'000ULL);  // a leap second at most
    sawFraction = reading % 1'000'000ULL != 0;
  }
  EXPECT_TRUE(sawFraction) << "the clock reads only whole milliseconds";
}

TEST(ScriptedSource, ReturnsItsValuesInOrderWhateverTheReseeds) {
  ScriptedSource random({0.25F, 0.0F, 0.99999994F});
  EXPECT_EQ(random.DrawCount(), 0U);
  EXPECT_EQ(random.Next(), 0.25F);
  random.Reseed();
  EXPECT_EQ(random.Next(), 0.0F);
  EXPECT_EQ(random.Next(), 0.99999994F);
  EXPECT_EQ(random.DrawCount(), 3U);
}

// Each test writes its own random.txt, in a folder of its own, since tests run in parallel.
class RandomFileTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(testing::TempDir()) /
              (std::string("flakemorph-") + test->test_suite_name() + "-" + test->name() + "-" +
               std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& text) const {
    const std::string path = (folder_ / "random.txt").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // What a file of this text says when it is drawn from until it fails.
  std::string FaultOf(const std::string& text) const {
    try {
      RandomFile random(Write(text));
      for (;;) random.Next();
    } catch (const RandomFileError& error) {
      return error.what();
    }
  }

 private:
  std::filesystem::path folder_;
};

TEST_F(RandomFileTest, ReadsOneNumberALineRoundedToTheNearestSingle) {
  // 0.30000001192092896 is the single nearest 0.3 written out; 0.100000001 rounds to 0.1F.
  RandomFile random(Write("0.5\n  0.30000001192092896 \n0.100000001\r\n0\n1e-3"));
  EXPECT_EQ(random.Next(), 0.5F);
  EXPECT_EQ(random.Next(), 0.3F);
  EXPECT_EQ(random.Next(), 0.1F);
  EXPECT_EQ(random.Next(), 0.0F);
  EXPECT_EQ(random.Next(), 0.001F);
  EXPECT_EQ(random.DrawCount(), 5U);
  EXPECT_THROW(random.Next(), RandomFileError);
}

// Only the lines drawn are read: a bad line further on is no fault of a run that stops before.
TEST_F(RandomFileTest, ReadsOnlyTheLinesDrawn) {
  RandomFile random(Write("0.5\n0.25\nnot read\n"));
  EXPECT_EQ(random.Next(), 0.5F);
  EXPECT_EQ(random.Next(), 0.25F);
}

TEST_F(RandomFileTest, RunningOutNamesTheFileAndTheDrawCount) {
  EXPECT_PRED_FORMAT2(testing::IsSubstring, "random.txt: random stream exhausted after 2 draws",
                      FaultOf("0.5\n0.5\n"));
  EXPECT_PRED_FORMAT2(testing::IsSubstring, "random stream exhausted after 0 draws", FaultOf(""));
}

TEST(ScriptedSourceDeathTest, RunningOutNamesTheDrawCount) {
  EXPECT_EXIT(
      {
        ScriptedSource random({0.5F, 0.5F});
        random.Next();
        random.Next();
        random.Next();
      },
      testing::ExitedWithCode(kRuntimeFailureStatus), "random stream exhausted after 2 draws");
}

TEST(ScriptedSourceDeathTest, ValueOutsideTheUnitIntervalIsRefused) {
  EXPECT_EXIT(ScriptedSource({0.5F, 1.0F}), testing::ExitedWithCode(kRuntimeFailureStatus),
              "scripted value 2 .* is outside \\[0, 1\\)");
  EXPECT_EXIT(ScriptedSource({-0.25F}), testing::ExitedWithCode(kRuntimeFailureStatus),
              "outside \\[0, 1\\)");
}

TEST_F(RandomFileTest, BadLinesAreNamedByFileAndLine) {
  const auto expect = [this](const std::string& text, const std::string& fault) {
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "random.txt:" + fault, FaultOf(text));
  };
  expect("0.1\n0.2\n1.5\n", R"(3: "1.5" is outside [0, 1))");
  expect("-0.5\n", R"(1: "-0.5" is outside [0, 1))");
  // Just below 1 in decimal, but the nearest single is 1.
  expect("0.5\n0.99999999\n", R"(2: "0.99999999" is outside [0, 1) as a single (it rounds to 1))");
  expect("0.5\nhalf\n", R"(2: "half" is not a plain decimal)");
  expect("0.5\n\n0.5\n", R"(2: "" is not a plain decimal)");
  expect("0.5 0.25\n", R"(1: "0.5 0.25" is not a plain decimal)");
  expect("nan\n", R"(1: "nan" is not a plain decimal)");
  expect("0x0.8p0\n", R"(1: "0x0.8p0" is not a plain decimal)");
  expect("1e50\n", R"(1: "1e50" is outside [0, 1))");
  expect("1e999\n", R"(1: "1e999" is outside [0, 1))");
  expect("-1e-50\n", R"(1: "-1e-50" is outside [0, 1))");
  expect("1\n", R"(1: "1" is outside [0, 1))");
}

// A line of no end (a stream of zero bytes) is refused at the longest line, not gathered.
TEST_F(RandomFileTest, LinesTooLongAreRefusedByNumber) {
  RandomFile longest(Write("0." + std::string(RandomFile::kLongestLine - 2, '5') + "\n"));
  EXPECT_EQ(longest.Next(), 5.0F / 9.0F);
  EXPECT_PRED_FORMAT2(testing::IsSubstring, "random.txt:2: a line longer than 4096 bytes",
                      FaultOf("0.5\n0." + std::string(RandomFile::kLongestLine, '5') + "\n"));
  EXPECT_PRED_FORMAT2(testing::IsSubstring, "random.txt:1: a line longer than 4096 bytes",
                      FaultOf(std::string(5000, '\0')));
}

// A random file comes from elsewhere: its bad lines are shown only as printable ASCII, the
// quote and the backslash escaped, and only their first 40 bytes.
TEST_F(RandomFileTest, BadLinesAreQuotedSafely) {
  EXPECT_PRED_FORMAT2(testing::IsSubstring,
                      R"(:1: "0.5\x1B]0;\x07\x00\xFF\"\\" is not a plain decimal)",
                      FaultOf(std::string("0.5\x1b]0;\x07\x00\xff\"\\\n", 13)));
  EXPECT_PRED_FORMAT2(testing::IsSubstring,
                      R"(:1: "0.25 )" + std::string(35, 'x') +
                          R"("... (a line of 100 bytes) is not a plain decimal)",
                      FaultOf("0.25 " + std::string(95, 'x') + "\n"));
  EXPECT_PRED_FORMAT2(
      testing::IsSubstring,
      R"(:1: "0.)" + std::string(38, '3') + R"("... (a line of 65 bytes) is outside [0, 1))",
      FaultOf("0." + std::string(60, '3') + "4e1\n"));
}

// A decimal too small for any single is still a number in [0, 1): it rounds to 0.
TEST_F(RandomFileTest, DecimalsTooSmallForASingleRoundToZero) {
  RandomFile random(Write("1e-50\n0.0000001e-400\n1e-40\n"));
  EXPECT_EQ(random.Next(), 0.0F);
  EXPECT_EQ(random.Next(), 0.0F);
  EXPECT_EQ(random.Next(), 1e-40F);
}

TEST(RandomFile, UnreadableFileIsNamed) {
  try {
    RandomFile random("/nonexistent/random.txt");
    ADD_FAILURE() << "opened a missing file";
  } catch (const RandomFileError& error) {
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cannot read /nonexistent/random.txt: ", error.what());
  }
#ifndef _WIN32
  // A folder opens, but reading it fails.
  RandomFile folder(testing::TempDir());
  EXPECT_THROW(folder.Next(), RandomFileError);
#endif
}

}  // namespace
}  // namespace flakemorph
