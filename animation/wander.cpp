#include "animation/wander.h"

#include <cmath>

#include "figures/numbers.h"

namespace flakemorph {
namespace {

constexpr float kClockStep = 0.1F;
constexpr float kRateX = 0.05F;
constexpr float kRateY = 0.03F;
constexpr double kReachX = 150;  // half the width of the path, in pixels
constexpr double kReachY = 100;

}  // namespace

// The phases grow by the squared sine of a randomly advancing clock, so the picture speeds up
// and slows down but never turns back along its path.
void StepWander(FormState& form, RandomSource& random) {
  // The clock is read as a squared sine, which repeats after half a turn.
  form.WanderClock =
      AdvancePhase(form.WanderClock, Widened(random.Next()) * Widened(kClockStep), kHalfTurn);
  const float swell = Single(std::pow(std::sin(Widened(form.WanderClock)), 2));
  form.WanderPhaseX = AdvancePhase(form.WanderPhaseX, Widened(swell) * Widened(kRateX), kWholeTurn);
  form.WanderPhaseY = AdvancePhase(form.WanderPhaseY, Widened(swell) * Widened(kRateY), kWholeTurn);
}

double WanderShiftX(const FormState& form) {
  return std::sin(Widened(form.WanderPhaseX)) * kReachX;
}

double WanderShiftY(const FormState& form) {
  return std::sin(Widened(form.WanderPhaseY)) * kReachY;
}

WanderShift CurrentWanderShift(const FormState& form) {
  return {WanderShiftX(form), WanderShiftY(form)};
}

}  // namespace flakemorph
