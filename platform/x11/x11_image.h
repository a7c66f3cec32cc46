// The one buffer a window of ours is shown from: an image in memory shared with the X server
// (MIT-SHM), which the server copies from when asked and says when it is done, or, where the
// server shares no memory with us (it has no MIT-SHM, or runs on another machine), an ordinary
// image sent over the connection. A frame is drawn into 32-bit pixels of 8-bit channels; a
// window whose visual has other pixels gets its changed rectangles converted into an image of
// its own depth just before they are sent.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "display/page_damage.h"

namespace flakemorph {

// What the images of one connection share: whether and how they use MIT-SHM.
struct X11SharedMemory {
  bool usable = false;
  int major_opcode = 0;  // of the extension's requests, to tell its errors
  int completion_event = 0;

  // Whether the server of `display` shares memory with us.
  static X11SharedMemory Of(::Display* display);
};

class X11Image {
 public:
  X11Image(::Display* display, X11SharedMemory& shared, Visual* visual, int depth);
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;
  ~X11Image();

  // A black image of width x height pixels. Allocates, so it belongs to start-up and to a new
  // size.
  void Resize(std::int32_t width, std::int32_t height);
  // The pixels to draw a frame in.
  TargetBuffer Buffer() const;
  // Whether the server has not yet copied all of what was put last.
  bool Held() const { return held_; }
  // Puts `rects` of the image onto the same places of `drawable`.
  void Put(unsigned long drawable, GC gc, std::span<const PixelRect> rects);
  // The server's word that it copied an image's memory segment `segment`.
  void Completed(unsigned long segment);

 private:
  void Release();
  bool AttachShared();
  void MakePlain(unsigned width, unsigned height);
  PixelRect Clipped(const PixelRect& rect) const;
  void MakeConverted();
  void Convert(const PixelRect& rect);

  ::Display* display_;
  X11SharedMemory& shared_;
  Visual* visual_;
  int depth_;
  XImage* image_ = nullptr;
  // The memory of a shared image, as the server and we know it.
  struct Segment;
  std::unique_ptr<Segment> segment_;
  bool held_ = false;
  // For a visual of other than 8-bit channels: the frame, converted into image_ when sent.
  std::vector<std::uint32_t> frame_;
  std::array<std::array<std::uint32_t, 256>, 3> channel_pixels_{};
  PixelLayout layout_{16, 8, 0, 0};
  bool direct_ = true;
};

}  // namespace flakemorph
