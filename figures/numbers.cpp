#include "figures/numbers.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#ifndef _WIN32
#include <errno.h>  // program_invocation_short_name
#endif

namespace flakemorph {
namespace {

// The name the program was started by, without its folder or, on Windows, its extension.
std::string_view ProgramName() {
#ifdef _WIN32
  std::string_view name = __argv != nullptr && __argv[0] != nullptr ? __argv[0] : "flakemorph";
  name.remove_prefix(name.find_last_of("/\\") + 1);
  return name.substr(0, name.find_last_of('.'));
#else
  return program_invocation_short_name;
#endif
}

}  // namespace

void FailRuntime(const char* format, ...) {
  const std::string_view name = ProgramName();
  std::fprintf(stderr, "%.*s: run-time error: ", static_cast<int>(name.size()), name.data());
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  std::fflush(nullptr);
  std::_Exit(kRuntimeFailureStatus);
}

namespace {

// The remainder keeps the angle's sign; a remainder of 0 becomes one whole period, the same
// angle, so that the sign survives.
double WithoutWholePeriods(double angle, double period) {
  const double rest = std::fmod(angle, period);
  return rest != 0 ? rest : std::copysign(period, angle);
}

}  // namespace

// A phase that is already past the bound (set from outside a run) is brought back before the
// step, so that the step is added at full precision.
float AdvanceBoundedPhase(float phase, double step, double period) {
  double base = Widened(phase);
  if (std::abs(base) >= kPhaseBound) base = WithoutWholePeriods(base, period);
  const double sum = base + step;
  const float advanced = Single(sum);
  if (std::abs(advanced) < kPhaseBound) return advanced;
  return Single(WithoutWholePeriods(sum, period));
}

}  // namespace flakemorph
