#include "display/page_damage.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace flakemorph {
namespace {

constexpr std::int32_t kWordBits = 64;

// The part of a rect that lies on both the page and the target, as bounds.
struct Span2D {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

Span2D Clip(const PixelRect& rect, const Page& page, const TargetBuffer& target) {
  const std::int64_t right = std::int64_t{rect.x} + std::max(rect.width, 0);
  const std::int64_t bottom = std::int64_t{rect.y} + std::max(rect.height, 0);
  const std::int64_t width_limit = std::min(page.Width(), target.width);
  const std::int64_t height_limit = std::min(page.Height(), target.height);
  return {std::max(rect.x, 0), std::max(rect.y, 0),
          static_cast<std::int32_t>(std::min(right, width_limit)),
          static_cast<std::int32_t>(std::min(bottom, height_limit))};
}

// The pages are far larger than the caches, and the rows of a rect lie a page's width apart in
// memory, beyond what the processor fetches ahead by itself: fetching the row two below while
// converting this one saved about a sixth of the program's time at 1920 x 1080.
constexpr std::int32_t kRowsAhead = 2;
constexpr std::size_t kPixelsPerCacheLine = 16;

template <typename Convert>
void CopyRow(const std::uint32_t* from, std::uint32_t* to, std::size_t count, Convert convert) {
  for (std::size_t i = 0; i < count; ++i) to[i] = convert(from[i]);
}

void FetchRow(const std::uint32_t* from, const std::uint32_t* to, std::size_t count) {
  for (std::size_t i = 0; i < count; i += kPixelsPerCacheLine) {
    __builtin_prefetch(from + i);
    __builtin_prefetch(to + i, 1);
  }
}

// Each conversion is its own instance, so that the common ones run with constant shifts, which
// the compiler turns into vector code.
template <typename Convert>
void CopyRectsWith(const Page& page, std::span<const PixelRect> rects, const TargetBuffer& target,
                   Convert convert) {
  const auto page_width = static_cast<std::ptrdiff_t>(page.Width());
  const auto pitch = static_cast<std::ptrdiff_t>(target.pitch);
  const auto source_row = [&](std::ptrdiff_t y, std::ptrdiff_t x) {
    return page.Pixels() + y * page_width + x;
  };
  const auto target_row = [&](std::ptrdiff_t y, std::ptrdiff_t x) {
    return reinterpret_cast<std::uint32_t*>(static_cast<std::byte*>(target.pixels) + y * pitch) + x;
  };
  for (const PixelRect& rect : rects) {
    const Span2D clip = Clip(rect, page, target);
    if (clip.left >= clip.right) continue;
    const auto count = static_cast<std::size_t>(clip.right - clip.left);
    for (std::int32_t y = clip.top; y < clip.bottom; ++y) {
      if (y + kRowsAhead < clip.bottom) {
        FetchRow(source_row(y + kRowsAhead, clip.left), target_row(y + kRowsAhead, clip.left),
                 count);
      }
      CopyRow(source_row(y, clip.left), target_row(y, clip.left), count, convert);
    }
  }
}

constexpr PixelLayout kRedLowest{0, 8, 16, 0};
constexpr PixelLayout kBlueLowest{16, 8, 0, 0};

bool SameChannels(const PixelLayout& a, const PixelLayout& b) {
  return a.red_shift == b.red_shift && a.green_shift == b.green_shift &&
         a.blue_shift == b.blue_shift;
}

// Sets the bits first..last of a row of words.
void SetBits(std::uint64_t* row, std::int32_t first, std::int32_t last) {
  for (std::int32_t word = first / kWordBits; word <= last / kWordBits; ++word) {
    const std::int32_t low = std::max(first - word * kWordBits, 0);
    const std::int32_t high = std::min(last - word * kWordBits, kWordBits - 1);
    const std::uint64_t upto_high =
        high == kWordBits - 1 ? ~std::uint64_t{0} : (std::uint64_t{1} << (high + 1)) - 1;
    row[word] |= upto_high & ~((std::uint64_t{1} << low) - 1);
  }
}

// The first bit at or after `from` that is set (or clear, for set == false), or `end` if none
// is before it.
std::int32_t FindBit(const std::uint64_t* row, std::int32_t from, std::int32_t end, bool set) {
  if (from >= end) return end;
  const std::uint64_t flip = set ? 0 : ~std::uint64_t{0};
  std::int32_t word = from / kWordBits;
  std::uint64_t bits = (row[word] ^ flip) & (~std::uint64_t{0} << (from % kWordBits));
  const std::int32_t words = (end + kWordBits - 1) / kWordBits;
  while (bits == 0) {
    if (++word >= words) return end;
    bits = row[word] ^ flip;
  }
  return std::min(word * kWordBits + std::countr_zero(bits), end);
}

}  // namespace

std::uint32_t InLayout(ColorValue color, const PixelLayout& layout) {
  const auto value = static_cast<std::uint32_t>(color);
  return ((value & 0xFFU) << layout.red_shift) | (((value >> 8) & 0xFFU) << layout.green_shift) |
         (((value >> 16) & 0xFFU) << layout.blue_shift) | layout.opaque_bits;
}

void CopyRects(const Page& page, std::span<const PixelRect> rects, const TargetBuffer& target) {
  const std::uint32_t opaque = target.layout.opaque_bits;
  if (SameChannels(target.layout, kBlueLowest)) {
    CopyRectsWith(page, rects, target, [opaque](std::uint32_t p) {
      return ((p & 0xFFU) << 16) | (p & 0xFF00U) | ((p >> 16) & 0xFFU) | opaque;
    });
  } else if (SameChannels(target.layout, kRedLowest)) {
    CopyRectsWith(page, rects, target, [opaque](std::uint32_t p) { return p | opaque; });
  } else {
    const PixelLayout layout = target.layout;
    CopyRectsWith(page, rects, target, [layout](std::uint32_t p) {
      return InLayout(static_cast<ColorValue>(p), layout);
    });
  }
}

// Rects are numbered in 16 bits; at least one is needed for a whole page.
PageDamage::PageDamage(const TileGrid& grid)
    : grid_{std::max(grid.tile_width, 1), std::max(grid.tile_height, 1),
            std::clamp<std::size_t>(grid.most_rects, 1, 65535)},
      rects_(grid_.most_rects),
      open_{std::vector<std::uint16_t>(grid_.most_rects),
            std::vector<std::uint16_t>(grid_.most_rects)} {}

void CopyRectsScaled(const Page& page, std::span<const PixelRect> rects, const TargetBuffer& target,
                     std::int32_t scale) {
  if (scale <= 1) {
    CopyRects(page, rects, target);
    return;
  }
  // The page rects that land on the target, whole page pixels only.
  const TargetBuffer reach{target.pixels, target.width / scale, target.height / scale, target.pitch,
                           target.layout};
  const auto page_width = static_cast<std::ptrdiff_t>(page.Width());
  const auto row_bytes = [&](std::ptrdiff_t y) {
    return static_cast<std::byte*>(target.pixels) + y * static_cast<std::ptrdiff_t>(target.pitch);
  };
  for (const PixelRect& rect : rects) {
    const Span2D clip = Clip(rect, page, reach);
    if (clip.left >= clip.right) continue;
    const auto count = static_cast<std::size_t>(clip.right - clip.left) * scale;
    for (std::int32_t y = clip.top; y < clip.bottom; ++y) {
      const std::uint32_t* from = page.Pixels() + y * page_width + clip.left;
      auto* first = reinterpret_cast<std::uint32_t*>(row_bytes(std::ptrdiff_t{y} * scale)) +
                    std::ptrdiff_t{clip.left} * scale;
      std::uint32_t* to = first;
      for (std::int32_t x = clip.left; x < clip.right; ++x) {
        const std::uint32_t pixel = InLayout(static_cast<ColorValue>(*from++), target.layout);
        for (std::int32_t i = 0; i < scale; ++i) *to++ = pixel;
      }
      for (std::int32_t i = 1; i < scale; ++i) {
        auto* copy = reinterpret_cast<std::uint32_t*>(row_bytes(std::ptrdiff_t{y} * scale + i)) +
                     std::ptrdiff_t{clip.left} * scale;
        std::copy_n(first, count, copy);
      }
    }
  }
}

void PageDamage::Resize(std::int32_t width, std::int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  columns_ = (width_ + grid_.tile_width - 1) / grid_.tile_width;
  rows_ = (height_ + grid_.tile_height - 1) / grid_.tile_height;
  words_per_row_ = static_cast<std::size_t>((columns_ + kWordBits - 1) / kWordBits);
  tiles_.assign(words_per_row_ * static_cast<std::size_t>(rows_), 0);
}

std::optional<std::span<const PixelRect>> PageDamage::RectsAround(std::span<const Page::Box> before,
                                                                  std::span<const Page::Box> now) {
  std::fill(tiles_.begin(), tiles_.end(), 0);
  MarkBoxes(before);
  MarkBoxes(now);
  if (!CollectRects()) return std::nullopt;
  return std::span<const PixelRect>(rects_.data(), rect_count_);
}

void PageDamage::MarkBoxes(std::span<const Page::Box> boxes) {
  for (const Page::Box& box : boxes) MarkBox(box);
}

// An ellipse draws only inside its box, whichever way round the box was given.
void PageDamage::MarkBox(const Page::Box& box) {
  const std::int32_t left = std::max(std::min(box.left, box.right), 0);
  const std::int32_t right = std::min(std::max(box.left, box.right), width_);
  const std::int32_t top = std::max(std::min(box.top, box.bottom), 0);
  const std::int32_t bottom = std::min(std::max(box.top, box.bottom), height_);
  if (left >= right || top >= bottom) return;
  for (std::int32_t row = top / grid_.tile_height; row <= (bottom - 1) / grid_.tile_height; ++row) {
    SetBits(&tiles_[static_cast<std::size_t>(row) * words_per_row_], left / grid_.tile_width,
            (right - 1) / grid_.tile_width);
  }
}

// Turns each row's runs of marked tiles into rects; a run just below one that spans the same
// columns lengthens that one instead.
bool PageDamage::CollectRects() {
  rect_count_ = 0;
  std::span<std::uint16_t> above(open_[0].data(), 0);
  for (std::int32_t row = 0; row < rows_; ++row) {
    const std::uint64_t* bits = &tiles_[static_cast<std::size_t>(row) * words_per_row_];
    std::uint16_t* below = above.data() == open_[0].data() ? open_[1].data() : open_[0].data();
    std::size_t below_count = 0;
    std::size_t cursor = 0;
    std::int32_t column = FindBit(bits, 0, columns_, true);
    while (column < columns_) {
      const std::int32_t end = FindBit(bits, column, columns_, false);
      const PixelRect run = RunRect(row, column, end);
      while (cursor < above.size() && rects_[above[cursor]].x < run.x) ++cursor;
      if (cursor < above.size() && rects_[above[cursor]].x == run.x &&
          rects_[above[cursor]].width == run.width) {
        rects_[above[cursor]].height += run.height;
        below[below_count++] = above[cursor];
      } else {
        if (rect_count_ == grid_.most_rects) return false;
        rects_[rect_count_] = run;
        below[below_count++] = static_cast<std::uint16_t>(rect_count_++);
      }
      column = FindBit(bits, end, columns_, true);
    }
    above = {below, below_count};
  }
  return true;
}

PixelRect PageDamage::RunRect(std::int32_t row, std::int32_t first_column,
                              std::int32_t end_column) const {
  const std::int32_t x = first_column * grid_.tile_width;
  const std::int32_t y = row * grid_.tile_height;
  return {x, y, std::min(end_column * grid_.tile_width, width_) - x,
          std::min(y + grid_.tile_height, height_) - y};
}

}  // namespace flakemorph
