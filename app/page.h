// A page image: the off-screen picture of one surface, 32-bit pixels that hold colour values
// as they are (red in the lowest byte), row after row.
#pragma once

#include <cstdint>
#include <vector>

#include "figures/records.h"

namespace flakemorph {

class Page {
 public:
  // Gives the page a new size; its content is then undefined until the next Fill. Allocates,
  // so it belongs to start-up, not to a frame. A negative size counts as 0.
  void Resize(std::int32_t width, std::int32_t height);

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
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace flakemorph
