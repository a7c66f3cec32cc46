#include "platform/stats_out.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace flakemorph {
namespace {

#ifdef _WIN32
// Windows savers write their stats to a console or a file, which take them at once.
bool Writable(int /*descriptor*/) {
  return true;
}

long WriteSome(int descriptor, const char* text, std::size_t length) {
  return _write(descriptor, text, static_cast<unsigned>(length));
}
#else
// A pipe with room for a line of these (far below PIPE_BUF) takes it whole, without waiting;
// the same for a terminal that is not held up. A file always has room.
bool Writable(int descriptor) {
  pollfd out{descriptor, POLLOUT, 0};
  return poll(&out, 1, 0) == 1 && (out.revents & POLLOUT) != 0;
}

long WriteSome(int descriptor, const char* text, std::size_t length) {
  return write(descriptor, text, length);
}
#endif

}  // namespace

void StatsOut::Line(const char* format, ...) {
  int length = 0;
  if (dropped_ > 0) {
    length = std::snprintf(line_.data(), line_.size(),
                           "flakemorph: %llu stats lines dropped: standard error was full\n",
                           static_cast<unsigned long long>(dropped_));
  }
  std::va_list arguments;
  va_start(arguments, format);
  const int text =
      std::vsnprintf(line_.data() + length, line_.size() - 1 - length, format, arguments);
  va_end(arguments);
  if (text < 0) return;
  length = std::min<int>(length + text, static_cast<int>(line_.size()) - 2);
  line_[static_cast<std::size_t>(length++)] = '\n';
  if (WriteNow(line_.data(), static_cast<std::size_t>(length))) {
    dropped_ = 0;
  } else {
    ++dropped_;
  }
}

void StatsOut::SayWindow(const Window& window) {
  std::array<char, 32> place{};
  if (window.placed) std::snprintf(place.data(), place.size(), " at %d,%d", window.x, window.y);
  std::array<char, 64> pages{};
  if (window.scale > 1) {
    std::snprintf(pages.data(), pages.size(), ", pages %dx%d at scale %d",
                  window.width / window.scale, window.height / window.scale, window.scale);
  }
  Line("flakemorph: window %s (%s): %dx%d pixels%s%s%s%s", window.name, window.kind, window.width,
       window.height, place.data(), pages.data(), window.note ? ", " : "",
       window.note ? window.note : "");
}

bool StatsOut::WriteNow(const char* text, std::size_t length) {
  if (!Writable(descriptor_)) return false;
  // A file or a terminal may take a line in parts.
  while (length > 0) {
    const long written = WriteSome(descriptor_, text, length);
    if (written <= 0) return false;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace flakemorph
