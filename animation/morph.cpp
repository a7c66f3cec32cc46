#include "animation/morph.h"

#include <cmath>

#include "animation/wander.h"
#include "figures/colour.h"
#include "figures/numbers.h"

namespace flakemorph {
namespace {

double Sign(float value) {
  return value > 0 ? 1.0 : (value < 0 ? -1.0 : 0.0);
}

// The angles drift at random, the azimuth always away from zero in the direction of its sign
// and mostly by little, since the square weighs small draws.
void DriftScatterAngles(const FormState& form, Particle& q, RandomSource& random) {
  q.ScatterElevation = AdvancePhase(
      q.ScatterElevation, Widened(random.Next()) * Widened(form.ElevationStep), kWholeTurn);
  const double draw = Widened(random.Next());
  q.ScatterAzimuth = AdvancePhase(
      q.ScatterAzimuth, std::pow(draw, 2) * Widened(form.AzimuthStep) * Sign(q.ScatterAzimuth),
      kWholeTurn);
}

}  // namespace

float MorphFraction(std::int16_t c, std::int16_t frames) {
  const double angle = static_cast<double>(c) / static_cast<double>(frames) * Widened(kPi) / 2;
  return Single(1 - std::pow(std::cos(angle), 4));
}

std::int16_t ScatterRadiusAt(std::int16_t c, std::int16_t frames, std::int16_t peak) {
  const std::int16_t from_middle = Checked16(Checked16(2 * c) - frames);
  const double angle =
      static_cast<double>(from_middle) / static_cast<double>(frames) * Widened(kPi);
  return Nearest16((std::cos(angle) + 1) * static_cast<double>(peak) / 2);
}

void MorphParticle(FormState& form, std::int16_t n, float t, RandomSource& random) {
  MorphParticle(form, n, t, random, CurrentWanderShift(form));
}

void MorphParticle(FormState& form, std::int16_t n, float t, RandomSource& random,
                   const WanderShift& shift) {
  const FigurePoint& from = form.Figures[1 - form.TargetSlot].Points[n];
  const FigurePoint& to = form.Figures[form.TargetSlot].Points[n];
  Particle& q = form.Particles[n];
  q.OffsetX = LerpSingle(from.X, to.X, t);
  q.OffsetY = LerpSingle(from.Y, to.Y, t);
  q.Size = Nearest16(LerpSingle(static_cast<float>(from.Size), static_cast<float>(to.Size), t));
  DriftScatterAngles(form, q, random);
  PlaceOnShell(form, q, shift);
  q.Color = BlendColor(from.Color, to.Color, t);
}

// The shell point is a point on a sphere around the blended position, seen from the front:
// the cosine of the elevation shortens the radius on screen.
void PlaceOnShell(const FormState& form, Particle& q) {
  PlaceOnShell(form, q, CurrentWanderShift(form));
}

void PlaceOnShell(const FormState& form, Particle& q, const WanderShift& shift) {
  const double azimuth = Widened(q.ScatterAzimuth);
  const double elevation_cos = std::cos(Widened(q.ScatterElevation));
  const double radius = form.ScatterRadius;
  q.ScreenX = Single(Widened(form.CenterX) + Widened(q.OffsetX) +
                     std::cos(azimuth) * elevation_cos * radius + shift.x);
  q.ScreenY = Single(Widened(form.CenterY) + Widened(q.OffsetY) +
                     std::sin(azimuth) * elevation_cos * radius + shift.y);
}

CircleBox BoxOfCircle(float x, float y, std::int16_t size) {
  const double radius = size;
  return {Nearest32(Widened(x) - radius), Nearest32(Widened(y) - radius),
          Nearest32(Widened(x) + radius), Nearest32(Widened(y) + radius)};
}

}  // namespace flakemorph
