// Reals read from text, as std::from_chars reads them: plain decimal or scientific notation
// with no blanks or '+' before it, rounded to the nearest value. Where the C++ library has no
// floating-point from_chars (libc++ for WebAssembly), the C library's correctly rounded
// strtod and strtof stand in for it, with the same results.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace flakemorph {

std::from_chars_result ReadReal(const char* first, const char* last, double& value);
std::from_chars_result ReadReal(const char* first, const char* last, float& value);

// The stand-in through strtod and strtof, in every build, so that it can be held against
// from_chars where that exists.
std::from_chars_result ReadRealThroughC(const char* first, const char* last, double& value);
std::from_chars_result ReadRealThroughC(const char* first, const char* last, float& value);

// A time of day in seconds since midnight as written, e.g. "43200.25", from 0 to below 86400,
// into nanoseconds; read digit by digit, so that the same text always gives the same
// nanosecond and thus the same animation wherever it runs. Digits past the nanosecond are
// dropped. Nothing for anything else.
std::optional<std::uint64_t> ReadTimeOfDay(std::string_view text);

}  // namespace flakemorph
