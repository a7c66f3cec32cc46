// Rounding and range-checked conversions. Every place that turns a double into a stored
// single, or a real into a 16- or 32-bit integer, goes through these helpers, so that the
// whole program rounds one way: to the nearest value, ties to the even one.
#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <numbers>

#include "figures/printf_format.h"

namespace flakemorph {

// Ends the program: prints "NAME: run-time error: <what>" on stderr, NAME being the program's
// own (flakemorph, flakemorph-trace), and exits with status 1, the status of every failure at
// run time. Used for the faults that should never happen in normal operation (an index out of
// range, an overflow, no memory for a page); printf-style so that no allocation is needed.
[[noreturn]] void FailRuntime(const char* format, ...) FLAKEMORPH_PRINTF_FORMAT(1, 2);

inline constexpr int kRuntimeFailureStatus = 1;

// π as the program knows it: the single 3.141593 (3.14159297943115 when widened).
inline constexpr float kPi = 3.141593F;

// A single entering double arithmetic; exact, but it marks where precision widens.
inline double Widened(float value) {
  return static_cast<double>(value);
}
// A double handed to Widened would first be rounded to a single, silently: a value meant to be
// held in double precision would lose it, and one meant to be stored as a single would seem
// to be kept wide. Either way the place must say which it is.
template <typename Wide>
requires std::same_as<Wide, double> || std::same_as<Wide, long double>
double Widened(Wide value) = delete;

// Rounds a double to the nearest single. A finite value too large for a single, or a NaN,
// is a floating-point fault and ends the program.
inline float Single(double value) {
  const float single = static_cast<float>(value);
  if (std::isnan(value) || (std::isinf(single) && !std::isinf(value))) {
    FailRuntime("floating-point overflow or invalid operation (%g to single)", value);
  }
  return single;
}

// std::nearbyint without its call, which every circle of a frame would pay four times: adding
// and taking away 2^52 leaves no bits below the units, so the sum is rounded to an integer in
// the current rounding mode (ties to the even one), as nearbyint rounds. Values of 2^52 and
// more are integers already; a NaN stays a NaN. Only the sign of a zero may differ, which no
// integer keeps.
inline double RoundedToInteger(double value) {
  constexpr double kUnitsBelow = 4503599627370496.0;  // 2^52
  if (!(std::abs(value) < kUnitsBelow)) return value;
  const double shift = std::copysign(kUnitsBelow, value);
  return (value + shift) - shift;
}

// Nearest integer, ties to the even one (the default rounding mode), into 16 bits.
inline std::int16_t Nearest16(double value) {
  const double rounded = RoundedToInteger(value);
  if (!(rounded >= INT16_MIN && rounded <= INT16_MAX)) {
    FailRuntime("overflow: %.17g does not fit in a 16-bit integer", value);
  }
  return static_cast<std::int16_t>(rounded);
}

// Nearest integer, ties to the even one, into 32 bits.
inline std::int32_t Nearest32(double value) {
  const double rounded = RoundedToInteger(value);
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) {
    FailRuntime("overflow: %.17g does not fit in a 32-bit integer", value);
  }
  return static_cast<std::int32_t>(rounded);
}

// The integer part toward minus infinity, into 16 bits.
inline std::int16_t Floor16(double value) {
  return Nearest16(std::floor(value));
}

// What the readers of the ever-growing phases repeat after: sine and cosine a whole turn, a
// squared sine half of one. These are the true periods, not the program's single π.
inline constexpr double kWholeTurn = 2 * std::numbers::pi;
inline constexpr double kHalfTurn = std::numbers::pi;

// Up to this magnitude a single still resolves an angle to 1/256 of a radian. No phase gets
// here within the first hour of a run, so that hour is the same, bit for bit, with or without
// the bound.
inline constexpr float kPhaseBound = 32768.0F;

float AdvanceBoundedPhase(float phase, double step, double period);

// phase + step, in double, stored as a single: the running sum of a phase that grows without
// end. A sum that would reach kPhaseBound in magnitude first loses whole periods of what reads
// it, so that the angle read stays the same to within a single's precision and a long run's
// steps are not rounded away. The sign stays and a phase never becomes 0 on the way: a
// scatter azimuth steps in the direction of its sign and would stand still at 0.
inline float AdvancePhase(float phase, double step, double period) {
  if (std::abs(phase) < kPhaseBound) {
    const float advanced = Single(Widened(phase) + step);
    if (std::abs(advanced) < kPhaseBound) return advanced;
  }
  return AdvanceBoundedPhase(phase, step, period);
}

// 16-bit integer arithmetic is overflow-checked: results are computed wide and narrowed here.
inline std::int16_t Checked16(std::int32_t value) {
  if (value < INT16_MIN || value > INT16_MAX) {
    FailRuntime("overflow: %d does not fit in a 16-bit integer", value);
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace flakemorph
