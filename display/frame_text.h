// The frame-rate text of --fps, the same on every window system: a line of small block letters,
// white on a dark grey box in the top-left corner, drawn onto a window's buffer after the page.
// No font library: the few characters the text uses are drawn from bitmaps of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "display/page_damage.h"

namespace flakemorph {

class FrameText {
 public:
  // The box holds this many characters, whatever the text: the longest frame-rate text
  // ("9999 fps  CPU 999.9%") fits, and a shorter text never leaves a longer one's end behind.
  static constexpr std::size_t kLongestText = 20;

  // Characters other than digits and those of "fps CPU %.-" show as blanks; those beyond
  // kLongestText are left out.
  void SetText(std::string_view text);
  bool Empty() const { return length_ == 0; }
  // Draws the box, each of its pixels scale x scale, and gives where; nothing without text.
  std::optional<PixelRect> DrawOnto(const TargetBuffer& target, std::int32_t scale) const;

 private:
  std::array<char, kLongestText> text_{};
  std::size_t length_ = 0;
};

}  // namespace flakemorph
