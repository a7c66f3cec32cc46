// The frame-rate text of --fps on Wayland: a line of small block letters, white on a dark grey
// box in the top-left corner, drawn onto a buffer after the page. No font library: the few
// characters the text uses are drawn from bitmaps of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "display/page_damage.h"

namespace flakemorph {

class TextBox {
 public:
  // Characters other than digits and those of "fps CPU %.-" show as blanks.
  void SetText(std::string_view text);
  // Draws the box, each of its pixels scale x scale, and gives where; nothing without text.
  std::optional<PixelRect> DrawOnto(const TargetBuffer& target, std::int32_t scale) const;

 private:
  std::array<char, 32> text_{};
  std::size_t length_ = 0;
};

}  // namespace flakemorph
