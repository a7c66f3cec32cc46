// Where the lines of FLAKEMORPH_STATS go (standard error): they never hold up a frame or an
// event. A line that cannot be written at once (a pipe that nobody reads is full) is dropped,
// and the next line that goes out says how many were.
#pragma once

#include <array>
#include <cstdint>

#include "common/printf_format.h"

namespace flakemorph {

class StatsOut {
 public:
  explicit StatsOut(int descriptor) : descriptor_(descriptor) {}

  // One line, without its '\n'; a longer one than the buffer is cut.
  void Line(const char* format, ...) FLAKEMORPH_PRINTF_FORMAT(2, 3);

  // What a window is, the same on every window system: "flakemorph: window NAME (KIND): WxH
  // pixels[ at X,Y][, pages PWxPH at scale S][, NOTE]", the pages only where the scale
  // enlarges them.
  struct Window {
    const char* name;
    const char* kind;
    std::int32_t width;  // screen pixels
    std::int32_t height;
    bool placed;  // where the window system says where the window lies
    std::int32_t x;
    std::int32_t y;
    std::int32_t scale;          // screen pixels per page pixel, across and down
    const char* note = nullptr;  // anything else worth saying, after a comma
  };
  void SayWindow(const Window& window);
  std::uint64_t Dropped() const { return dropped_; }

 private:
  bool WriteNow(const char* text, std::size_t length);

  int descriptor_;
  std::uint64_t dropped_ = 0;
  std::array<char, 512> line_{};
};

}  // namespace flakemorph
