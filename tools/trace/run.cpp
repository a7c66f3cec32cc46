#include "tools/trace/run.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "animation/animation.h"
#include "display/memory_display.h"
#include "display/recording_display.h"
#include "figures/random_source.h"
#include "tools/trace/gated_output.h"
#include "tools/trace/png_writer.h"
#include "tools/trace/state_log.h"

namespace flakemorph::trace {
namespace {

std::unique_ptr<RandomSource> MakeRandomSource(const TraceOptions& options) {
  if (options.random_file) {
    return std::make_unique<ScriptedSource>(ScriptedSource::FromFile(*options.random_file));
  }
  const std::uint64_t nanoseconds = *options.clock_nanoseconds;
  return std::make_unique<TimeSeededGenerator>([nanoseconds] { return nanoseconds; });
}

std::string PicturePath(const std::string& dir, std::int64_t frame) {
  char name[40];
  std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(frame));
  return dir + name;
}

__attribute__((format(printf, 1, 2))) int Fail(const char* format, ...) {
  std::fflush(stdout);
  std::fputs("flakemorph-trace: ", stderr);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  return 1;
}

// Everything that a run writes: the logs, through one stream that opens at the first
// frame to be shown, and the pictures.
struct Outputs {
  GatedOutput& logs;
  StateLog& state_log;
  const MemoryDisplay& pages;
};

void StartShowing(Outputs& outputs) {
  outputs.logs.Open();
  outputs.state_log.Start();
}

int RunFrames(const TraceOptions& options, Animation& animation, Outputs& outputs) {
  PngWriter png;
  if (options.from == 1) StartShowing(outputs);
  animation.StartUp();
  for (std::int64_t frame = 1; frame <= options.frames; ++frame) {
    if (frame == options.from && frame != 1) StartShowing(outputs);
    animation.NextFrame();
    if (options.png_dir && frame >= options.from && frame % options.every == 0) {
      const std::string path = PicturePath(*options.png_dir, frame);
      const std::string error = png.Write(outputs.pages.FrontPage(), path);
      if (!error.empty()) return Fail("cannot write %s: %s", path.c_str(), error.c_str());
    }
  }
  if (!outputs.logs.Flush()) return Fail("cannot write the log: %s", std::strerror(errno));
  return 0;
}

}  // namespace

int RunTrace(const TraceOptions& options) {
  // The logs are long; a larger buffer saves most of the write calls.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  try {
    GatedOutput logs(stdout);
    MemoryDisplay pages(static_cast<float>(options.width), static_cast<float>(options.height));
    RecordingDisplay recording(logs.File(), &pages);
    Display& display = options.ops ? static_cast<Display&>(recording) : pages;
    StateLog state_log(logs.File());
    const std::unique_ptr<RandomSource> random = MakeRandomSource(options);
    Animation animation(display, *random, options.state ? &state_log : nullptr);
    Outputs outputs{logs, state_log, pages};
    return RunFrames(options, animation, outputs);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory for two pages of %dx%d", options.width, options.height);
  }
}

}  // namespace flakemorph::trace
