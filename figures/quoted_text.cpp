#include "figures/quoted_text.h"

#include <cstdio>

namespace flakemorph {

std::string QuotedText(std::string_view text, std::string_view what) {
  constexpr std::size_t kShown = 40;
  std::string quoted = "\"";
  for (const char c : text.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte > 0x7E) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  if (text.size() > kShown) {
    quoted += "... (";
    quoted += what;
    quoted += " of " + std::to_string(text.size()) + " bytes)";
  }
  return quoted;
}

}  // namespace flakemorph
