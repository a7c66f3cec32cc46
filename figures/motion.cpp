#include "figures/motion.h"

#include <cmath>

#include "figures/numbers.h"

namespace flakemorph {

namespace {

void AdvancePhases(Figure& figure) {
  figure.Spin = Single(Widened(figure.Spin) + Widened(figure.SpinRate));
  figure.LobePhase = Single(Widened(figure.LobePhase) + Widened(figure.LobeRate));
  figure.PulsePhase = Single(Widened(figure.PulsePhase) + Widened(figure.PulseRate));
}

// Scales the point's radius by 1 + 0.2 sin(pulse) sin²(lobe angle), then turns it to x, y.
void PlacePoint(FigurePoint& point, float angle, const Figure& figure, double pulseSine) {
  const double lobeAngle =
      ((Widened(angle) + Widened(figure.LobePhase)) / 2.0) * static_cast<double>(figure.LobeCount);
  const double swell = std::pow(std::sin(lobeAngle), 2.0) * pulseSine * Widened(0.2F) + 1.0;
  const float radius = Single(swell * Widened(point.Radius));
  point.X = Single(std::cos(Widened(angle)) * Widened(radius));
  point.Y = Single(std::sin(Widened(angle)) * Widened(radius));
}

// How many times slower than the arms a halo point turns: 1 at the halo's inner edge, nearly
// 3 at its outer edge. A window without height has no body, and its halo turns with the arms.
double HaloLag(const FormState& form, float radius) {
  if (form.BodyRadius == 0.0) return 1.0;
  return 1.0 + (((Widened(radius) - form.BodyRadius) - form.RimWidth) / form.BodyRadius) * 2.0;
}

}  // namespace

void StepFigure(FormState& form, std::int16_t slot) {
  Figure& figure = form.Figures[slot];
  const int armPointCount = figure.ArmPointCount;
  AdvancePhases(figure);
  const double pulseSine = std::sin(Widened(figure.PulsePhase));
  for (int n = 1; n <= armPointCount; ++n) {
    FigurePoint& point = figure.Points[n];
    PlacePoint(point, Single(Widened(point.Angle) + Widened(figure.Spin)), figure, pulseSine);
  }
  for (int n = armPointCount + 1; n <= kPointCount; ++n) {
    FigurePoint& point = figure.Points[n];
    const double lag = HaloLag(form, point.Radius);
    PlacePoint(point, Single(Widened(point.Angle) + Widened(figure.Spin) / lag), figure, pulseSine);
  }
}

}  // namespace flakemorph
