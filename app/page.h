// A page image: the off-screen picture of one surface, 32-bit pixels that hold colour values
// as they are (red in the lowest byte), row after row.
#pragma once

#include <cstdint>
#include <vector>

#include "figures/records.h"

namespace flakemorph {

class Page {
 public:
  Page() { drawn_.reserve(kRememberedBoxes); }

  // Gives the page a new size; its content is then undefined until the next Fill. Allocates,
  // so it belongs to start-up, not to a frame. A negative size counts as 0.
  void Resize(std::int32_t width, std::int32_t height);

  // Fills the whole page. A page filled with the same colour before, and drawn on since with
  // no more than a frame's worth of ellipses, is cleared by drawing those ellipses again in
  // that colour when that is cheaper: the result is the same, pixel for pixel.
  void Fill(ColorValue color);

  // Outlines, one pixel wide, the ellipse inscribed in the box [left, right) x [top, bottom):
  // the right and bottom edges are outside the box. The inside is left untouched and whatever
  // falls outside the page is clipped. A box of zero width or height draws nothing; an
  // inverted box is drawn with its edges swapped.
  void DrawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   ColorValue color);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  ColorValue Pixel(std::int32_t x, std::int32_t y) const;
  const std::uint32_t* Pixels() const { return pixels_.data(); }

 private:
  struct Box {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
  };
  static constexpr std::size_t kRememberedBoxes = 1024;

  void Outline(const Box& box, std::uint32_t color);
  bool EraseIsCheaper() const;

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> pixels_;
  // What was drawn since the page was last filled whole, while that is known exactly.
  std::vector<Box> drawn_;
  bool filled_ = false;
  ColorValue fill_color_ = 0;
  bool drawn_overflowed_ = false;
};

}  // namespace flakemorph
