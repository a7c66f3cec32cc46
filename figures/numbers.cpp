#include "figures/numbers.h"

#include <cmath>
#include <cstdarg>

#include "common/fail.h"

namespace flakemorph {

void FailRuntime(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  FailWith(kRuntimeFailureStatus, "run-time error: ", format, arguments);
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
