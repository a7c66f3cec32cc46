// The one stream of random values that the builder, the start-up, the wander and the morph
// share: uniform singles in [0, 1), re-seeded from the time of day at every new figure.
#pragma once

#include <cstdint>
#include <functional>

namespace flakemorph {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Starts a new stream from the time of day.
  virtual void Reseed() = 0;
  // The next value: a single, uniform in [0, 1).
  virtual float Next() = 0;
};

// Nanoseconds since local midnight, at the full resolution of the system clock.
using TimeOfDayClock = std::function<std::uint64_t()>;
std::uint64_t LocalNanosecondsSinceMidnight();

// The program's own generator: PCG32 (64-bit state, 32-bit output), seeded from the time of
// day mixed with the number of re-seeds so far. Two re-seeds that read the same clock value
// (the start-up figure and the first new one are built microseconds apart) still give
// different streams, while the same clock reading and the same re-seed count give the same
// stream. The constructor seeds it once, so Next() may be called before any Reseed().
//
// `stream` tells apart generators that read the same clock at the same moments, one for each
// monitor: each then draws figures of its own. Stream 0 is the generator of a single window.
class TimeSeededGenerator final : public RandomSource {
 public:
  explicit TimeSeededGenerator(TimeOfDayClock clock = LocalNanosecondsSinceMidnight,
                               std::uint64_t stream = 0);
  void Reseed() override;
  // 24 random bits, so every value is an exact single and 1 is never reached.
  float Next() override;

 private:
  void Seed(std::uint64_t clockReading, std::uint64_t reseedCount);
  std::uint32_t NextBits();

  TimeOfDayClock clock_;
  std::uint64_t stream_;
  std::uint64_t reseedCount_ = 0;
  std::uint64_t state_ = 0;
  std::uint64_t increment_ = 1;
};

}  // namespace flakemorph
