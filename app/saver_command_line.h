// The command line Windows gives a screen saver (a .scr file): "/s" to run it, "/p HWND" or
// "/p:HWND" to preview it inside a window of the settings dialog, "/c" or "/c:HWND" for its
// own settings, "/a" to change a password (only older Windows), and "/?" for its help. Letters
// in either case, and "-" in place of "/". A saver started with no argument at all (a
// double-click on the file) shows its settings.
#pragma once

#include <string>

#include "app/options.h"
#include "platform/saver_settings.h"

namespace flakemorph {

struct SaverCommand {
  enum class Action { kRun, kPreview, kSettings, kPassword, kHelp };
  Action action = Action::kRun;
  // The window to preview in (kPreview) or to own the settings dialog (kSettings; 0: none).
  WindowId window = 0;
};

// What a command line is to a screen saver: one of its commands; a switch written wrong (the
// error then says what is wrong with it, in one line, in the words of Windows' switches); or
// none at all, when the arguments are the program's own options ("--window", "-fps").
struct SaverCommandLine {
  enum class Kind { kCommand, kOptions, kError };
  Kind kind = Kind::kOptions;
  SaverCommand command;
  std::string error;
};

SaverCommandLine ParseSaverCommandLine(int argc, const char* const* argv);

// The options of a saver run (kRun or kPreview) with those settings; a rate outside what the
// program takes is brought inside it.
ProgramOptions SaverRunOptions(const SaverCommand& command, const SaverSettings& settings);

// What a Windows user needs to know: the switches, the settings and where they are kept, and
// the options that work on Windows. A tab separates a switch from what it does.
const char* WindowsHelpText();

// The lines after a wrong command line, pointing to the help.
const char* WindowsUsageHint();

}  // namespace flakemorph
