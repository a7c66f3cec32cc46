// A page image: the off-screen picture of one surface, 32-bit pixels that hold colour values
// as they are (red in the lowest byte), row after row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "display/large_pages.h"
#include "display/outline.h"
#include "figures/records.h"

namespace flakemorph {

class Page {
 public:
  // A box as DrawEllipse was given it: possibly inverted, possibly reaching off the page.
  using Box = OutlineBox;

  // What the page holds, when that is known: the fill colour everywhere outside the boxes of
  // the ellipses drawn since the last Fill.
  struct Record {
    // False before the first Fill and once more ellipses were drawn than are remembered.
    bool exact;
    ColorValue fill_color;
    // Counts Fills and Resizes: while it stays the same, boxes only ever grow by appending.
    std::uint64_t fills;
    std::span<const Box> boxes;
    // The colour of each box's ellipse.
    std::span<const ColorValue> colors;
  };

  Page();

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

  // From now on Fill and DrawEllipse only note what they were asked, as far as the record
  // holds it, and the pixels are drawn when they are first read. A page that is shown by
  // drawing its record somewhere else (see PageDamage) then costs nothing to draw on.
  void DeferDrawing() { defer_ = true; }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  ColorValue Pixel(std::int32_t x, std::int32_t y) const;
  // The pixels, row after row, with all drawing asked for until now done.
  const std::uint32_t* Pixels() const;
  Record Drawn() const {
    return {filled_ && !drawn_overflowed_, fill_color_, fills_, drawn_, drawn_colors_};
  }

 private:
  static constexpr std::size_t kRememberedBoxes = 1024;

  // What the pixels hold, which lags behind what was asked while drawing is deferred.
  struct Ink {
    // The fill count whose Fill the pixels have had, and how many of that fill's boxes since.
    std::uint64_t fills = 0;
    std::size_t boxes = 0;
    // While known: the pixels are fill_color outside the boxes drawn on them since.
    bool known = false;
    ColorValue fill_color = 0;
    bool overflowed = false;
    std::vector<Box> drawn;
    OutlineRaster raster;
  };

  void CatchUp() const;
  void FillPixels() const;
  bool EraseIsCheaper() const;
  void Outline(const Box& box, ColorValue color) const;

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  mutable std::vector<std::uint32_t, LargePageAllocator<std::uint32_t>> pixels_;
  mutable Ink ink_;
  bool defer_ = false;
  // What was drawn since the page was last filled whole, while that is known exactly.
  std::vector<Box> drawn_;
  std::vector<ColorValue> drawn_colors_;
  bool filled_ = false;
  ColorValue fill_color_ = 0;
  bool drawn_overflowed_ = false;
  std::uint64_t fills_ = 0;
};

}  // namespace flakemorph
