#include "app/process.h"

#ifdef _WIN32

// Windows stops its savers with window messages, and a saver started by Windows has no
// standard streams to speak of: nothing to settle.
namespace flakemorph {

ClosedStreams OpenClosedStandardStreams() {
  return {};
}

void TakeSaverSignals() {}

void EndSoonAfterEndingSignals(int /*grace_milliseconds*/) {}

}  // namespace flakemorph

#else

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

namespace flakemorph {
namespace {

// Signal handlers have no room for a context of their own: the handlers they stand in front
// of and the timer of the last resort are the process's, kept here.
struct sigaction previous_int {};
struct sigaction previous_term {};
timer_t last_resort{};
timespec grace{};

bool IsOpen(int descriptor) {
  return fcntl(descriptor, F_GETFD) != -1;
}

// Armed by the first signal only: a second one must not put the end off.
void ArmLastResort() {
  itimerspec left{};
  timer_gettime(last_resort, &left);
  if (left.it_value.tv_sec != 0 || left.it_value.tv_nsec != 0) return;
  const itimerspec once{{0, 0}, grace};
  timer_settime(last_resort, 0, &once, nullptr);
}

void OnEndingSignal(int signal_number) {
  ArmLastResort();
  const struct sigaction& previous = signal_number == SIGINT ? previous_int : previous_term;
  previous.sa_handler(signal_number);
}

// Status 0, as for the signal answered in order; stderr is unbuffered, and nothing else is
// left to write.
void OnGraceOver(int /*signal_number*/) {
  _exit(0);
}

// Stands in front of the handler the window system installed for the signal, if it did.
void Wrap(int signal_number, struct sigaction& previous) {
  sigaction(signal_number, nullptr, &previous);
  if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN ||
      (previous.sa_flags & SA_SIGINFO) != 0) {
    return;
  }
  struct sigaction wrapped = previous;
  wrapped.sa_handler = OnEndingSignal;
  sigaction(signal_number, &wrapped, nullptr);
}

}  // namespace

ClosedStreams OpenClosedStandardStreams() {
  ClosedStreams closed{!IsOpen(STDIN_FILENO), !IsOpen(STDOUT_FILENO), !IsOpen(STDERR_FILENO)};
  // open() takes the lowest free descriptor: each one fills the lowest gap, in order.
  for (int descriptor = 0; descriptor <= STDERR_FILENO; ++descriptor) {
    if (IsOpen(descriptor)) continue;
    const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != descriptor) {
      dup2(opened, descriptor);
      close(opened);
    }
  }
  return closed;
}

void TakeSaverSignals() {
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGUSR1, SIG_IGN);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_UNBLOCK, &ending, nullptr);
}

void EndSoonAfterEndingSignals(int grace_milliseconds) {
  grace = {grace_milliseconds / 1000, static_cast<long>(grace_milliseconds % 1000) * 1'000'000};
  struct sigaction on_alarm {};
  on_alarm.sa_handler = OnGraceOver;
  sigemptyset(&on_alarm.sa_mask);
  sigaction(SIGALRM, &on_alarm, nullptr);
  sigevent alarm{};
  alarm.sigev_notify = SIGEV_SIGNAL;
  alarm.sigev_signo = SIGALRM;
  if (timer_create(CLOCK_MONOTONIC, &alarm, &last_resort) != 0) return;
  Wrap(SIGINT, previous_int);
  Wrap(SIGTERM, previous_term);
}

}  // namespace flakemorph

#endif
