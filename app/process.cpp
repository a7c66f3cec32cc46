#include "app/process.h"

#ifdef _WIN32

// Windows stops its savers with window messages, and a saver started by Windows has no
// standard streams to speak of: nothing to settle.
namespace flakemorph {

ClosedStreams OpenClosedStandardStreams() {
  return {};
}

void TakeEndingSignals(int /*grace_milliseconds*/) {}

int EndingSignalDescriptor() {
  return -1;
}

bool TakeEndingSignal() {
  return false;
}

void TakeSaverSignals() {}

}  // namespace flakemorph

#else

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "figures/numbers.h"

namespace flakemorph {
namespace {

// Signal handlers have no room for a context of their own: the pipe they write to and the
// timer of the last resort are the process's, kept here.
int signal_pipe[2] = {-1, -1};
timer_t last_resort{};
bool last_resort_made = false;
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

// A full pipe already says that a signal came.
void OnEndingSignal(int /*signal_number*/) {
  const int saved = errno;
  if (last_resort_made) ArmLastResort();
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signal_pipe[1], &byte, 1);
  errno = saved;
}

// Status 0, as for the signal answered in order; stderr is unbuffered, and nothing else is
// left to write.
void OnGraceOver(int /*signal_number*/) {
  _exit(0);
}

void MakeLastResort(int grace_milliseconds) {
  grace = {grace_milliseconds / 1000, static_cast<long>(grace_milliseconds % 1000) * 1'000'000};
  struct sigaction on_alarm {};
  on_alarm.sa_handler = OnGraceOver;
  sigemptyset(&on_alarm.sa_mask);
  sigaction(SIGALRM, &on_alarm, nullptr);
  sigevent alarm{};
  alarm.sigev_notify = SIGEV_SIGNAL;
  alarm.sigev_signo = SIGALRM;
  last_resort_made = timer_create(CLOCK_MONOTONIC, &alarm, &last_resort) == 0;
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

void TakeEndingSignals(int grace_milliseconds) {
  if (signal_pipe[0] >= 0) return;
  if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    FailRuntime("cannot take signals: %s", std::strerror(errno));
  }
  MakeLastResort(grace_milliseconds);
  struct sigaction ending {};
  ending.sa_handler = OnEndingSignal;
  ending.sa_flags = SA_RESTART;
  sigemptyset(&ending.sa_mask);
  sigset_t both;
  sigemptyset(&both);
  for (const int signal_number : {SIGINT, SIGTERM}) {
    sigaction(signal_number, &ending, nullptr);
    sigaddset(&both, signal_number);
  }
  sigprocmask(SIG_UNBLOCK, &both, nullptr);
}

int EndingSignalDescriptor() {
  return signal_pipe[0];
}

bool TakeEndingSignal() {
  if (signal_pipe[0] < 0) return false;
  bool came = false;
  char bytes[16];
  while (read(signal_pipe[0], bytes, sizeof bytes) > 0) came = true;
  return came;
}

void TakeSaverSignals() {
  std::signal(SIGUSR1, SIG_IGN);
}

}  // namespace flakemorph

#endif
