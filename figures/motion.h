#pragma once

#include <cstdint>

#include "figures/records.h"

namespace flakemorph {

// Advances the figure in slot 0 or 1 by one motion step: its spin, lobe and pulse phases, and
// the current offset X, Y of each of its 360 points.
void StepFigure(FormState& form, std::int16_t slot);

}  // namespace flakemorph
