#include "display/page_window.h"

#include <algorithm>
#include <utility>

#include "figures/numbers.h"

namespace flakemorph {

PageWindow::PageWindow(FrameBuffers& buffers)
    : MemoryDisplay(0, 0),
      buffers_(buffers),
      chain_(buffers.DamageGrid()),
      rects_(buffers.DamageGrid().most_rects + 1) {
  // The page in front reaches a buffer by its changes being drawn there: its own pixels are
  // needed only for a whole copy.
  DeferDrawing();
}

// A window's first size is no new one: its animation has not started yet.
void PageWindow::Resize(std::int32_t width, std::int32_t height, std::int32_t scale) {
  scale = std::max(scale, 1);
  const std::int32_t page_width = std::max(width, 0) / scale;
  const std::int32_t page_height = std::max(height, 0) / scale;
  if (page_width != chain_.Width() || page_height != chain_.Height()) {
    resized_ = resized_ || chain_.Width() > 0 || chain_.Height() > 0;
    SetScaleSize(Single(page_width), Single(page_height));
  }
  chain_.Resize(page_width, page_height, scale);
}

void PageWindow::Forget(std::size_t index) {
  chain_.Forget(index);
}

// The text goes over the page on the buffer, never into the page: the animation is the same
// with or without it. Its box is the same every frame, so the buffer differs from the page
// only there, and the box is drawn again every frame.
bool PageWindow::ShowFrame() {
  const std::size_t count = std::min(buffers_.BufferCount(), BufferChain::kMostBuffers);
  std::size_t index = 0;
  while (index < count && buffers_.Held(index)) ++index;
  if (index == count) return false;
  const TargetBuffer target = buffers_.Buffer(index);
  const std::optional<std::span<const PixelRect>> damage = chain_.Bring(index, FrontPage(), target);
  if (!damage) return false;
  std::copy(damage->begin(), damage->end(), rects_.begin());
  std::size_t rects = damage->size();
  if (const std::optional<PixelRect> text = text_.DrawOnto(target, Scale())) {
    rects_[rects++] = *text;
  }
  buffers_.Present(index, std::span<const PixelRect>(rects_.data(), rects));
  return true;
}

// Text that goes leaves its box on the buffers, which then show the page whole again.
void PageWindow::ShowText(std::string_view text) {
  const bool had_text = !text_.Empty();
  text_.SetText(text);
  if (had_text && text_.Empty()) {
    for (std::size_t i = 0; i < BufferChain::kMostBuffers; ++i) chain_.Forget(i);
  }
}

bool PageWindow::TakeResize() {
  return std::exchange(resized_, false);
}

bool PageWindow::HasFreeBuffer() const {
  const std::size_t count = std::min(buffers_.BufferCount(), BufferChain::kMostBuffers);
  for (std::size_t i = 0; i < count; ++i) {
    if (!buffers_.Held(i)) return true;
  }
  return false;
}

}  // namespace flakemorph
