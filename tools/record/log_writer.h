// Lines of a log gathered in a block of memory and written out a block at a time. A C runtime
// may make one system call per printf however its stream is buffered (Windows' does, and Wine's
// with it), which makes a long log many times slower to write than to compute; formatting into
// our own block and writing that whole keeps both sides to a few large writes.
//
// A log may start shut: until Open, what is written to it is dropped without being formatted,
// so a run can skip the logging of its first frames at no cost.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/printf_format.h"

namespace flakemorph {

class LogWriter {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 16;

  explicit LogWriter(std::FILE* out, bool open = true);
  // Writes out what is left; see Flush for the failures to be seen.
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void Printf(const char* format, ...) FLAKEMORPH_PRINTF_FORMAT(2, 3);
  void Put(std::string_view text);

  bool IsOpen() const { return open_; }
  void Open() { open_ = true; }

  // Writes out everything gathered and flushes the output; false once any write has failed.
  bool Flush();

 private:
  void WriteBlock();

  std::FILE* out_;
  std::vector<char> block_ = std::vector<char>(kBlockSize);
  std::size_t used_ = 0;
  bool open_;
  bool failed_ = false;
};

}  // namespace flakemorph
