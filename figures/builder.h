#pragma once

#include <cstdint>

#include "figures/random_source.h"
#include "figures/records.h"

namespace flakemorph {

// Generates a new random figure into form.Figures[slot] (slot 0 or 1), re-seeding the random
// source first, and sets form.BodyRadius and form.RimWidth from form.CenterY.
void BuildFigure(FormState& form, std::int16_t slot, RandomSource& random);

}  // namespace flakemorph
