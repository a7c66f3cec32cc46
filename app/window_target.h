// Which window --root and --window-id draw into.
#pragma once

#include <string>

#include "app/options.h"

namespace flakemorph {

// The target, or an error in one line (without the program's name) when
// `xscreensaver_window`, the value of XSCREENSAVER_WINDOW or null when it is unset, holds no
// window id.
struct TargetChoice {
  WindowId window = 0;  // 0: the root window of the display
  std::string error;
};

// --window-id wins; --root takes XSCREENSAVER_WINDOW when it holds anything but blanks, and the
// root window otherwise. Only for the modes kRoot and kForeignWindow.
TargetChoice ChooseWindowTarget(const ProgramOptions& options, const char* xscreensaver_window);

}  // namespace flakemorph
