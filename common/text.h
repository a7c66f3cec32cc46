// Reading the few kinds of values that come from outside (the command line, the environment, X
// resources), the same way everywhere: whole numbers written in digits alone, and sizes WxH.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace flakemorph {

struct Size {
  std::int32_t width;
  std::int32_t height;
};

// Without the blanks (spaces, tabs, line ends) at either end.
std::string_view Trimmed(std::string_view text);

// Digits only, in the given base, no sign or blank, into a value no larger than `largest`.
std::optional<std::uint64_t> ParseDigits(std::string_view text, int base, std::uint64_t largest);

// A whole number from `lowest` to `highest` (both at least 0), in decimal digits alone.
std::optional<int> ParseWhole(std::string_view text, int lowest, int highest);

// "WxH" (either x in either case), each side a whole number from 1 to `largest`.
std::optional<Size> ParseSize(std::string_view text, std::int32_t largest);

}  // namespace flakemorph
