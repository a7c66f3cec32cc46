// flakemorph: opens a window over every monitor, or the preview window, and runs an animation
// in each until a key, a click or a close request ends the program.
#include <SDL.h>

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

std::vector<std::unique_ptr<flakemorph::SdlWindow>> OpenWindows(
    const flakemorph::ProgramOptions& options) {
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
    default:
      std::fputs("flakemorph: this way of showing the animation is not built yet\n", stderr);
      std::exit(1);
  }
  return windows;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  const std::optional<flakemorph::ProgramOptions> options = OptionsOfRun(argc, argv, status);
  if (!options) return status;
  const flakemorph::SdlSession session;
  const std::vector<std::unique_ptr<flakemorph::SdlWindow>> windows = OpenWindows(*options);
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
