#include "app/window_target.h"

#include <string_view>

#include "figures/quoted_text.h"

namespace flakemorph {

TargetChoice ChooseWindowTarget(const ProgramOptions& options, const char* xscreensaver_window) {
  TargetChoice choice;
  if (options.mode == WindowMode::kForeignWindow) {
    choice.target.id = options.window_id;
    return choice;
  }
  const std::string_view value = xscreensaver_window == nullptr ? "" : xscreensaver_window;
  if (value.find_first_not_of(" \t\n\r\v\f") == std::string_view::npos) return choice;
  if (const auto id = ParseWindowId(value)) {
    choice.target.id = *id;
  } else {
    choice.error = "XSCREENSAVER_WINDOW holds no window id (0x... or decimal): " +
                   QuotedText(value, "a value");
  }
  return choice;
}

}  // namespace flakemorph
