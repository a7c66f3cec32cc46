// Mixing values: reals, colours and their channels.
#pragma once

#include <cstdint>

#include "figures/records.h"

namespace flakemorph {

// (b - a) * t + a in double precision, rounded once to single. t is not clamped.
float LerpSingle(float a, float b, float t);

// Splits a colour value into red, green and blue (red the lowest byte). Values outside
// 0..16777215 split by truncating division: blue is not reduced, negatives stay negative.
void SplitColor(ColorValue color, std::int16_t& red, std::int16_t& green, std::int16_t& blue);

// Mixes two colours channel by channel: t = 0 gives a, t = 1 gives b.
ColorValue BlendColor(ColorValue a, ColorValue b, float t);

// red + 256 * green + 65536 * blue; a channel above 255 counts as 255, below 0 as 0.
ColorValue RGB(std::int32_t red, std::int32_t green, std::int32_t blue);

// Entry n (0..15) of the standard 16-colour palette.
ColorValue QBColor(std::int16_t n);

}  // namespace flakemorph
