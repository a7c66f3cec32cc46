// One headless run: start-up and a counted number of frames of the real animation on pages
// in memory, with the logs and pictures the options ask for.
#pragma once

#include "tools/trace/options.h"

namespace flakemorph::trace {

// Returns the exit status: 0, or 1 when a picture or the log could not be written. Faults
// inside the animation (a bad or exhausted random file among them) end the program there.
int RunTrace(const TraceOptions& options);

}  // namespace flakemorph::trace
