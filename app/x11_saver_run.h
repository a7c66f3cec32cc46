// Running inside a window of another program: --root and --window-id.
#pragma once

#include "app/options.h"

namespace flakemorph {

// Runs the animation in the window the options name until SIGINT or SIGTERM or the window's end;
// returns the program's exit status.
int RunInWindowOfAnother(const ProgramOptions& options);

}  // namespace flakemorph
