// Where the lines of FLAKEMORPH_STATS go (standard error): they never hold up a frame or an
// event. A line that cannot be written at once (a pipe that nobody reads is full) is dropped,
// and the next line that goes out says how many were.
#pragma once

#include <array>
#include <cstdint>

namespace flakemorph {

class StatsOut {
 public:
  explicit StatsOut(int descriptor) : descriptor_(descriptor) {}

  // One line, without its '\n'; a longer one than the buffer is cut.
  void Line(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
  std::uint64_t Dropped() const { return dropped_; }

 private:
  bool WriteNow(const char* text, std::size_t length);

  int descriptor_;
  std::uint64_t dropped_ = 0;
  std::array<char, 512> line_{};
};

}  // namespace flakemorph
