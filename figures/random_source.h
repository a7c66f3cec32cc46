// The one stream of random values that the builder, the start-up, the wander and the morph
// share: uniform singles in [0, 1), re-seeded from the time of day at every new figure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
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

// Returns given values in order, for runs and tests that must see chosen numbers.
class ScriptedSource final : public RandomSource {
 public:
  // Every value must lie in [0, 1).
  explicit ScriptedSource(std::vector<float> values);
  // A scripted stream is the same whatever the time of day.
  void Reseed() override {}
  // Running out of values ends the program, naming the number of draws taken.
  float Next() override;
  std::size_t DrawCount() const { return drawCount_; }

 private:
  std::vector<float> values_;
  std::size_t drawCount_ = 0;
};

// What is wrong with a random file, as a message that names the file (and the line).
class RandomFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Values read from a file one decimal number a line, each rounded to the nearest single, as
// they are drawn: a file or pipe without end costs one line of memory, and only as much of it
// is read as the run needs. A file that cannot be read, a line that is not a number in [0, 1)
// or is too long, and the end of the file throw RandomFileError.
class RandomFile final : public RandomSource {
 public:
  // Longer lines are refused: no decimal needs that many digits to name a single.
  static constexpr std::size_t kLongestLine = 4096;

  explicit RandomFile(std::string path);
  ~RandomFile() override;
  RandomFile(const RandomFile&) = delete;
  RandomFile& operator=(const RandomFile&) = delete;

  void Reseed() override {}
  float Next() override;
  std::size_t DrawCount() const { return drawCount_; }

 private:
  // The next line, without its line break, in line_; false at the end of the file.
  bool ReadLine();
  [[noreturn]] void FailReading() const;

  std::string path_;
  std::FILE* file_;
  std::array<char, kLongestLine> line_{};
  std::size_t lineLength_ = 0;
  std::size_t lineNumber_ = 0;
  std::size_t drawCount_ = 0;
};

}  // namespace flakemorph
