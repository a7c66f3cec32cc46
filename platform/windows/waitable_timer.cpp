#include "platform/windows/waitable_timer.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace flakemorph {
namespace {

constexpr Nanoseconds kNanosecondsPerTimerUnit = 100;
constexpr Nanoseconds kNanosecondsPerMillisecond = 1'000'000;

}  // namespace

// Windows 10 (1803) and later time a high-resolution timer to well under a millisecond; older
// systems (and Wine) give an ordinary one, which then needs the system's timer at 1 ms.
WaitableTimer::WaitableTimer()
    : timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                    TIMER_ALL_ACCESS)),
      coarse_(timer_ == nullptr) {
  if (coarse_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    timeBeginPeriod(1);
  }
}

WaitableTimer::~WaitableTimer() {
  if (timer_ != nullptr) CloseHandle(timer_);
  if (coarse_) timeEndPeriod(1);
}

void WaitableTimer::WaitForMessage(Nanoseconds wait) {
  if (wait <= 0) return;
  LARGE_INTEGER due;
  due.QuadPart = -(wait / kNanosecondsPerTimerUnit);  // negative: from now
  if (timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
    // MWMO_INPUTAVAILABLE: messages already queued end the wait too, not only new ones.
    MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  } else {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait / kNanosecondsPerMillisecond),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace flakemorph
