// One headless run: start-up and a counted number of frames of the real animation on pages
// in memory, with the logs and pictures the options ask for.
#pragma once

#include "tools/trace/options.h"

namespace flakemorph::trace {

// A run that could not be done or finished: too large for memory, a bad random file, a log or
// picture that could not be written.
inline constexpr int kRunFailedStatus = 1;

// Returns the exit status, 0 or kRunFailedStatus, having said why on stderr.
int RunTrace(const TraceOptions& options);

}  // namespace flakemorph::trace
