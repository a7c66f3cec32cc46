#include "platform/x11/x11_image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "figures/numbers.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_visual.h"

namespace flakemorph {

struct X11Image::Segment {
  XShmSegmentInfo info{};
};

namespace {

// A server on another machine may have a segment of the same number that is not ours: memory
// is shared only over a local connection.
bool LocalConnection(::Display* display) {
  const char* name = DisplayString(display);
  return name != nullptr && (name[0] == ':' || std::strncmp(name, "unix:", 5) == 0);
}

// The pixel values of a channel's 256 levels in `mask`, rounded to its width.
std::array<std::uint32_t, 256> ChannelPixels(unsigned long mask) {
  std::array<std::uint32_t, 256> pixels{};
  if (mask == 0) return pixels;
  const int shift = std::countr_zero(mask);
  const std::uint64_t top = mask >> shift;
  for (std::uint32_t level = 0; level < pixels.size(); ++level) {
    pixels[level] = static_cast<std::uint32_t>(((level * top + 127) / 255) << shift);
  }
  return pixels;
}

}  // namespace

X11SharedMemory X11SharedMemory::Of(::Display* display) {
  X11SharedMemory shared;
  int first_event = 0;
  int first_error = 0;
  if (!LocalConnection(display) || !XShmQueryExtension(display) ||
      !XQueryExtension(display, "MIT-SHM", &shared.major_opcode, &first_event, &first_error)) {
    return shared;
  }
  shared.usable = true;
  shared.completion_event = XShmGetEventBase(display) + ShmCompletion;
  return shared;
}

X11Image::X11Image(::Display* display, X11SharedMemory& shared, Visual* visual, int depth)
    : display_(display), shared_(shared), visual_(visual), depth_(depth) {
  const std::optional<PixelLayout> layout = ByteChannelLayout(*visual, depth);
  direct_ = layout.has_value();
  if (direct_) layout_ = *layout;
  channel_pixels_ = {ChannelPixels(visual->red_mask), ChannelPixels(visual->green_mask),
                     ChannelPixels(visual->blue_mask)};
}

X11Image::~X11Image() {
  Release();
}

void X11Image::Release() {
  if (image_ == nullptr) return;
  if (segment_) {
    XShmDetach(display_, &segment_->info);
    image_->data = nullptr;
    XDestroyImage(image_);
    shmdt(segment_->info.shmaddr);
    segment_.reset();
  } else {
    XDestroyImage(image_);  // frees the pixels too
  }
  image_ = nullptr;
  held_ = false;
}

void X11Image::Resize(std::int32_t width, std::int32_t height) {
  Release();
  const auto columns = static_cast<unsigned>(std::max(width, 1));
  const auto rows = static_cast<unsigned>(std::max(height, 1));
  if (shared_.usable) {
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                             nullptr, columns, rows);
    if (image_ != nullptr && !AttachShared()) {
      XDestroyImage(image_);
      image_ = nullptr;
    }
  }
  if (image_ == nullptr) MakePlain(columns, rows);
  // The frame is drawn straight into the image only where its pixels are 32 bits of ours.
  direct_ = direct_ && image_->bits_per_pixel == 32 &&
            (image_->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
  if (!direct_) MakeConverted();
}

// A server that cannot reach the segment (in another namespace, say) refuses it: from then on
// every image of the connection goes over the connection.
bool X11Image::AttachShared() {
  const std::size_t size =
      static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(image_->height);
  auto segment = std::make_unique<Segment>();
  segment->info.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (segment->info.shmid < 0) return false;
  void* address = shmat(segment->info.shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    shmctl(segment->info.shmid, IPC_RMID, nullptr);
    return false;
  }
  segment->info.shmaddr = static_cast<char*>(address);
  segment->info.readOnly = False;
  XSync(display_, False);
  const X11Error before = TakeX11Error();
  XShmAttach(display_, &segment->info);
  XSync(display_, False);
  const X11Error error = TakeX11Error();
  // Gone once both sides let go of it, however the program ends.
  shmctl(segment->info.shmid, IPC_RMID, nullptr);
  KeepX11Error(before);
  if (error.error_code != 0) {
    shmdt(address);
    if (error.request_code != shared_.major_opcode) FailWithX11Error(display_, error);
    shared_.usable = false;
    return false;
  }
  image_->data = segment->info.shmaddr;
  image_->obdata = reinterpret_cast<char*>(&segment->info);
  segment_ = std::move(segment);
  return true;
}

void X11Image::MakePlain(unsigned width, unsigned height) {
  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                        width, height, 32, 0);
  if (image_ == nullptr) FailRuntime("cannot make an image of %ux%u pixels", width, height);
  const std::size_t size = static_cast<std::size_t>(image_->bytes_per_line) * height;
  image_->data = static_cast<char*>(std::calloc(size, 1));
  if (image_->data == nullptr) FailRuntime("out of memory for an image of %zu bytes", size);
}

