// flakemorph: opens a window over every monitor, or the preview window, or takes a window of
// another program, and runs an animation in each until a key, a click or a close request ends
// the program (in a window of another program: SIGTERM, or the window's end).
#include <SDL.h>

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
#include "app/sdl_session.h"
#include "app/sdl_window.h"
#include "app/window_target.h"
#include "app/x11_foreign_window.h"
#include "figures/random_source.h"

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

// The window of another program that --root or --window-id name, watched from before SDL
// starts; ends the program with a message if there is none.
std::unique_ptr<flakemorph::X11ForeignWindow> WatchWindowOfAnother(
    const flakemorph::ProgramOptions& options) {
  const flakemorph::TargetChoice choice =
      flakemorph::ChooseWindowTarget(options, std::getenv("XSCREENSAVER_WINDOW"));
  if (!choice.error.empty()) {
    std::fprintf(stderr, "flakemorph: %s\n", choice.error.c_str());
    std::exit(kUsageErrorStatus);
  }
  TakeSaverSignals();
  return std::make_unique<flakemorph::X11ForeignWindow>(choice.target);
}

std::vector<std::unique_ptr<flakemorph::SdlWindow>> OpenWindows(
    const flakemorph::ProgramOptions& options, flakemorph::ForeignWindow* foreign) {
  std::vector<std::unique_ptr<flakemorph::SdlWindow>> windows;
  switch (options.mode) {
    case flakemorph::WindowMode::kEveryMonitor: {
      const int monitors = SDL_GetNumVideoDisplays();
      if (monitors < 1) flakemorph::FailToOpen(SDL_GetError());
      for (int index = 0; index < monitors; ++index) {
        windows.push_back(flakemorph::SdlWindow::OverDisplay(index));
      }
      break;
    }
    case flakemorph::WindowMode::kPreview:
      windows.push_back(flakemorph::SdlWindow::Preview(options.width, options.height));
      break;
    case flakemorph::WindowMode::kRoot:
    case flakemorph::WindowMode::kForeignWindow:
      windows.push_back(flakemorph::SdlWindow::Foreign(*foreign));
      if (StatsWanted()) {
        std::fprintf(stderr, "flakemorph: drawing into window 0x%lx of %gx%g pixels\n",
                     static_cast<unsigned long>(foreign->NativeId()),
                     static_cast<double>(windows.back()->ScaleWidth()),
                     static_cast<double>(windows.back()->ScaleHeight()));
      }
      break;
  }
  return windows;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  const std::optional<flakemorph::ProgramOptions> options = OptionsOfRun(argc, argv, status);
  if (!options) return status;
  flakemorph::InstallX11ErrorHandlers();
  std::unique_ptr<flakemorph::X11ForeignWindow> foreign;
  if (InsideAnotherProgram(*options)) foreign = WatchWindowOfAnother(*options);
  const flakemorph::SdlSession session(foreign != nullptr);
  const std::vector<std::unique_ptr<flakemorph::SdlWindow>> windows =
      OpenWindows(*options, foreign.get());
  std::vector<flakemorph::SdlWindow*> window_list;
  // Each monitor's figures come from a stream of its own, so no two show the same flake.
  std::vector<flakemorph::TimeSeededGenerator> randoms;
  randoms.reserve(windows.size());
  std::vector<flakemorph::Screen> screens;
  for (const std::unique_ptr<flakemorph::SdlWindow>& window : windows) {
    if (options->show_fps) window->AddTextOverlay();
    randoms.emplace_back(flakemorph::LocalNanosecondsSinceMidnight, window_list.size());
    window_list.push_back(window.get());
    screens.push_back({window.get(), &randoms.back()});
  }
  flakemorph::SdlEventPump events(window_list);
  flakemorph::MonotonicClock clock;
  flakemorph::ProcessCpuClock cpu;
  const flakemorph::ProgramSettings settings{windows.front()->RefreshHz(), options->rate_hz,
                                             options->show_fps, StatsWanted() ? stderr : nullptr};
  flakemorph::Program program(screens, events, clock, cpu, settings);
  program.Run();
  return 0;
}
