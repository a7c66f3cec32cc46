// flakemorph: opens a window over every monitor, or the preview window, or takes a window of
// another program, and runs an animation in each until a key, a click or a close request ends
// the program (in a window of another program: SIGTERM, or the window's end).
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "app/options.h"
#include "app/process.h"
#include "app/program.h"
#include "app/window_target.h"
#include "figures/random_source.h"
#include "platform/window_request.h"
#include "platform/x11/x11_window_system.h"

namespace {

constexpr int kUsageErrorStatus = 2;
// However the window system ends after SIGINT or SIGTERM, the program is gone this soon.
constexpr int kSignalGraceMilliseconds = 50;

// The help or the version on stdout; says so on stderr and gives false when it cannot be
// written (a full disk, a closed pipe, a stream that was closed).
bool WriteOut(const char* text, const char* what, const flakemorph::ClosedStreams& closed) {
  if (closed.output) {
    std::fprintf(stderr, "flakemorph: cannot write the %s: standard output is closed\n", what);
    return false;
  }
  if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return true;
  std::fprintf(stderr, "flakemorph: cannot write the %s: %s\n", what, std::strerror(errno));
  return false;
}

// Answers --help, --version and a wrong command line; gives the options of a run.
std::optional<flakemorph::ProgramOptions> OptionsOfRun(int argc, char** argv,
                                                       const flakemorph::ClosedStreams& closed,
                                                       int& status) {
  using Action = flakemorph::ParsedCommandLine::Action;
  const flakemorph::ParsedCommandLine parsed = flakemorph::ParseCommandLine(argc, argv);
  status = 0;
  switch (parsed.action) {
    case Action::kRun:
      return parsed.options;
    case Action::kHelp:
      if (!WriteOut(flakemorph::UsageText(), "help", closed)) status = 1;
      break;
    case Action::kVersion:
      if (!WriteOut("flakemorph " FLAKEMORPH_VERSION "\n", "version", closed)) status = 1;
      break;
    case Action::kUsageError:
      std::fprintf(stderr, "flakemorph: %s\n\n%s", parsed.error.c_str(), flakemorph::UsageText());
      status = kUsageErrorStatus;
      break;
  }
  return std::nullopt;
}

bool StatsWanted() {
  const char* value = std::getenv("FLAKEMORPH_STATS");
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

bool InsideAnotherProgram(const flakemorph::ProgramOptions& options) {
  return options.mode == flakemorph::WindowMode::kRoot ||
         options.mode == flakemorph::WindowMode::kForeignWindow;
}

// The window of another program that --root or --window-id name; ends the program with a
// message if the names are wrong.
flakemorph::WindowId WindowOfAnother(const flakemorph::ProgramOptions& options) {
  const flakemorph::TargetChoice choice =
      flakemorph::ChooseWindowTarget(options, std::getenv("XSCREENSAVER_WINDOW"));
  if (!choice.error.empty()) {
    std::fprintf(stderr, "flakemorph: %s\n", choice.error.c_str());
    std::exit(kUsageErrorStatus);
  }
  flakemorph::TakeSaverSignals();
  return choice.target.id;
}

flakemorph::WindowRequest RequestOf(const flakemorph::ProgramOptions& options) {
  flakemorph::WindowRequest request;
  request.mode = options.mode;
  if (InsideAnotherProgram(options)) request.window_id = WindowOfAnother(options);
  request.width = options.width;
  request.height = options.height;
  request.scale = options.scale;
  request.show_fps = options.show_fps;
  request.stats = StatsWanted() ? stderr : nullptr;
  return request;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// SDL loads libdbus, whose connections live as long as the process by design: LeakSanitizer
// reports them at every exit. Only that library's report is left out.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}

// LeakSanitizer cannot look into a process that another one traces (the daemon tests watch the
// saver with strace) and would fail its end; such a run ends here, without the check.
void EndHereIfTraced() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return;
  char line[256];
  long tracer = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "TracerPid: %ld", &tracer) == 1) break;
  }
  std::fclose(status);
  if (tracer == 0) return;
  std::fflush(nullptr);
  _exit(0);
}
#else
void EndHereIfTraced() {}
#endif

int main(int argc, char** argv) {
  const flakemorph::ClosedStreams closed = flakemorph::OpenClosedStandardStreams();
  int status = 0;
  const std::optional<flakemorph::ProgramOptions> options =
      OptionsOfRun(argc, argv, closed, status);
  if (!options) return status;
  const std::unique_ptr<flakemorph::WindowSystem> windows =
      flakemorph::OpenX11WindowSystem(RequestOf(*options));
  flakemorph::EndSoonAfterEndingSignals(kSignalGraceMilliseconds);
  // Each monitor's figures come from a stream of its own, so no two show the same flake.
  const flakemorph::RandomStreams randoms = [](std::size_t stream) {
    return std::make_unique<flakemorph::TimeSeededGenerator>(
        flakemorph::LocalNanosecondsSinceMidnight, stream);
  };
  flakemorph::MonotonicClock clock;
  flakemorph::ProcessCpuClock cpu;
  const flakemorph::ProgramSettings settings{windows->RefreshHz(), options->rate_hz,
                                             options->show_fps, StatsWanted() ? stderr : nullptr};
  flakemorph::Program program(*windows, randoms, clock, cpu, settings);
  program.Run();
  EndHereIfTraced();
  return 0;
}
