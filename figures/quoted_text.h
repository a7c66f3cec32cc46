// Text from outside the program (a line of a file, a value on the command line, an environment
// variable), made safe to show on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace flakemorph {

// The text in double quotes, every byte outside printable ASCII written \xNN and the quote and
// the backslash escaped, so that no escape sequence or line break reaches the terminal; of a
// longer text only the first 40 bytes, followed by `... (WHAT of N bytes)`, WHAT being what
// the text is ("a line").
std::string QuotedText(std::string_view text, std::string_view what);

}  // namespace flakemorph
