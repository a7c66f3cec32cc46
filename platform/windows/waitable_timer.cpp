#include <windows.h>

#include "platform/windows/windows_window_system.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace flakemorph {
namespace {

constexpr Nanoseconds kNanosecondsPerTimerUnit = 100;

}  // namespace

// Windows 10 (1803) and later time a high-resolution timer to well under a millisecond; older
// systems and Wine give an ordinary one, which then needs the system's timer at 1 ms.
WaitableTimer::WaitableTimer() {
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
  if (timer_ == nullptr) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    timeBeginPeriod(1);
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  ticks_per_second_ = frequency.QuadPart;
}

WaitableTimer::~WaitableTimer() {
  if (timer_ != nullptr) CloseHandle(timer_);
}

Nanoseconds WaitableTimer::Now() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const long long seconds = now.QuadPart / ticks_per_second_;
  const long long rest = now.QuadPart % ticks_per_second_;
  return seconds * kSecond + rest * kSecond / ticks_per_second_;
}

void WaitableTimer::SleepUntil(Nanoseconds deadline) {
  const Nanoseconds wait = deadline - Now();
  if (wait <= 0) return;
  LARGE_INTEGER due;
  due.QuadPart = -(wait / kNanosecondsPerTimerUnit);  // negative: relative to now
  if (timer_ == nullptr || !SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
    Sleep(static_cast<DWORD>(wait / 1'000'000));
    return;
  }
  WaitForSingleObject(timer_, INFINITE);
}

}  // namespace flakemorph
