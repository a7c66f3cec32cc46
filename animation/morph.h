// One particle in one morph frame: blended between its old and new points, thrown onto a
// shell that swells and shrinks over the morph, and shifted with the wander.
#pragma once

#include <cstdint>

#include "animation/wander.h"
#include "figures/random_source.h"
#include "figures/records.h"

namespace flakemorph {

// The eased fraction 1 - cos^4(c / frames * pi / 2): slow to leave the old figure, half-way
// at c = 36 or 37 of 100, exactly 1 at c = frames.
float MorphFraction(std::int16_t c, std::int16_t frames);

// The shell's radius at frame c: a raised cosine, 0 at both ends of the morph, peak in the middle.
std::int16_t ScatterRadiusAt(std::int16_t c, std::int16_t frames, std::int16_t peak);

// Moves particle n to fraction t of its way from the old figure (slot 1 - TargetSlot) to the
// new one, drifts its scatter angles (two random values, elevation first) and sets its screen
// position on the shell of radius form.ScatterRadius.
void MorphParticle(FormState& form, std::int16_t n, float t, RandomSource& random);

// The same with the frame's wander shift given: it is the same for all particles of a frame and
// costs two sines, so a frame works it out once.
void MorphParticle(FormState& form, std::int16_t n, float t, RandomSource& random,
                   const WanderShift& shift);

// Where the particle's circle centre lands: the blended offset, the shell and the wander.
void PlaceOnShell(const FormState& form, Particle& q);
void PlaceOnShell(const FormState& form, Particle& q, const WanderShift& shift);

struct CircleBox {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// The box of a circle of radius size around (x, y). Both edges of a pair share their fraction
// and round alike, so the box is always exactly 2 * size wide and high.
CircleBox BoxOfCircle(float x, float y, std::int16_t size);

}  // namespace flakemorph
