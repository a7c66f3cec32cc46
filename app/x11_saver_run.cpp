#include "app/x11_saver_run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "animation/animation.h"
#include "app/sdl_window.h"
#include "app/window_target.h"
#include "app/x11_foreign_window.h"
#include "figures/random_source.h"

namespace flakemorph {
namespace {

constexpr int kUsageErrorStatus = 2;

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

}  // namespace

int RunInWindowOfAnother(const ProgramOptions& options) {
  const TargetChoice choice = ChooseWindowTarget(options, std::getenv("XSCREENSAVER_WINDOW"));
  if (!choice.error.empty()) {
    std::fprintf(stderr, "flakemorph: %s\n", choice.error.c_str());
    return kUsageErrorStatus;
  }
  TakeSaverSignals();
  X11ForeignWindow foreign(choice.target);
  SdlWindow f(foreign);
  TimeSeededGenerator random;
  Animation animation(f, random);
  animation.Form_Activate();
  return 0;
}

}  // namespace flakemorph
