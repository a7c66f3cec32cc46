#include "display/page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace flakemorph {

void Page::Resize(std::int32_t width, std::int32_t height) {
  const std::int32_t new_width = std::max(width, 0);
  const std::int32_t new_height = std::max(height, 0);
  try {
    pixels_.resize(static_cast<std::size_t>(new_width) * static_cast<std::size_t>(new_height));
  } catch (const std::bad_alloc&) {
    FailRuntime("out of memory for a page of %d x %d pixels", new_width, new_height);
  } catch (const std::length_error&) {
    FailRuntime("out of memory for a page of %d x %d pixels", new_width, new_height);
  }
  width_ = new_width;
  height_ = new_height;
  drawn_.clear();
  drawn_colors_.clear();
  filled_ = false;
  ++fills_;
}

void Page::Fill(ColorValue color) {
  const auto pen = static_cast<std::uint32_t>(color);
  if (filled_ && fill_color_ == color && !drawn_overflowed_ && EraseIsCheaper()) {
    for (const Box& box : drawn_) Outline(box, pen);
  } else if (color == 0) {
    // Black, which every frame clears to, goes through memset: its stores beat a loop of words.
    if (!pixels_.empty()) std::memset(pixels_.data(), 0, pixels_.size() * sizeof(pixels_[0]));
  } else {
    std::fill(pixels_.begin(), pixels_.end(), pen);
  }
  filled_ = true;
  fill_color_ = color;
  drawn_.clear();
  drawn_colors_.clear();
  drawn_overflowed_ = false;
  ++fills_;
}

// A row of an outline costs about as much as clearing 64 pixels; a frame of circles on a large
// page touches far fewer rows than that.
bool Page::EraseIsCheaper() const {
  constexpr std::int64_t kPixelsPerRow = 64;
  std::int64_t rows = 0;
  for (const Box& box : drawn_) {
    rows += std::min<std::int64_t>(std::abs(std::int64_t{box.bottom} - box.top), height_);
  }
  return rows * kPixelsPerRow < std::int64_t{width_} * height_;
}

ColorValue Page::Pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return static_cast<ColorValue>(
      pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
              static_cast<std::size_t>(x)]);
}

void Page::DrawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       ColorValue color) {
  const Box box{left, top, right, bottom};
  if (drawn_.size() < kRememberedBoxes) {
    drawn_.push_back(box);
    drawn_colors_.push_back(color);
  } else {
    drawn_overflowed_ = true;
  }
  Outline(box, static_cast<std::uint32_t>(color));
}

void Page::Outline(const Box& box, std::uint32_t color) {
  raster_.Draw({pixels_.data(), width_, height_, width_}, box, color);
}

}  // namespace flakemorph
