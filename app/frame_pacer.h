// Frame pacing and the once-a-second frame rate of the program. Its clock is given, so that the
// timing rules can be tested with a clock of the tests' own.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/window_system.h"

namespace flakemorph {

// A monotonic clock.
class PacingClock {
 public:
  virtual ~PacingClock() = default;
  virtual Nanoseconds Now() = 0;
};

class MonotonicClock final : public PacingClock {
 public:
  Nanoseconds Now() override;
};

// The CPU time used so far by all threads of this process.
Nanoseconds ProcessCpuTime();

// One refresh period of a display mode that reports refresh_hz; a mode that reports no rate
// (as virtual X servers do) counts as 60 Hz.
Nanoseconds RefreshPeriod(int refresh_hz);

// Whether `presents` presentations in a row, which took `elapsed` in all, waited for the
// display's refresh. A quarter of a period is left as slack for a display that runs a little
// fast or a first present that returns early.
bool PresentationWaits(Nanoseconds elapsed, int presents, Nanoseconds period);

// Holds frames to one per period, on absolute deadlines so that the time spent drawing does
// not add up to drift. A frame that is late by less than a period goes at once and the next
// one keeps the original rhythm; one later than that starts a new rhythm instead of letting a
// burst of frames catch up.
class FramePacer {
 public:
  FramePacer(PacingClock& clock, Nanoseconds period);

  // This frame's deadline, which the caller waits for in its own way; the first frame's is now.
  Nanoseconds TakeDeadline();

 private:
  PacingClock& clock_;
  Nanoseconds period_;
  Nanoseconds next_ = 0;
  bool started_ = false;
};

// The frames shown over about a second and the process's CPU time over it as a share of one
// core.
struct FrameRate {
  double fps = 0;
  double cpu_percent = 0;
};

// Counts frames and measures, once a second, the rate and the load of the second just past.
class FrameMeter {
 public:
  // A frame was shown at `now`, when the process had used `cpu` of CPU time; gives the rate
  // when this frame ends a second.
  std::optional<FrameRate> CountFrame(Nanoseconds now, Nanoseconds cpu);

 private:
  bool started_ = false;
  Nanoseconds start_ = 0;
  Nanoseconds cpu_start_ = 0;
  std::int64_t frames_ = 0;
};

}  // namespace flakemorph
