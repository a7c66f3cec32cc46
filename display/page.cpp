#include "display/page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace flakemorph {

Page::Page() {
  drawn_.reserve(kRememberedBoxes);
  drawn_colors_.reserve(kRememberedBoxes);
  ink_.drawn.reserve(kRememberedBoxes);
}

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
  // Nothing is owed to pixels whose content is undefined anyway.
  ink_.fills = fills_;
  ink_.boxes = 0;
  ink_.known = false;
}

void Page::Fill(ColorValue color) {
  filled_ = true;
  fill_color_ = color;
  drawn_.clear();
  drawn_colors_.clear();
  drawn_overflowed_ = false;
  ++fills_;
  if (!defer_) CatchUp();
}

void Page::DrawEllipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       ColorValue color) {
  const Box box{left, top, right, bottom};
  if (drawn_.size() < kRememberedBoxes) {
    drawn_.push_back(box);
    drawn_colors_.push_back(color);
    if (!defer_) CatchUp();
  } else {
    // Beyond the record, drawing cannot wait: the ellipse would be forgotten.
    CatchUp();
    drawn_overflowed_ = true;
    Outline(box, color);
  }
}

ColorValue Page::Pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return static_cast<ColorValue>(
      Pixels()[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x)]);
}

const std::uint32_t* Page::Pixels() const {
  CatchUp();
  return pixels_.data();
}

// Does the drawing that was asked for but is not yet in the pixels.
void Page::CatchUp() const {
  if (ink_.fills != fills_) FillPixels();
  for (; ink_.boxes < drawn_.size(); ++ink_.boxes) {
    Outline(drawn_[ink_.boxes], drawn_colors_[ink_.boxes]);
  }
}

void Page::FillPixels() const {
  const auto pen = static_cast<std::uint32_t>(fill_color_);
  if (ink_.known && ink_.fill_color == fill_color_ && !ink_.overflowed && EraseIsCheaper()) {
    for (const Box& box : ink_.drawn)
      ink_.raster.Draw({pixels_.data(), width_, height_, width_}, box, pen);
  } else if (fill_color_ == 0) {
    // Black, which every frame clears to, goes through memset: its stores beat a loop of words.
    if (!pixels_.empty()) std::memset(pixels_.data(), 0, pixels_.size() * sizeof(pixels_[0]));
  } else {
    std::fill(pixels_.begin(), pixels_.end(), pen);
  }
  ink_.fills = fills_;
  ink_.boxes = 0;
  ink_.known = true;
  ink_.fill_color = fill_color_;
  ink_.overflowed = false;
  ink_.drawn.clear();
}

// A row of an outline costs about as much as clearing 64 pixels; a frame of circles on a large
// page touches far fewer rows than that.
bool Page::EraseIsCheaper() const {
  constexpr std::int64_t kPixelsPerRow = 64;
  std::int64_t rows = 0;
  for (const Box& box : ink_.drawn) {
    rows += std::min<std::int64_t>(std::abs(std::int64_t{box.bottom} - box.top), height_);
  }
  return rows * kPixelsPerRow < std::int64_t{width_} * height_;
}

void Page::Outline(const Box& box, ColorValue color) const {
  if (ink_.drawn.size() < kRememberedBoxes) {
    ink_.drawn.push_back(box);
  } else {
    ink_.overflowed = true;
  }
  ink_.raster.Draw({pixels_.data(), width_, height_, width_}, box,
                   static_cast<std::uint32_t>(color));
}

}  // namespace flakemorph
