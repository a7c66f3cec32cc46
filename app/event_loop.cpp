#include "app/event_loop.h"

#include <algorithm>
#include <array>

#include "app/process.h"

#ifdef _WIN32

#include <windows.h>

namespace flakemorph {

// Windows waits on its messages in its own way and has no descriptors to wait for: the wait
// only lets the time go by.
bool SignalWaiter::WaitFor(std::span<WatchedDescriptor> watched, Nanoseconds wait) {
  for (WatchedDescriptor& one : watched) one.readable = false;
  if (wait > 0) Sleep(static_cast<DWORD>(wait / 1'000'000));
  return false;
}

}  // namespace flakemorph

#else

#include <poll.h>

#include <cerrno>

#include "app/frame_pacer.h"

namespace flakemorph {

// A signal that interrupts the wait has written to its pipe before the wait returns, so the
// next round sees it at once.
bool SignalWaiter::WaitFor(std::span<WatchedDescriptor> watched, Nanoseconds wait) {
  const std::size_t count = std::min(watched.size(), kMostWatched);
  std::array<pollfd, kMostWatched + 1> polled{};
  for (std::size_t i = 0; i < count; ++i) polled[i] = {watched[i].descriptor, POLLIN, 0};
  polled[count] = {EndingSignalDescriptor(), POLLIN, 0};
  MonotonicClock clock;
  const Nanoseconds deadline = wait < 0 ? -1 : clock.Now() + wait;
  int ready = -1;
  for (;;) {
    const Nanoseconds left = deadline < 0 ? -1 : std::max<Nanoseconds>(deadline - clock.Now(), 0);
    const timespec limit{static_cast<time_t>(left / kSecond), static_cast<long>(left % kSecond)};
    ready = ppoll(polled.data(), count + 1, left < 0 ? nullptr : &limit, nullptr);
    if (ready >= 0 || errno != EINTR) break;
  }
  if (ready > 0 && polled[count].revents != 0 && TakeEndingSignal()) {
    input_.Take({InputKind::kEndingSignal});
  }
  bool any = false;
  for (std::size_t i = 0; i < watched.size(); ++i) {
    watched[i].readable = i < count && ready > 0 && polled[i].revents != 0;
    any = any || watched[i].readable;
  }
  return any;
}

}  // namespace flakemorph

#endif
