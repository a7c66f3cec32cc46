// Showing pages through a few buffers that the window system takes in turn. A buffer handed to
// the compositor stays its own until it gives it back, so the next frame goes into another
// buffer, which still shows an older frame than the one on the screen. Each buffer remembers
// the circles it shows, so that bringing it up to date draws only the changes (on a scaled
// display each page pixel as a block), and the window system is told only the tiles that differ
// from the buffer it got before.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "display/outline.h"
#include "display/page.h"
#include "display/page_damage.h"

namespace flakemorph {

class BufferChain {
 public:
  static constexpr std::size_t kMostBuffers = 3;
  // Compositors do work of their own for every damage rect: coarse tiles keep a frame of ours
  // to a few dozen rects, and beyond those the whole buffer is cheaper to tell. (sway with its
  // software renderer took 7-9% of a core for up to 64 rects of a 1920x1080 frame, 5-6.5% for
  // up to 32 and 4.7-6% for the whole buffer.)
  static constexpr TileGrid kDamageGrid{64, 64, 24};
  // A buffer is brought up to date in bands of about this many of its rows: their outlines'
  // lines and pages stay cached from erasing to drawing.
  static constexpr std::int32_t kBandRows = 256;

  // `damage_grid`: how finely the rects to present are told apart, in the buffers' pixels.
  explicit BufferChain(const TileGrid& damage_grid = kDamageGrid);

  // For pages of width x height shown on buffers `scale` times larger each way. Allocates, so
  // it belongs to start-up and to a configure; every buffer is unknown afterwards.
  void Resize(std::int32_t width, std::int32_t height, std::int32_t scale);
  // What buffer `index` shows can no longer be trusted.
  void Forget(std::size_t index);

  // Makes buffer `index` (the pixels of `target`) show `front`, every page pixel as a
  // scale x scale square (a buffer that is not a whole number of squares keeps the rest as it
  // is), and gives the rects of the buffer, in its own pixels, that differ from
  // what the buffer brought before it showed (none if nothing changed). A page of another size
  // than the last Resize is not shown: nothing then, and the buffer unchanged.
  std::optional<std::span<const PixelRect>> Bring(std::size_t index, const Page& front,
                                                  const TargetBuffer& target);

  std::int32_t Scale() const { return scale_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  // What a buffer shows, as far as known: its fill colour with the outlines of these boxes.
  struct Shown {
    bool known = false;
    ColorValue fill = 0;
    std::vector<Page::Box> boxes;
  };

  bool Fits(const Page& front, const TargetBuffer& target) const;
  void Update(Shown& shown, const Page& front, const TargetBuffer& target);
  void Redraw(const Shown& shown, const Page::Record& now, const TargetBuffer& target);
  std::span<const PixelRect> DamageSince(const Shown* last, const Page::Record& now);
  void Remember(Shown& shown, const Page::Record& now);
  std::span<const PixelRect> Whole();

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t scale_ = 1;
  std::array<Shown, kMostBuffers> shown_;
  // The buffer brought last, if any since the last Resize.
  std::size_t last_ = kMostBuffers;
  // Tiles around the changes, of grid_'s size on the buffer: the window system pays for each
  // rect.
  TileGrid grid_;
  PageDamage damage_;
  OutlineRaster raster_;
  std::vector<PixelRect> rects_;
};

}  // namespace flakemorph
