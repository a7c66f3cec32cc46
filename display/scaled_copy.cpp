#include "display/scaled_copy.h"

#include <algorithm>
#include <cstring>

namespace flakemorph {
namespace {

std::uint32_t* Row(const TargetBuffer& buffer, std::int32_t y) {
  return reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(buffer.pixels) +
                                          static_cast<std::ptrdiff_t>(y) * buffer.pitch);
}

// The rect cut to the pixels [0, width) x [0, height).
PixelRect Clipped(const PixelRect& rect, std::int32_t width, std::int32_t height) {
  const std::int64_t left = std::max<std::int64_t>(rect.x, 0);
  const std::int64_t top = std::max<std::int64_t>(rect.y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{rect.x} + rect.width, width);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{rect.y} + rect.height, height);
  if (right <= left || bottom <= top) return {0, 0, 0, 0};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

}  // namespace

PixelRect ScaledRect(const PixelRect& rect, std::int32_t scale, const TargetBuffer& target) {
  const std::int64_t x = std::int64_t{rect.x} * scale;
  const std::int64_t y = std::int64_t{rect.y} * scale;
  const std::int64_t width = std::int64_t{rect.width} * scale;
  const std::int64_t height = std::int64_t{rect.height} * scale;
  const auto fit = [](std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
  };
  return Clipped({fit(x), fit(y), fit(width), fit(height)}, target.width, target.height);
}

// The first of a block's rows is widened pixel by pixel; the others are copies of it.
void CopyScaled(const TargetBuffer& source, std::span<const PixelRect> rects, std::int32_t scale,
                const TargetBuffer& target) {
  for (const PixelRect& rect : rects) {
    const PixelRect from = Clipped(rect, source.width, source.height);
    const PixelRect to = ScaledRect(from, scale, target);
    if (to.width == 0) continue;
    const std::size_t row_bytes = static_cast<std::size_t>(to.width) * sizeof(std::uint32_t);
    for (std::int32_t y = to.y; y < to.y + to.height; ++y) {
      std::uint32_t* out = Row(target, y) + to.x;
      if (y > to.y && (y % scale) != 0) {
        std::memcpy(out, Row(target, y - 1) + to.x, row_bytes);
        continue;
      }
      const std::uint32_t* in = Row(source, y / scale);
      for (std::int32_t x = 0; x < to.width; ++x) out[x] = in[(to.x + x) / scale];
    }
  }
}

}  // namespace flakemorph
