// Where two frames can differ, and the pixel copies between a page and a window's buffer. Every
// frame clears its page to one colour and draws circles on it, and the page remembers their
// boxes and colours; a buffer shows an earlier frame, whose boxes are remembered too. The two
// pictures can differ only inside the boxes of the two, which on a large screen are a small part
// of it: bringing only those to the buffer, and sending only the tiles around them to the window
// system, saves nearly all of the cost of showing a frame (see BufferChain).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "display/page.h"

namespace flakemorph {

// The pixels [x, x + width) x [y, y + height).
struct PixelRect {
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;
};

// Where the 8-bit channels of a colour go in a 32-bit target pixel; the other bits of the pixel
// are set to opaque_bits (an alpha channel made opaque, or nothing).
struct PixelLayout {
  int red_shift;
  int green_shift;
  int blue_shift;
  std::uint32_t opaque_bits;

  bool operator==(const PixelLayout&) const = default;
};

// Rows of 32-bit pixels, pitch bytes apart.
struct TargetBuffer {
  void* pixels;
  std::int32_t width;
  std::int32_t height;
  std::int32_t pitch;
  PixelLayout layout;
};

// A colour value as a pixel of that layout.
std::uint32_t InLayout(ColorValue color, const PixelLayout& layout);

// Copies the parts of the page inside rects to the same places of the target, converting each
// pixel to the target's layout; whatever lies outside the page or the target is left out.
void CopyRects(const Page& page, std::span<const PixelRect> rects, const TargetBuffer& target);

// The same for a target with `scale` pixels per page pixel each way (a display scaled by a whole
// number): the page's rects land on rects `scale` times larger, every page pixel filling a
// scale x scale square, so the picture is the page's, only larger and as sharp.
void CopyRectsScaled(const Page& page, std::span<const PixelRect> rects, const TargetBuffer& target,
                     std::int32_t scale);

// How finely changes are told apart: tiles of that many pixels, and at most that many rects.
struct TileGrid {
  std::int32_t tile_width;
  std::int32_t tile_height;
  std::size_t most_rects;
};

class PageDamage {
 public:
  // Boxes are widened to whole tiles, and the tiles of a row joined into runs, which keeps the
  // rects to a few hundred: the window system takes each one as a request of its own. Yet the
  // cost is mostly in the pixels moved, on both sides, so the tiles are small.
  static constexpr std::int32_t kTileWidth = 8;
  static constexpr std::int32_t kTileHeight = 8;
  // A frame with more rects than this is copied whole.
  static constexpr std::size_t kMostRects = 1024;

  PageDamage() : PageDamage(TileGrid{kTileWidth, kTileHeight, kMostRects}) {}
  // Coarser tiles and fewer rects, for a window system that pays more for each rect than for
  // the pixels in it.
  explicit PageDamage(const TileGrid& grid);

  // Sizes the tile map for pages of this size. Allocates, so it belongs to start-up.
  void Resize(std::int32_t width, std::int32_t height);

  // The runs of tiles around the boxes of both lists, clipped to the size of the last Resize;
  // nothing if they make more rects than the grid allows. Copies nothing.
  std::optional<std::span<const PixelRect>> RectsAround(std::span<const Page::Box> before,
                                                        std::span<const Page::Box> now);

 private:
  void MarkBoxes(std::span<const Page::Box> boxes);
  void MarkBox(const Page::Box& box);
  bool CollectRects();
  PixelRect RunRect(std::int32_t row, std::int32_t first_column, std::int32_t end_column) const;

  TileGrid grid_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  std::size_t words_per_row_ = 0;
  // One bit per tile, a row of tiles after another, each row starting a new word.
  std::vector<std::uint64_t> tiles_;
  std::vector<PixelRect> rects_;
  std::size_t rect_count_ = 0;
  // The rects that reach down to the row of tiles above the one being collected, and those that
  // reach the one below it, each left to right: a run may lengthen one of the former.
  std::array<std::vector<std::uint16_t>, 2> open_;
};

}  // namespace flakemorph
