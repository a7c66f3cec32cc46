#include "tools/trace/gated_output.h"

#include <new>

namespace flakemorph::trace {

GatedOutput::GatedOutput(std::FILE* out) : out_(out) {
  const cookie_io_functions_t functions{nullptr, &GatedOutput::Write, nullptr, nullptr};
  file_ = fopencookie(this, "w", functions);
  if (file_ == nullptr) throw std::bad_alloc();
  // The logs are long; a larger buffer saves most of the write calls.
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

GatedOutput::~GatedOutput() {
  std::fclose(file_);
}

void GatedOutput::Open() {
  std::fflush(file_);
  open_ = true;
}

bool GatedOutput::Flush() {
  return std::fflush(file_) == 0 && !std::ferror(file_) && std::fflush(out_) == 0 &&
         !std::ferror(out_);
}

ssize_t GatedOutput::Write(void* cookie, const char* data, std::size_t size) {
  auto* self = static_cast<GatedOutput*>(cookie);
  if (!self->open_) return static_cast<ssize_t>(size);
  const std::size_t written = std::fwrite(data, 1, size, self->out_);
  // A short count marks the stream as failed; a negative one is not allowed here.
  return static_cast<ssize_t>(written);
}

}  // namespace flakemorph::trace
