#include "display/buffer_chain.h"

#include <algorithm>

namespace flakemorph {
namespace {

// As many boxes as a page remembers: beyond them its record is not exact and nothing is kept.
constexpr std::size_t kRememberedBoxes = 1024;

bool Comparable(const Page::Record& record, const ColorValue fill, bool known) {
  return known && record.exact && record.fill_color == fill;
}

// Whether the box, either way round, has rows in [top, end).
bool Crosses(const Page::Box& box, std::int32_t top, std::int32_t end) {
  return std::min(box.top, box.bottom) < end && std::max(box.top, box.bottom) > top;
}

}  // namespace

BufferChain::BufferChain(const TileGrid& damage_grid)
    : grid_(damage_grid), damage_(damage_grid), rects_(damage_grid.most_rects) {
  for (Shown& shown : shown_) shown.boxes.reserve(kRememberedBoxes);
}

void BufferChain::Resize(std::int32_t width, std::int32_t height, std::int32_t scale) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  scale_ = std::max(scale, 1);
  // The tiles are the window system's pixels, which it pays for, so that the grid that suits it
  // unscaled suits it at every scale: on a scaled buffer a tile is that many times fewer page
  // pixels. (A 1920x1080 output at scale 2: sway took 8.5-9.5% of a core with tiles of 64 page
  // pixels, 7.7-7.8% with 32; Xvfb at 3840x2160 about a tenth less with tiles of 4 than 8.)
  damage_ = PageDamage(TileGrid{std::max(1, grid_.tile_width / scale_),
                                std::max(1, grid_.tile_height / scale_), grid_.most_rects});
  damage_.Resize(width_, height_);
  for (std::size_t i = 0; i < kMostBuffers; ++i) Forget(i);
  last_ = kMostBuffers;
}

void BufferChain::Forget(std::size_t index) {
  if (index >= kMostBuffers) return;
  shown_[index].known = false;
  shown_[index].boxes.clear();
}

std::optional<std::span<const PixelRect>> BufferChain::Bring(std::size_t index, const Page& front,
                                                             const TargetBuffer& target) {
  if (index >= kMostBuffers || !Fits(front, target)) return std::nullopt;
  const Page::Record now = front.Drawn();
  Update(shown_[index], front, target);
  const std::span<const PixelRect> damage =
      DamageSince(last_ < kMostBuffers ? &shown_[last_] : nullptr, now);
  Remember(shown_[index], now);
  last_ = index;
  return damage;
}

bool BufferChain::Fits(const Page& front, const TargetBuffer& target) const {
  return front.Width() == width_ && front.Height() == height_ && width_ > 0 && height_ > 0 &&
         target.width / scale_ == width_ && target.height / scale_ == height_;
}

// The buffer differs from the page only inside the boxes it shows and those of the page, if
// both are the same fill colour beneath: those outlines are drawn again, as blocks on a scaled
// buffer. Otherwise the page is copied whole.
void BufferChain::Update(Shown& shown, const Page& front, const TargetBuffer& target) {
  const Page::Record now = front.Drawn();
  if (Comparable(now, shown.fill, shown.known)) {
    Redraw(shown, now, target);
    return;
  }
  const PixelRect whole{0, 0, width_, height_};
  CopyRectsScaled(front, std::span<const PixelRect>(&whole, 1), target, scale_);
}

// Draws the outlines the buffer shows again in the fill colour, which leaves it all fill
// colour, and the page's outlines on that, in order: the page's raster, pixel for pixel, each
// pixel scale x scale, at the cost of the outlines' pixels alone.
//
// It goes a band of rows at a time. A circle the buffer shows and the page's own lie mostly on
// the same rows, so within a band the lines that erasing brought in are still cached when the
// drawing comes, and so are their pages' addresses: over the whole buffer, a scaled 3840x2160
// one above all, the outline lines of a frame outgrow the second-level cache and every one was
// fetched twice. Each pixel still receives its writes in the same order.
void BufferChain::Redraw(const Shown& shown, const Page::Record& now, const TargetBuffer& target) {
  const std::int32_t band = std::max(1, kBandRows / scale_);
  const std::uint32_t fill = InLayout(now.fill_color, target.layout);
  for (std::int32_t top = 0; top < height_; top += band) {
    const std::int32_t end = std::min(height_, top + band);
    const PixelRows rows{static_cast<std::uint32_t*>(target.pixels),
                         width_,
                         end,
                         target.pitch / static_cast<std::ptrdiff_t>(sizeof(std::uint32_t)),
                         scale_,
                         top};
    for (const Page::Box& box : shown.boxes) {
      if (Crosses(box, top, end)) raster_.Draw(rows, box, fill);
    }
    for (std::size_t n = 0; n < now.boxes.size(); ++n) {
      if (Crosses(now.boxes[n], top, end)) {
        raster_.Draw(rows, now.boxes[n], InLayout(now.colors[n], target.layout));
      }
    }
  }
}

std::span<const PixelRect> BufferChain::DamageSince(const Shown* last, const Page::Record& now) {
  if (last == nullptr || !Comparable(now, last->fill, last->known)) return Whole();
  const std::optional<std::span<const PixelRect>> around =
      damage_.RectsAround(last->boxes, now.boxes);
  if (!around) return Whole();
  std::size_t count = 0;
  for (const PixelRect& rect : *around) {
    rects_[count++] = {rect.x * scale_, rect.y * scale_, rect.width * scale_, rect.height * scale_};
  }
  return {rects_.data(), count};
}

void BufferChain::Remember(Shown& shown, const Page::Record& now) {
  shown.known = now.exact;
  shown.fill = now.fill_color;
  shown.boxes.clear();
  if (now.exact) shown.boxes.assign(now.boxes.begin(), now.boxes.end());
}

std::span<const PixelRect> BufferChain::Whole() {
  rects_[0] = {0, 0, width_ * scale_, height_ * scale_};
  return {rects_.data(), 1};
}

}  // namespace flakemorph
