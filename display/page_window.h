// The one way a frame reaches a window, whatever the window system. A window's two pages are in
// memory; showing a frame brings the page in front into one of the window system's buffers by
// drawing only what changed since that buffer was last brought up to date (every page pixel as
// a scale x scale block on a scaled screen), draws the frame-rate text over it, and asks the
// window system to present the rectangles that differ from the buffer presented before.
//
// A window system supplies only what is its own, through FrameBuffers: its buffers, whether one
// is still held, and presenting some rectangles of one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "display/buffer_chain.h"
#include "display/frame_text.h"
#include "display/memory_display.h"
#include "display/page_damage.h"

namespace flakemorph {

class FrameBuffers {
 public:
  virtual ~FrameBuffers() = default;
  // How many buffers the window is shown from, in turn: one where presenting copies the buffer
  // out at once (an X shared-memory image, a DIB section), two or three where the display
  // server reads the buffer while it shows it (Wayland).
  virtual std::size_t BufferCount() const = 0;
  // The pixels of buffer `index`, of the window's size in screen pixels.
  virtual TargetBuffer Buffer(std::size_t index) = 0;
  // Whether the display server still reads buffer `index`, so that it cannot be drawn in yet.
  virtual bool Held(std::size_t index) const = 0;
  // Shows buffer `index`, of which only `rects` (screen pixels) differ from the buffer presented
  // before it.
  virtual void Present(std::size_t index, std::span<const PixelRect> rects) = 0;
  // How finely those rects are told apart, in screen pixels: coarse where the display server
  // pays for each rect, fine where it pays for each pixel it copies.
  virtual TileGrid DamageGrid() const { return BufferChain::kDamageGrid; }
};

// A window's pages and what its buffers show. A window system's window holds one, hands its
// Display to the animation and forwards ShowFrame, ShowText and TakeResize to it.
class PageWindow : public MemoryDisplay {
 public:
  // At most BufferChain::kMostBuffers buffers.
  explicit PageWindow(FrameBuffers& buffers);

  // The buffers are now width x height screen pixels, every page pixel scale x scale of them:
  // the pages take the size over the scale, and what every buffer shows is unknown. Allocates,
  // so it belongs to start-up and to a new size. A new page size is reported once by
  // TakeResize.
  void Resize(std::int32_t width, std::int32_t height, std::int32_t scale);
  // What buffer `index` shows can no longer be trusted (a new buffer, an exposed window).
  void Forget(std::size_t index);

  // Brings the page in front, with the text over it, into a buffer that is not held and
  // presents what changed. False when every buffer is held or the pages do not fit the
  // buffers: nothing was shown.
  bool ShowFrame();
  // Text for the top-left corner from the next frame on (the frame rate of --fps).
  void ShowText(std::string_view text);
  // True once after Resize gave the pages a new size.
  bool TakeResize();
  // Whether a buffer is free to show the next frame in.
  bool HasFreeBuffer() const;
  std::int32_t Scale() const { return chain_.Scale(); }

 private:
  FrameBuffers& buffers_;
  BufferChain chain_;
  FrameText text_;
  bool resized_ = false;
  // The changed tiles and the text's box, room for them taken once.
  std::vector<PixelRect> rects_;
};

}  // namespace flakemorph
