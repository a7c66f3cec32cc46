#include "common/text.h"

#include <charconv>

namespace flakemorph {

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\r\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::optional<std::uint64_t> ParseDigits(std::string_view text, int base, std::uint64_t largest) {
  // from_chars would take a minus sign for a signed type only, but stays safe: no sign at all.
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (error != std::errc{} || stop != end || value > largest) return std::nullopt;
  return value;
}

std::optional<int> ParseWhole(std::string_view text, int lowest, int highest) {
  const auto value = ParseDigits(text, 10, static_cast<std::uint64_t>(highest));
  if (!value || *value < static_cast<std::uint64_t>(lowest)) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<Size> ParseSize(std::string_view text, std::int32_t largest) {
  const std::size_t cross = text.find_first_of("xX");
  if (cross == std::string_view::npos || largest < 1) return std::nullopt;
  const auto limit = static_cast<std::uint64_t>(largest);
  const auto width = ParseDigits(text.substr(0, cross), 10, limit);
  const auto height = ParseDigits(text.substr(cross + 1), 10, limit);
  if (!width || !height || *width == 0 || *height == 0) return std::nullopt;
  return Size{static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height)};
}

}  // namespace flakemorph
