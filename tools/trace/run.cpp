#include "tools/trace/run.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "animation/animation.h"
#include "display/log_writer.h"
#include "display/memory_display.h"
#include "display/recording_display.h"
#include "figures/printf_format.h"
#include "figures/random_source.h"
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

FLAKEMORPH_PRINTF_FORMAT(1, 2) int Fail(const char* format, ...) {
  std::fflush(stdout);
  std::fputs("flakemorph-trace: ", stderr);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  return 1;
}

// Everything that a run writes: the logs, through one writer that opens at the first frame
// to be shown, so that they keep the order in which their lines were written, and the
// pictures.
struct Outputs {
  LogWriter& logs;
  const MemoryDisplay& pages;
};

int RunFrames(const TraceOptions& options, Animation& animation, Outputs& outputs) {
  PngWriter png;
  if (options.from == 1) outputs.logs.Open();
  animation.StartUp();
  for (std::int64_t frame = 1; frame <= options.frames; ++frame) {
    if (frame == options.from) outputs.logs.Open();
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
  try {
    LogWriter logs(stdout, /*open=*/false);
    MemoryDisplay pages(static_cast<float>(options.width), static_cast<float>(options.height));
    RecordingDisplay recording(logs, &pages);
    Display& display = options.ops ? static_cast<Display&>(recording) : pages;
    StateLog state_log(logs);
    const std::unique_ptr<RandomSource> random = MakeRandomSource(options);
    Animation animation(display, *random, options.state ? &state_log : nullptr);
    Outputs outputs{logs, pages};
    return RunFrames(options, animation, outputs);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory for two pages of %dx%d", options.width, options.height);
  }
}

}  // namespace flakemorph::trace
