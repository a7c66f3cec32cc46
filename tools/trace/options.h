// The command line of flakemorph-trace, parsed into one plain struct before anything runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace flakemorph::trace {

struct TraceOptions {
  std::int32_t width = 448;
  std::int32_t height = 439;
  std::int64_t frames = 0;
  std::int64_t from = 1;  // the first frame that the logs and pictures show
  std::optional<std::string> random_file;
  std::optional<std::uint64_t> clock_nanoseconds;  // time of day for every re-seed
  bool ops = false;
  bool state = false;
  std::optional<std::string> png_dir;
  std::int64_t every = 1;
  bool help = false;
  bool version = false;
};

struct ParsedOptions {
  TraceOptions options;
  std::string error;  // empty when the command line is sound
};

ParsedOptions ParseOptions(int argc, const char* const* argv);

// Checks what the command line names outside the program: the random file must be readable
// and the picture folder must exist or be creatable. Returns an error message or "".
std::string CheckEnvironment(const TraceOptions& options);

void PrintUsage(std::FILE* out);

}  // namespace flakemorph::trace
