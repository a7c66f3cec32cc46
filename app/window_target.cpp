#include "app/window_target.h"

#include <string_view>

#include "common/text.h"
#include "figures/quoted_text.h"

namespace flakemorph {

TargetChoice ChooseWindowTarget(const ProgramOptions& options, const char* xscreensaver_window) {
  TargetChoice choice;
  if (options.mode == WindowMode::kForeignWindow) {
    choice.window = options.window_id;
    return choice;
  }
  const std::string_view value = xscreensaver_window == nullptr ? "" : xscreensaver_window;
  if (Trimmed(value).empty()) return choice;
  if (const auto id = ParseWindowId(value)) {
    choice.window = *id;
  } else {
    choice.error = "XSCREENSAVER_WINDOW holds no window id (0x... or decimal): " +
                   QuotedText(value, "a value");
  }
  return choice;
}

}  // namespace flakemorph
