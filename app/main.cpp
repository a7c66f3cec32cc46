// flakemorph: opens the window over the whole screen, or takes a window of another program,
// and runs the animation in it until a key, a click or a close request ends the program (in a
// window of another program: SIGTERM, or the window's end).
#include <cstdio>
#include <optional>

#include "animation/animation.h"
#include "app/options.h"
#include "app/sdl_window.h"
#include "app/x11_foreign_window.h"
#include "app/x11_saver_run.h"
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

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  const std::optional<flakemorph::ProgramOptions> options = OptionsOfRun(argc, argv, status);
  if (!options) return status;
  flakemorph::InstallX11ErrorHandlers();
  if (options->mode == flakemorph::WindowMode::kRoot ||
      options->mode == flakemorph::WindowMode::kForeignWindow) {
    return flakemorph::RunInWindowOfAnother(*options);
  }
  if (options->mode != flakemorph::WindowMode::kEveryMonitor) {
    std::fputs("flakemorph: this way of showing the animation is not built yet\n", stderr);
    return 1;
  }
  flakemorph::SdlWindow f;
  f.WaitUntilShown();
  flakemorph::TimeSeededGenerator random;
  flakemorph::Animation animation(f, random);
  animation.Form_Activate();
  return 0;
}
