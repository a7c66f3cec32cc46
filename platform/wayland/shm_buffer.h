// One buffer of XRGB8888 pixels shared with the compositor through a memory file. The
// compositor reads it from the commit it is attached in until it gives it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "display/page_damage.h"
#include "platform/wayland/protocols.h"

namespace flakemorph {

class ShmBuffer {
 public:
  // XRGB8888 as a 32-bit word: blue in the lowest byte; the top byte is ignored.
  static constexpr PixelLayout kLayout{16, 8, 0, 0xFF000000U};

  // A buffer of width x height pixels; ends the program with a message if there is no memory.
  ShmBuffer(wl_shm* shm, std::int32_t width, std::int32_t height);
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;
  ~ShmBuffer();

  wl_buffer* Buffer() const { return buffer_; }
  TargetBuffer Target() const { return {pixels_, width_, height_, width_ * 4, kLayout}; }
  // Whether the compositor still holds it.
  bool Busy() const { return busy_; }
  void Attached() { busy_ = true; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::size_t size_;
  void* pixels_ = nullptr;
  wl_buffer* buffer_ = nullptr;
  bool busy_ = false;
};

}  // namespace flakemorph