// The frame is then drawn in pixels of our own, red highest, and converted as it is sent.
void X11Image::MakeConverted() {
  layout_ = PixelLayout{16, 8, 0, 0};
  frame_.assign(static_cast<std::size_t>(image_->width) * static_cast<std::size_t>(image_->height),
                0);
}

TargetBuffer X11Image::Buffer() const {
  if (!direct_) {
    return TargetBuffer{const_cast<std::uint32_t*>(frame_.data()), image_->width, image_->height,
                        image_->width * 4, layout_};
  }
  return TargetBuffer{image_->data, image_->width, image_->height, image_->bytes_per_line, layout_};
}

void X11Image::Convert(const PixelRect& rect) {
  const auto& [red, green, blue] = channel_pixels_;
  for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y) {
    const std::uint32_t* from = frame_.data() + static_cast<std::size_t>(y) * image_->width;
    char* row = image_->data + static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line;
    for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x) {
      const std::uint32_t colour = from[x];
      const std::uint32_t pixel =
          red[(colour >> 16) & 0xFF] | green[(colour >> 8) & 0xFF] | blue[colour & 0xFF];
      if (image_->bits_per_pixel == 16 && image_->byte_order == LSBFirst) {
        const auto value = static_cast<std::uint16_t>(pixel);
        std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 2, &value, sizeof value);
      } else {
        XPutPixel(image_, x, y, pixel);
      }
    }
  }
}

// Clipped to the image: a window may be shown a rect of the size it had a moment ago.
PixelRect X11Image::Clipped(const PixelRect& rect) const {
  const std::int32_t x = std::clamp(rect.x, 0, image_->width);
  const std::int32_t y = std::clamp(rect.y, 0, image_->height);
  const std::int32_t right = std::clamp(rect.x + rect.width, x, image_->width);
  const std::int32_t bottom = std::clamp(rect.y + rect.height, y, image_->height);
  return PixelRect{x, y, right - x, bottom - y};
}

void X11Image::Put(unsigned long drawable, GC gc, std::span<const PixelRect> rects) {
  std::size_t last = rects.size();
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const PixelRect rect = Clipped(rects[i]);
    if (rect.width > 0 && rect.height > 0) last = i;
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const PixelRect rect = Clipped(rects[i]);
    if (rect.width == 0 || rect.height == 0) continue;
    if (!direct_) Convert(rect);
    const auto width = static_cast<unsigned>(rect.width);
    const auto height = static_cast<unsigned>(rect.height);
    if (segment_) {
      // The server's word that it is done comes for the last one, as it takes them in order.
      XShmPutImage(display_, drawable, gc, image_, rect.x, rect.y, rect.x, rect.y, width, height,
                   i == last ? True : False);
      held_ = held_ || i == last;
    } else {
      XPutImage(display_, drawable, gc, image_, rect.x, rect.y, rect.x, rect.y, width, height);
    }
  }
  XFlush(display_);
}

void X11Image::Completed(unsigned long segment) {
  if (segment_ && segment_->info.shmseg == segment) held_ = false;
}

}  // namespace flakemorph
