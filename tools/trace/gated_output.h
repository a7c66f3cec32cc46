// An output stream that stays shut until it is opened: what is written to it before is
// dropped, what is written after goes on to the real output. Every log of a run writes
// through the one stream, so the logs keep the order in which their lines were written.
#pragma once

#include <cstdio>

namespace flakemorph::trace {

class GatedOutput {
 public:
  explicit GatedOutput(std::FILE* out);
  ~GatedOutput();
  GatedOutput(const GatedOutput&) = delete;
  GatedOutput& operator=(const GatedOutput&) = delete;

  std::FILE* File() { return file_; }
  // Drops what is still buffered from before, then lets everything through.
  void Open();
  // Sends everything on; false when the real output failed.
  bool Flush();

 private:
  static ssize_t Write(void* cookie, const char* data, std::size_t size);

  std::FILE* out_;
  std::FILE* file_;
  bool open_ = false;
};

}  // namespace flakemorph::trace
