#include "app/page.h"

#include <algorithm>

namespace flakemorph {

void Page::Resize(std::int32_t width, std::int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
}

void Page::Fill(ColorValue color) {
  std::fill(pixels_.begin(), pixels_.end(), static_cast<std::uint32_t>(color));
}

ColorValue Page::Pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return static_cast<ColorValue>(
      pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
              static_cast<std::size_t>(x)]);
}

// Placeholder until the raster lands: draws nothing.
void Page::DrawEllipse(std::int32_t, std::int32_t, std::int32_t, std::int32_t, ColorValue) {}

}  // namespace flakemorph
