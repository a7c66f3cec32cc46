// The outline raster: one-pixel ellipse outlines drawn into rows of 32-bit pixels, which may be
// a page or a window's own buffer. Every pixel value is written as given; what it means (which
// channel lies where) is the caller's business.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace flakemorph {

// The pixels [0, width) x [0, height), each a block of scale x scale pixels of the memory (a
// page enlarged on a scaled screen), whose rows lie stride pixels apart. Drawing touches only
// the rows from `top` on (0 <= top), so that a large buffer can be brought up to date a band
// of rows at a time.
struct PixelRows {
  std::uint32_t* pixels;
  std::int32_t width;
  std::int32_t height;
  std::ptrdiff_t stride;
  std::int32_t scale = 1;
  std::int32_t top = 0;
};

// A box as the ellipse was asked for: possibly inverted, possibly reaching off the pixels.
struct OutlineBox {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// Outlines the ellipse inscribed in [left, right) x [top, bottom) for any box, clipped to the
// rows: the definition every faster way must match, pixel for pixel.
void DrawGeneralOutline(const PixelRows& rows, const OutlineBox& box, std::uint32_t pixel);

// The outlines of square boxes of up to kLargestSide pixels, which is what every circle of the
// animation is, worked out once per side and then stamped wherever asked: a circle then costs
// little more than its pixels. Each side's outline is built on its first use, into storage
// taken when the stamps are made, so drawing never allocates.
class OutlineStamps {
 public:
  static constexpr std::int32_t kLargestSide = 128;

  OutlineStamps();

  // Draws the outline if the box, once put the right way round, is a square it has a stamp
  // for, and says whether it did.
  bool Draw(const PixelRows& rows, const OutlineBox& box, std::uint32_t pixel);

 private:
  // A row of an outline is two mirrored runs of pixels: one starting `first` pixels right of
  // the box's left edge and `length` long, and the same from the right edge leftward.
  struct Run {
    std::uint8_t first;
    std::uint8_t length;
  };

  const Run* RunsOfSide(std::int32_t side);
  void Build(std::int32_t side);

  // The runs of side n, one per row, start at n (n - 1) / 2.
  std::vector<Run> runs_;
  std::array<bool, kLargestSide + 1> built_{};
};

// Draws any outline: from a stamp where there is one, else by the general raster.
class OutlineRaster {
 public:
  void Draw(const PixelRows& rows, const OutlineBox& box, std::uint32_t pixel) {
    if (!stamps_.Draw(rows, box, pixel)) DrawGeneralOutline(rows, box, pixel);
  }

 private:
  OutlineStamps stamps_;
};

}  // namespace flakemorph
