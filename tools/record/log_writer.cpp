#include "tools/record/log_writer.h"

#include <cstdarg>
#include <cstring>

namespace flakemorph {

LogWriter::LogWriter(std::FILE* out, bool open) : out_(out), open_(open) {}

LogWriter::~LogWriter() {
  Flush();
}

void LogWriter::Printf(const char* format, ...) {
  if (!open_) return;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::size_t room = block_.size() - used_;
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(block_.data() + used_, room, format, arguments);
    va_end(arguments);
    if (length < 0) {
      failed_ = true;
      return;
    }
    if (static_cast<std::size_t>(length) < room) {
      used_ += static_cast<std::size_t>(length);
      return;
    }
    WriteBlock();
  }
  // A line longer than a whole block: formatted once more into a buffer of its own size.
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::vector<char> line(static_cast<std::size_t>(length) + 1);
  va_start(arguments, format);
  std::vsnprintf(line.data(), line.size(), format, arguments);
  va_end(arguments);
  Put(std::string_view(line.data(), static_cast<std::size_t>(length)));
}

void LogWriter::Put(std::string_view text) {
  if (!open_) return;
  if (text.size() > block_.size() - used_) WriteBlock();
  if (text.size() > block_.size()) {
    failed_ = failed_ || std::fwrite(text.data(), 1, text.size(), out_) != text.size();
    return;
  }
  std::memcpy(block_.data() + used_, text.data(), text.size());
  used_ += text.size();
}

bool LogWriter::Flush() {
  WriteBlock();
  failed_ = failed_ || std::fflush(out_) != 0 || std::ferror(out_) != 0;
  return !failed_;
}

void LogWriter::WriteBlock() {
  if (used_ > 0 && std::fwrite(block_.data(), 1, used_, out_) != used_) failed_ = true;
  used_ = 0;
}

}  // namespace flakemorph
