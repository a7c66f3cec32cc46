#include "platform/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "figures/numbers.h"

namespace flakemorph {

ShmBuffer::ShmBuffer(wl_shm* shm, std::int32_t width, std::int32_t height)
    : width_(width),
      height_(height),
      size_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
  if (width <= 0 || height <= 0 || size_ > 0x7FFFFFFFU) {
    FailRuntime("cannot share a buffer of %d x %d pixels", width, height);
  }
  const int file = memfd_create("flakemorph", MFD_CLOEXEC);
  if (file < 0 || ftruncate(file, static_cast<off_t>(size_)) != 0) {
    FailRuntime("no shared memory for a buffer of %d x %d pixels: %s", width, height,
                std::strerror(errno));
  }
  pixels_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  if (pixels_ == MAP_FAILED) {
    FailRuntime("cannot map a buffer of %d x %d pixels: %s", width, height, std::strerror(errno));
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<std::int32_t>(size_));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(file);
  static constexpr wl_buffer_listener kListener{
      .release = [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; }};
  wl_buffer_add_listener(buffer_, &kListener, this);
}

ShmBuffer::~ShmBuffer() {
  wl_buffer_destroy(buffer_);
  munmap(pixels_, size_);
}

}  // namespace flakemorph
