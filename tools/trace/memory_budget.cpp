#include "tools/trace/memory_budget.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>

namespace flakemorph::trace {
namespace {

// The pages are handed out in whole pieces of 2 MiB (display/large_pages.h).
constexpr std::uint64_t kLargePage = std::uint64_t{2} << 20;
// The program, its libraries, the log's block, zlib's state, the pages' records.
constexpr std::uint64_t kMargin = std::uint64_t{16} << 20;
constexpr std::uint64_t kUnlimited = UINT64_MAX;
// cgroup v1 writes "no limit" as the largest multiple of the page size below 2^63.
constexpr std::uint64_t kNoLimitBeyond = std::uint64_t{1} << 60;

std::uint64_t InLargePages(std::uint64_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

#ifndef _WIN32
std::optional<std::uint64_t> ReadNumber(const std::string& path) {
  std::ifstream file(path);
  std::string word;
  if (!(file >> word)) return std::nullopt;
  if (word == "max") return kUnlimited;
  std::uint64_t value = 0;
  std::istringstream number(word);
  if (!(number >> value)) return std::nullopt;
  return value;
}

void KeepTheLeast(std::optional<MemoryRoom>& room, std::uint64_t bytes, std::string limit) {
  if (!room || bytes < room->bytes) room = MemoryRoom{bytes, std::move(limit)};
}

// MemAvailable and SwapFree of /proc/meminfo, in kB.
void SystemRoom(std::optional<MemoryRoom>& room) {
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  std::uint64_t kilobytes = 0;
  std::optional<std::uint64_t> available;
  std::uint64_t swap = 0;
  std::string unit;
  while (meminfo >> name >> kilobytes) {
    std::getline(meminfo, unit);
    if (name == "MemAvailable:") available = kilobytes * 1024;
    if (name == "SwapFree:") swap = kilobytes * 1024;
  }
  if (available) KeepTheLeast(room, *available + swap, "MemAvailable and SwapFree");
}

// The files of a cgroup's memory, one version's names or the other's.
struct CgroupFiles {
  const char* limit;
  const char* usage;
  // memory.stat's counts of file pages, which the cgroup gives back before it runs out.
  const char* inactive_file;
  const char* active_file;
};

constexpr CgroupFiles kCgroupV2 = {"memory.max", "memory.current", "inactive_file", "active_file"};
constexpr CgroupFiles kCgroupV1 = {"memory.limit_in_bytes", "memory.usage_in_bytes",
                                   "total_inactive_file", "total_active_file"};

std::uint64_t StatOf(const std::string& folder, std::string_view key) {
  std::ifstream stat(folder + "/memory.stat");
  std::string name;
  std::uint64_t value = 0;
  while (stat >> name >> value) {
    if (name == key) return value;
  }
  return 0;
}

// The limit less what is used and cannot be given back, in the cgroup's folder and in every
// folder above it up to the root of the hierarchy, which limits its children too.
void CgroupRoom(std::optional<MemoryRoom>& room, const std::string& root, std::string path,
                const CgroupFiles& files) {
  for (;;) {
    const std::string folder = root + path;
    const auto limit = ReadNumber(folder + "/" + files.limit);
    const auto usage = ReadNumber(folder + "/" + files.usage);
    if (limit && usage && *limit < kNoLimitBeyond) {
      const std::uint64_t cache =
          StatOf(folder, files.inactive_file) + StatOf(folder, files.active_file);
      const std::uint64_t held = *usage > cache ? *usage - cache : 0;
      KeepTheLeast(room, *limit > held ? *limit - held : 0,
                   "under the limit of memory cgroup " + (path.empty() ? "/" : path));
    }
    if (path.empty() || path == "/") return;
    path.resize(path.find_last_of('/'));
  }
}

// /proc/self/cgroup: "0::PATH" for cgroup v2, "N:CONTROLLERS:PATH" for v1.
void CgroupsRoom(std::optional<MemoryRoom>& room) {
  std::ifstream cgroups("/proc/self/cgroup");
  std::string line;
  while (std::getline(cgroups, line)) {
    const std::size_t first = line.find(':');
    const std::size_t second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (line.compare(0, first, "0") == 0 && controllers.empty()) {
      CgroupRoom(room, "/sys/fs/cgroup", path, kCgroupV2);
    } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
      CgroupRoom(room, "/sys/fs/cgroup/memory", path, kCgroupV1);
    }
  }
}
#endif

std::string InGibibytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1U << 30));
  return text;
}

}  // namespace

std::uint64_t BytesNeeded(const TraceOptions& options) {
  const auto width = static_cast<std::uint64_t>(options.width);
  const auto height = static_cast<std::uint64_t>(options.height);
  std::uint64_t bytes = 2 * InLargePages(width * height * 4) + kMargin;
  if (options.png_dir) {
    // The filtered rows, and the room zlib may need to deflate them (its compressBound,
    // reckoned in 64 bits).
    const std::uint64_t rows = (1 + 3 * width) * height;
    bytes += rows + rows + (rows >> 12) + (rows >> 14) + (rows >> 25) + 13;
  }
  return bytes;
}

std::optional<MemoryRoom> MemoryAvailable() {
  std::optional<MemoryRoom> room;
#ifndef _WIN32
  // Windows commits memory when it is asked for, so there a page that does not fit fails
  // where it is allocated, with a message.
  SystemRoom(room);
  CgroupsRoom(room);
#endif
  return room;
}

std::string CheckMemory(const TraceOptions& options) {
  const std::uint64_t needed = BytesNeeded(options);
  const std::optional<MemoryRoom> room = MemoryAvailable();
  if (!room || needed <= room->bytes) return "";
  return "a run of " + std::to_string(options.width) + "x" + std::to_string(options.height) +
         (options.png_dir ? " with pictures" : "") + " needs " + InGibibytes(needed) +
         " of memory, but only " + InGibibytes(room->bytes) + " is free (" + room->limit + ")";
}

}  // namespace flakemorph::trace
