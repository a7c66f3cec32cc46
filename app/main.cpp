// flakemorph: opens a window over every monitor, or the preview window, or takes a window of
// another program, and runs an animation in each until a key, a click or a close request ends
// the program (in a window of another program: SIGTERM, or the window's end).
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "app/options.h"
#include "app/program.h"
#include "app/window_target.h"
#include "figures/random_source.h"
#include "platform/window_request.h"
#include "platform/x11/x11_window_system.h"

namespace {

constexpr int kUsageErrorStatus = 2;

// Answers --help, --version and a wrong command line; gives the options of a run.
std::optional<flakemorph::ProgramOptions> OptionsOfRun(int argc, char** argv, int& status) {
  using Action = flakemorph::ParsedCommandLine::Action;
  const flakemorph::ParsedCommandLine parsed = flakemorph::ParseCommandLine(argc, argv);
  status = 0;
  switch (parsed.action) {
    case Action::kRun:
      return parsed.options;
    case Action::kHelp:
      std::fputs(flakemorph::UsageText(), stdout);
      break;
    case Action::kVersion:
      std::puts("flakemorph " FLAKEMORPH_VERSION);
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

// A daemon stops its saver with SIGTERM, which must end us even if whoever started the daemon
// ignored or blocked it; xsecurelock sends SIGUSR1 when its password prompt closes, which
// would otherwise kill us.
void TakeSaverSignals() {
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGUSR1, SIG_IGN);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_UNBLOCK, &ending, nullptr);
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
  TakeSaverSignals();
  return choice.target.id;
}

flakemorph::WindowRequest RequestOf(const flakemorph::ProgramOptions& options) {
  flakemorph::WindowRequest request;
  request.mode = options.mode;
  if (InsideAnotherProgram(options)) request.window_id = WindowOfAnother(options);
  request.width = options.width;
  request.height = options.height;
  request.show_fps = options.show_fps;
  request.stats = StatsWanted() ? stderr : nullptr;
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  const std::optional<flakemorph::ProgramOptions> options = OptionsOfRun(argc, argv, status);
  if (!options) return status;
  const std::unique_ptr<flakemorph::WindowSystem> windows =
      flakemorph::OpenX11WindowSystem(RequestOf(*options));
  // Each monitor's figures come from a stream of its own, so no two show the same flake.
  std::vector<flakemorph::TimeSeededGenerator> randoms;
  randoms.reserve(windows->Windows().size());
  std::vector<flakemorph::Screen> screens;
  for (flakemorph::ProgramWindow* window : windows->Windows()) {
    randoms.emplace_back(flakemorph::LocalNanosecondsSinceMidnight, screens.size());
    screens.push_back({window, &randoms.back()});
  }
  flakemorph::MonotonicClock clock;
  flakemorph::ProcessCpuClock cpu;
  const flakemorph::ProgramSettings settings{windows->RefreshHz(), options->rate_hz,
                                             options->show_fps, StatsWanted() ? stderr : nullptr};
  flakemorph::Program program(screens, *windows, clock, cpu, settings);
  program.Run();
  return 0;
}
