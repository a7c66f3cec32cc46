#include "app/frame_pacer.h"

#include <ctime>

namespace flakemorph {
namespace {

constexpr int kDefaultRefreshHz = 60;

Nanoseconds ReadClock(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<Nanoseconds>(now.tv_sec) * kSecond + now.tv_nsec;
}

}  // namespace

Nanoseconds MonotonicClock::Now() {
  return ReadClock(CLOCK_MONOTONIC);
}

Nanoseconds ProcessCpuTime() {
  return ReadClock(CLOCK_PROCESS_CPUTIME_ID);
}

Nanoseconds RefreshPeriod(int refresh_hz) {
  const int hz = refresh_hz > 0 ? refresh_hz : kDefaultRefreshHz;
  return kSecond / hz;
}

bool PresentationWaits(Nanoseconds elapsed, int presents, Nanoseconds period) {
  return elapsed * 4 >= static_cast<Nanoseconds>(presents) * period * 3;
}

FramePacer::FramePacer(PacingClock& clock, Nanoseconds period) : clock_(clock), period_(period) {}

Nanoseconds FramePacer::TakeDeadline() {
  const Nanoseconds now = clock_.Now();
  if (!started_ || now - next_ > period_) {
    started_ = true;
    next_ = now;
  }
  const Nanoseconds deadline = next_;
  next_ += period_;
  return deadline;
}

std::optional<FrameRate> FrameMeter::CountFrame(Nanoseconds now, Nanoseconds cpu) {
  if (!started_) {
    started_ = true;
    start_ = now;
    cpu_start_ = cpu;
    return std::nullopt;
  }
  ++frames_;
  const Nanoseconds elapsed = now - start_;
  if (elapsed < kSecond) return std::nullopt;
  const FrameRate rate{
      static_cast<double>(frames_) * kSecond / static_cast<double>(elapsed),
      100.0 * static_cast<double>(cpu - cpu_start_) / static_cast<double>(elapsed)};
  start_ = now;
  cpu_start_ = cpu;
  frames_ = 0;
  return rate;
}

}  // namespace flakemorph
