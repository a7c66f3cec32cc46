#include "figures/decimal_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <version>

namespace flakemorph {
namespace {

// strto* skip blanks and take a '+' and hexadecimal, which from_chars does not: only what
// from_chars would begin to read goes to them. Both read "inf", "infinity" and "nan" alike.
bool IsInfinityOrNan(std::string_view text) {
  const auto starts = [text](std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if ((text[i] | 0x20) != word[i]) return false;
    }
    return true;
  };
  return starts("inf") || starts("nan");
}

bool StartsAsFromChars(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  if (IsInfinityOrNan(text)) return true;
  if (text.starts_with('.')) text.remove_prefix(1);
  return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

// Only the characters a decimal can have go to strto*, so that "0x1" is read as 0, stopping at
// the x, as from_chars reads it; the copy also gives them the terminating zero they need. Out
// of range is a result too large for the type or one that is not zero but rounds to zero; like
// from_chars, it leaves the value as it was.
template <typename Real, typename Parse>
std::from_chars_result ReadWith(const char* first, const char* last, Real& value, Parse parse) {
  const std::string_view whole(first, static_cast<std::size_t>(last - first));
  if (!StartsAsFromChars(whole)) return {first, std::errc::invalid_argument};
  const bool word = IsInfinityOrNan(whole.substr(whole.starts_with('-') ? 1 : 0));
  const std::string text(word ? whole
                              : whole.substr(0, whole.find_first_not_of("0123456789.eE+-")));
  char* stop = nullptr;
  errno = 0;
  const Real parsed = parse(text.c_str(), &stop);
  const char* end = first + (stop - text.c_str());
  if (errno == ERANGE && (std::isinf(parsed) || parsed == 0)) {
    return {end, std::errc::result_out_of_range};
  }
  value = parsed;
  return {end, std::errc()};
}

}  // namespace

std::from_chars_result ReadRealThroughC(const char* first, const char* last, double& value) {
  return ReadWith(first, last, value,
                  [](const char* text, char** stop) { return std::strtod(text, stop); });
}

std::from_chars_result ReadRealThroughC(const char* first, const char* last, float& value) {
  return ReadWith(first, last, value,
                  [](const char* text, char** stop) { return std::strtof(text, stop); });
}

#ifdef __cpp_lib_to_chars

std::from_chars_result ReadReal(const char* first, const char* last, double& value) {
  return std::from_chars(first, last, value);
}

std::from_chars_result ReadReal(const char* first, const char* last, float& value) {
  return std::from_chars(first, last, value);
}

#else

std::from_chars_result ReadReal(const char* first, const char* last, double& value) {
  return ReadRealThroughC(first, last, value);
}

std::from_chars_result ReadReal(const char* first, const char* last, float& value) {
  return ReadRealThroughC(first, last, value);
}

#endif

std::optional<std::uint64_t> ReadTimeOfDay(std::string_view text) {
  constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
  constexpr std::uint64_t kSecondsPerDay = 86'400;
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() || whole.size() > 5 || (point != std::string_view::npos && fraction.empty())) {
    return std::nullopt;
  }
  std::uint64_t seconds = 0;
  for (const char digit : whole) {
    if (digit < '0' || digit > '9') return std::nullopt;
    seconds = seconds * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  if (seconds >= kSecondsPerDay) return std::nullopt;
  std::uint64_t nanoseconds = 0;
  std::uint64_t scale = kNanosecondsPerSecond;
  for (const char digit : fraction) {
    if (digit < '0' || digit > '9') return std::nullopt;
    scale /= 10;
    nanoseconds += scale * static_cast<std::uint64_t>(digit - '0');
  }
  return seconds * kNanosecondsPerSecond + nanoseconds;
}

}  // namespace flakemorph
