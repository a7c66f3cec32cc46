#include "tools/trace/options.h"

#include <unistd.h>

#include <charconv>
#include <initializer_list>
#include <set>
#include <string_view>
#include <system_error>

#include "figures/decimal_text.h"
#include "figures/quoted_text.h"
#include "tools/trace/file_system.h"

namespace flakemorph::trace {
namespace {

// A page side beyond this would overflow the 16-bit centre of the picture.
constexpr std::int64_t kLargestSide = 65534;

// Builds a message piece by piece (g++ 12 warns falsely on chains of string + string).
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

// A whole decimal number, nothing before or after it.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseInRange(std::string_view text, std::int64_t low,
                                         std::int64_t high) {
  const std::optional<std::int64_t> value = ParseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

bool ParseSize(std::string_view text, TraceOptions& options) {
  const std::size_t cross = text.find('x');
  if (cross == std::string_view::npos) return false;
  const auto width = ParseInRange(text.substr(0, cross), 1, kLargestSide);
  const auto height = ParseInRange(text.substr(cross + 1), 1, kLargestSide);
  if (!width || !height) return false;
  options.width = static_cast<std::int32_t>(*width);
  options.height = static_cast<std::int32_t>(*height);
  return true;
}

// Applies one option that takes a value; returns an error message or "".
std::string ApplyValue(std::string_view name, std::string_view value, TraceOptions& options) {
  const std::string quoted = QuotedText(value, "a value");
  if (name == "--size") {
    if (!ParseSize(value, options)) {
      return Join(
          {"bad size ", quoted, " (WxH, each from 1 to ", std::to_string(kLargestSide), ")"});
    }
  } else if (name == "--frames") {
    const auto frames = ParseInRange(value, 0, INT64_MAX);
    if (!frames) return Join({"bad number of frames ", quoted});
    options.frames = *frames;
  } else if (name == "--from") {
    const auto from = ParseInRange(value, 1, INT64_MAX);
    if (!from) return Join({"bad first frame ", quoted, " (a whole number from 1)"});
    options.from = *from;
  } else if (name == "--random") {
    if (value.empty()) return "empty file name for --random";
    options.random_file = std::string(value);
  } else if (name == "--clock") {
    options.clock_nanoseconds = ReadTimeOfDay(value);
    if (!options.clock_nanoseconds) {
      return Join({"bad time of day ", quoted, " (seconds since midnight, from 0 to below 86400)"});
    }
  } else if (name == "--png") {
    if (value.empty()) return "empty folder name for --png";
    options.png_dir = std::string(value);
  } else if (name == "--every") {
    const auto every = ParseInRange(value, 1, INT64_MAX);
    if (!every) return Join({"bad picture interval ", quoted, " (a whole number from 1)"});
    options.every = *every;
  }
  return "";
}

bool TakesValue(std::string_view name) {
  return name == "--size" || name == "--frames" || name == "--from" || name == "--random" ||
         name == "--clock" || name == "--png" || name == "--every";
}

// The rules that tie options together, checked once all are read.
std::string CheckCombination(const std::set<std::string, std::less<>>& seen,
                             const TraceOptions& options) {
  if (seen.contains("--random") == seen.contains("--clock")) {
    return "give exactly one of --random FILE and --clock SECONDS";
  }
  if (!seen.contains("--frames")) return "missing --frames N";
  if (seen.contains("--every") && !seen.contains("--png")) return "--every needs --png DIR";
  if (seen.contains("--from") && options.from > options.frames) {
    return Join({"--from ", std::to_string(options.from), " is past the last frame (--frames ",
                 std::to_string(options.frames), ")"});
  }
  return "";
}

}  // namespace

ParsedOptions ParseOptions(int argc, const char* const* argv) {
  ParsedOptions parsed;
  std::set<std::string, std::less<>> seen;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help") {
      parsed.options.help = true;
      return parsed;
    }
    if (name == "--version") {
      parsed.options.version = true;
      return parsed;
    }
    if (!TakesValue(name) && name != "--ops" && name != "--state") {
      parsed.error = "unknown option " + QuotedText(name, "an argument");
      return parsed;
    }
    if (!seen.emplace(name).second) {
      parsed.error = Join({"option ", name, " given twice"});
      return parsed;
    }
    if (name == "--ops") {
      parsed.options.ops = true;
    } else if (name == "--state") {
      parsed.options.state = true;
    } else if (i + 1 >= argc) {
      parsed.error = Join({"missing value after ", name});
      return parsed;
    } else {
      parsed.error = ApplyValue(name, argv[++i], parsed.options);
      if (!parsed.error.empty()) return parsed;
    }
  }
  parsed.error = CheckCombination(seen, parsed.options);
  return parsed;
}

std::string CheckEnvironment(const TraceOptions& options) {
  // Only looks, without opening: the file may be a pipe that can be read only once.
  if (options.random_file) {
    const std::string& path = *options.random_file;
    if (IsDirectory(path) || access(path.c_str(), R_OK) != 0) {
      return Join({"cannot read random file '", path, "'"});
    }
  }
  if (options.png_dir) {
    const std::string& dir = *options.png_dir;
    CreateDirectories(dir);
    if (!IsDirectory(dir)) return Join({"cannot create picture folder '", dir, "'"});
  }
  return "";
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: flakemorph-trace [--size WxH] --frames N [--from F]\n"
      "                        (--random FILE | --clock SECONDS)\n"
      "                        [--ops] [--state] [--png DIR [--every K]]\n"
      "       flakemorph-trace --help | --version\n"
      "\n"
      "Runs the animation without a window, on pages in memory: start-up, then N frames.\n"
      "\n"
      "  --size WxH       client area in pixels (default 448x439)\n"
      "  --frames N       frames to run after start-up, morph and hold counted together\n"
      "  --from F         log and picture frames F to N only (default 1); the frames\n"
      "                   before F run in full but write nothing, so frame F is the\n"
      "                   same as in a whole run\n"
      "  --random FILE    take every random value from FILE, one decimal in [0, 1) a line\n"
      "  --clock SECONDS  use the program's own generator, re-seeded always from this time\n"
      "                   of day (seconds since midnight, e.g. 43200.5)\n"
      "  --ops            print every display operation on standard output\n"
      "  --state          print the state after every new figure and every frame\n"
      "  --png DIR        write the front page after every K-th frame as DIR/frame-NNNNNN.png\n"
      "  --every K        picture interval for --png (default 1)\n"
      "  --help           print this help\n"
      "  --version        print the version\n",
      out);
}

}  // namespace flakemorph::trace
