// What the program has to say, where a Windows user sees it. A screen saver has no console of
// its own: started from the Screen Saver settings, Explorer, Run or a shortcut, whatever it
// writes to stderr is lost, so it says it in a message box as well.
#pragma once

#include <string_view>

namespace flakemorph {

enum class MessageKind { kInformation, kError };

// Where the message box may go.
enum class BoxUse { kShown, kNone };

// Writes `text` on stderr when there is one (errors after "flakemorph: "; a tab in a line
// pads what is before it to a column) and, with kShown, shows it in a message box titled
// "flakemorph" until it is answered.
void SayToUser(std::string_view text, MessageKind kind, BoxUse box = BoxUse::kShown);

// Says the error and ends the program with `status`. A preview (/p) passes kNone: it has no
// one to answer a box, which would keep it running after the settings closed.
[[noreturn]] void FailWithMessage(std::string_view text, int status, BoxUse box = BoxUse::kShown);

// A screen saver is a program without a console of its own: started from a command prompt, it
// writes its messages (--help, errors, FLAKEMORPH_STATS) to that prompt's console instead,
// unless they are redirected already.
void UseParentConsole();

}  // namespace flakemorph
