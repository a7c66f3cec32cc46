#include "tools/trace/run.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "animation/animation.h"
#include "common/printf_format.h"
#include "display/memory_display.h"
#include "figures/random_source.h"
#include "tools/record/log_writer.h"
#include "tools/record/random_file.h"
#include "tools/record/recording_display.h"
#include "tools/trace/drawing_gate.h"
#include "tools/trace/memory_budget.h"
#include "tools/trace/png_writer.h"
#include "tools/trace/state_log.h"

namespace flakemorph::trace {
namespace {

std::unique_ptr<RandomSource> MakeRandomSource(const TraceOptions& options) {
  if (options.random_file) return std::make_unique<RandomFile>(*options.random_file);
  const std::uint64_t nanoseconds = *options.clock_nanoseconds;
  return std::make_unique<TimeSeededGenerator>([nanoseconds] { return nanoseconds; });
}

std::string PicturePath(const std::string& dir, std::int64_t frame) {
  char name[40];
  std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(frame));
  return dir + name;
}

FLAKEMORPH_PRINTF_FORMAT(1, 2) int Fail(const char* format, ...) {
  std::fputs("flakemorph-trace: ", stderr);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  return kRunFailedStatus;
}

int FailWritingTheLog(int error) {
  return Fail("cannot write the log: %s", error != 0 ? std::strerror(error) : "write error");
}

// Everything that a run writes: the logs, through one writer that opens at the first frame
// to be shown, so that they keep the order in which their lines were written, and the
// pictures; and the gate that lets the drawing through from that frame on.
struct Outputs {
  LogWriter& logs;
  DrawingGate& drawing;
  const MemoryDisplay& pages;

  void Open() {
    logs.Open();
    drawing.Open();
  }
};

int RunFrames(const TraceOptions& options, Animation& animation, Outputs& outputs) {
  PngWriter png;
  animation.StartUp();
  for (std::int64_t frame = 1; frame <= options.frames; ++frame) {
    if (frame == options.from) outputs.Open();
    animation.NextFrame();
    if (frame < options.from) continue;
    // Nobody reads on: the run would be work for nothing.
    if (std::ferror(stdout)) return FailWritingTheLog(errno);
    if (options.png_dir && frame % options.every == 0) {
      const std::string path = PicturePath(*options.png_dir, frame);
      const std::string error = png.Write(outputs.pages.FrontPage(), path);
      if (!error.empty()) {
        return Fail("cannot write the picture of frame %lld (%s): %s",
                    static_cast<long long>(frame), path.c_str(), error.c_str());
      }
    }
  }
  if (!outputs.logs.Flush()) return FailWritingTheLog(errno);
  return 0;
}

}  // namespace

int RunTrace(const TraceOptions& options) {
  const std::string too_large = CheckMemory(options);
  if (!too_large.empty()) return Fail("%s", too_large.c_str());
  LogWriter logs(stdout, /*open=*/options.from == 1);
  try {
    MemoryDisplay pages(static_cast<float>(options.width), static_cast<float>(options.height));
    RecordingDisplay recording(logs, &pages);
    DrawingGate drawing(options.ops ? static_cast<Display&>(recording) : pages,
                        /*open=*/options.from == 1);
    StateLog state_log(logs);
    const std::unique_ptr<RandomSource> random = MakeRandomSource(options);
    Animation animation(drawing, *random, options.state ? &state_log : nullptr);
    Outputs outputs{logs, drawing, pages};
    return RunFrames(options, animation, outputs);
  } catch (const RandomFileError& error) {
    // The log up to the draw that failed is what the file made of the run: it goes out first.
    logs.Flush();
    return Fail("%s", error.what());
  } catch (const std::bad_alloc&) {
    return Fail("out of memory for a run of %dx%d", options.width, options.height);
  }
}

}  // namespace flakemorph::trace
