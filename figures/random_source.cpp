#include "figures/random_source.h"

#include <ctime>
#include <utility>

namespace flakemorph {

namespace {

constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::uint64_t kPcgMultiplier = 6364136223846793005ULL;

// splitmix64's finaliser: spreads nearby clock readings and counts over all 64 bits.
std::uint64_t SplitMix64(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ULL;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
  return value ^ (value >> 31);
}

}  // namespace

std::uint64_t LocalNanosecondsSinceMidnight() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
#ifdef _WIN32
  localtime_s(&local, &now.tv_sec);
#else
  localtime_r(&now.tv_sec, &local);
#endif
  const auto seconds =
      static_cast<std::uint64_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
  return seconds * kNanosecondsPerSecond + static_cast<std::uint64_t>(now.tv_nsec);
}

TimeSeededGenerator::TimeSeededGenerator(TimeOfDayClock clock, std::uint64_t stream)
    : clock_(std::move(clock)), stream_(stream) {
  Reseed();
}

void TimeSeededGenerator::Reseed() {
  Seed(clock_(), reseedCount_);
  ++reseedCount_;
}

// The clock picks the starting state and the count picks the stream (PCG's increment), so
// re-seeds at one clock reading run on distinct streams. The stream number moves the starting
// state, and with it the increment, by a hash of its own; stream 0 adds nothing.
void TimeSeededGenerator::Seed(std::uint64_t clockReading, std::uint64_t reseedCount) {
  const std::uint64_t streamHash = stream_ == 0 ? 0 : SplitMix64(~stream_);
  const std::uint64_t clockHash = SplitMix64(clockReading) ^ streamHash;
  state_ = 0;
  increment_ = (SplitMix64(clockHash + reseedCount) << 1U) | 1U;
  NextBits();
  state_ += clockHash;
  NextBits();
}

std::uint32_t TimeSeededGenerator::NextBits() {
  const std::uint64_t old = state_;
  state_ = old * kPcgMultiplier + increment_;
  const auto shifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
  const auto rotation = static_cast<std::uint32_t>(old >> 59U);
  return (shifted >> rotation) | (shifted << ((32U - rotation) & 31U));
}

float TimeSeededGenerator::Next() {
  constexpr float kUnit = 0x1p-24F;
  return static_cast<float>(NextBits() >> 8U) * kUnit;
}

}  // namespace flakemorph
