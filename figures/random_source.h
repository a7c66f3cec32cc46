// The one stream of random values that the builder, the start-up, the wander and the morph
// share: uniform singles in [0, 1), re-seeded from the time of day at every new figure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace flakemorph {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Starts a new stream from the time of day.
  virtual void Reseed() = 0;
  // The next value: a single, uniform in [0, 1).
  virtual float Next() = 0;
};

// Nanoseconds since local midnight.
using TimeOfDayClock = std::function<std::uint64_t()>;
std::uint64_t LocalNanosecondsSinceMidnight();

// The program's own generator (declared in full by its implementation).
class TimeSeededGenerator;

// Returns given values in order; re-seeding does nothing to it.
class ScriptedSource;

}  // namespace flakemorph
