// What a run needs in memory, and what the system and the process's memory cgroup can give.
// Pages too large for memory would not fail where they are allocated: the system hands out the
// addresses and kills the process later, without a word, when the pages are first filled. So
// the run is weighed before anything is allocated.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/trace/options.h"

namespace flakemorph::trace {

struct MemoryRoom {
  std::uint64_t bytes;
  std::string limit;  // what sets it, for the message
};

// The bytes that the pages and, with --png, the picture buffers take, with a margin for the
// rest of the program.
std::uint64_t BytesNeeded(const TraceOptions& options);

// The least of the system's available memory (with free swap) and the room left under the
// memory limit of every cgroup the process is in; nothing where none of them can be read.
std::optional<MemoryRoom> MemoryAvailable();

// A message when the run cannot fit, else "".
std::string CheckMemory(const TraceOptions& options);

}  // namespace flakemorph::trace
