#include "app/saver_signals.h"

#include <csignal>

namespace flakemorph {

void TakeSaverSignals() {
#ifndef _WIN32
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGUSR1, SIG_IGN);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_UNBLOCK, &ending, nullptr);
#endif
}

}  // namespace flakemorph
