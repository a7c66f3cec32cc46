// The command line Windows gives a screen saver (a .scr file): "/s" to run it, "/p HWND" or
// "/p:HWND" to preview it inside a window of the settings dialog, "/c" or "/c:HWND" for its
// own settings, "/a" to change a password (only older Windows). Letters in either case, and
// "-" in place of "/". A saver started with no argument at all (a double-click on the file)
// shows its settings.
#pragma once

#include <optional>

#include "app/options.h"
#include "platform/saver_settings.h"

namespace flakemorph {

struct SaverCommand {
  enum class Action { kRun, kPreview, kSettings, kPassword };
  Action action = Action::kRun;
  // The window to preview in (kPreview) or to own the settings dialog (kSettings; 0: none).
  WindowId window = 0;
};

// The screen saver's command, or nothing when the arguments are not one (they are then the
// program's own options). A preview without a window is not one either.
std::optional<SaverCommand> ParseSaverCommand(int argc, const char* const* argv);

// The options of a saver run (kRun or kPreview) with those settings; a rate outside what the
// program takes is brought inside it.
ProgramOptions SaverRunOptions(const SaverCommand& command, const SaverSettings& settings);

}  // namespace flakemorph
