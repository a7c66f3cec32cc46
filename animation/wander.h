// The slow wander of the whole picture along a 5:3 Lissajous path around the window centre.
#pragma once

#include "figures/random_source.h"
#include "figures/records.h"

namespace flakemorph {

// Advances WanderClock by a random step and both wander phases by the clock's swell; takes
// one random value.
void StepWander(FormState& form, RandomSource& random);

// The picture's current shift from the window centre, in pixels.
double WanderShiftX(const FormState& form);
double WanderShiftY(const FormState& form);

// Both at once: the shift of every circle of a frame.
struct WanderShift {
  double x;
  double y;
};
WanderShift CurrentWanderShift(const FormState& form);

}  // namespace flakemorph
