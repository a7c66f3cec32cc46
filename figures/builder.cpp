#include "figures/builder.h"

#include <algorithm>
#include <cmath>

#include "figures/colour.h"
#include "figures/numbers.h"

namespace flakemorph {

namespace {

// What one build derives from its arm count and the window height.
struct ArmLayout {
  std::int16_t armCount = 0;
  float halfSector = 0;  // half the angular width of one sector
  std::int16_t sizeDivisor = 1;
  std::int16_t ringCount = 0;
};

// The values shared by every point of one ring, in every sector.
struct Ring {
  std::int16_t index = 0;
  double offset = 0;  // angular distance of the ring's points from their sector's borders
  std::int16_t radius = 0;
  std::int16_t size = 0;
  ColorValue tipColor = 0;
  float coreFactor = 0;  // how far the ring's colour has moved from the core toward the tip
};

void CheckSlot(std::int16_t slot) {
  if (slot != 0 && slot != 1) FailIndex(slot, 0, 1);
}

void SetBodyGeometry(FormState& form) {
  form.BodyRadius = form.CenterY * 0.8;
  form.RimWidth = Nearest16(form.CenterY * 0.1);
}

double RimRadius(const FormState& form) {
  return form.BodyRadius + form.RimWidth;
}

// Below a CenterY of 12 the divisor would be 0; held at 1, tiny windows still get finite sizes.
ArmLayout LayOutArms(const FormState& form, std::int16_t armCount) {
  ArmLayout layout;
  layout.armCount = armCount;
  layout.halfSector = Single(Widened(kPi) / armCount);
  layout.sizeDivisor = std::max<std::int16_t>(Nearest16(RimRadius(form) / 20.0), 1);
  layout.ringCount = Checked16(Floor16(360.0 / armCount / 2.0) - 12);
  return layout;
}

// Red fades toward 55 with the fifth power of its draw, green and blue with the cube, so
// core colours lean to warm, pale tints.
ColorValue DrawCoreColor(RandomSource& random) {
  const std::int16_t red = Nearest16(255.0 - 200.0 * std::pow(Widened(random.Next()), 5.0));
  const std::int16_t green = Nearest16(255.0 - 200.0 * std::pow(Widened(random.Next()), 3.0));
  const std::int16_t blue = Nearest16(255.0 - 200.0 * std::pow(Widened(random.Next()), 3.0));
  return RGB(red, green, blue);
}

ColorValue DrawTipColor(RandomSource& random) {
  return QBColor(Nearest16(6.0 * Widened(random.Next()) + 1.0));
}

// A rate within ±0.05 per step; its scale is the single 0.1, widened, not the double 0.1.
float DrawSlowRate(RandomSource& random) {
  return Single((Widened(random.Next()) - 0.5) * Widened(0.1F));
}

void DrawColours(Figure& figure, RandomSource& random) {
  figure.CoreColorA = DrawCoreColor(random);
  figure.CoreColorB = DrawCoreColor(random);
  figure.TipColorA = DrawTipColor(random);
  figure.TipColorB = DrawTipColor(random);
}

// The spin continues from the figure the morph starts from, so the rotation never jumps.
void DrawMotion(Figure& figure, float otherSpin, RandomSource& random) {
  figure.LobeCount = Nearest16(2.0 * Widened(random.Next()) + 2.0);
  figure.Spin = otherSpin;
  figure.SpinRate = Single((Widened(random.Next()) - 0.5) * 0.25);
  figure.LobePhase = Single(Widened(random.Next()) * Widened(kPi));
  figure.LobeRate = DrawSlowRate(random);
  figure.PulseRate = DrawSlowRate(random);
}

// Squaring the draw crowds the rings toward the sector borders, which become the visible arms.
Ring DrawRing(const FormState& form, const Figure& figure, const ArmLayout& layout,
              std::int16_t index, RandomSource& random) {
  Ring ring;
  ring.index = index;
  const double spread = std::pow(Widened(random.Next()), 2.0) * 0.9 + 0.1;
  ring.offset = spread * Widened(layout.halfSector);
  const double evenRadius = (static_cast<double>(index) / layout.ringCount) * RimRadius(form);
  ring.radius = Nearest16(evenRadius + (Widened(random.Next()) - 0.5) * 10.0);
  ring.size = Nearest16(static_cast<double>(ring.radius) / layout.sizeDivisor + 1.0);
  const float tipT = Single(ring.offset / Widened(layout.halfSector));
  ring.tipColor = BlendColor(figure.TipColorA, figure.TipColorB, tipT);
  // A window without height has no body to grade the colour along: its arms keep the core colour.
  if (form.CenterY != 0) ring.coreFactor = Single(static_cast<double>(ring.radius) / form.CenterY);
  return ring;
}

void PlaceArmPoint(FigurePoint& point, const Ring& ring, float angle, ColorValue coreColor) {
  point.Radius = ring.radius;
  point.Angle = angle;
  point.Size = ring.size;
  point.Color = BlendColor(coreColor, ring.tipColor, ring.coreFactor);
}

float SectorBorder(const ArmLayout& layout, int k) {
  return Single(2.0 * Widened(layout.halfSector) * k);
}

// The A side lies just past a sector's first border, the B side mirrors it just before the next.
void PlaceRing(Figure& figure, const ArmLayout& layout, const Ring& ring) {
  for (int k = 0; k < layout.armCount; ++k) {
    const int aIndex = Checked16(2 * k * layout.ringCount + ring.index);
    const int bIndex = Checked16((2 * k + 1) * layout.ringCount + ring.index);
    const float aAngle = Single(Widened(SectorBorder(layout, k)) + ring.offset);
    const float bAngle = Single(Widened(SectorBorder(layout, k + 1)) - ring.offset);
    PlaceArmPoint(figure.Points[aIndex], ring, aAngle, figure.CoreColorA);
    PlaceArmPoint(figure.Points[bIndex], ring, bAngle, figure.CoreColorB);
  }
}

void BuildArms(const FormState& form, Figure& figure, const ArmLayout& layout,
               RandomSource& random) {
  for (int i = 1; i <= layout.ringCount; ++i) {
    PlaceRing(figure, layout, DrawRing(form, figure, layout, Checked16(i), random));
  }
  figure.ArmPointCount = Checked16(layout.ringCount * 2 * layout.armCount);
}

void BuildHalo(const FormState& form, Figure& figure, RandomSource& random) {
  for (int n = figure.ArmPointCount + 1; n <= kPointCount; ++n) {
    FigurePoint& point = figure.Points[n];
    point.Angle = Single(2.0 * Widened(random.Next()) * Widened(kPi));
    point.Radius = Single(RimRadius(form) + form.BodyRadius * Widened(random.Next()));
    point.Size = Nearest16((Widened(random.Next()) + 0.5) * 20.0);
    point.Color = BlendColor(figure.TipColorA, figure.TipColorB, random.Next());
  }
}

}  // namespace

void BuildFigure(FormState& form, std::int16_t slot, RandomSource& random) {
  CheckSlot(slot);
  random.Reseed();
  Figure& figure = form.Figures[slot];
  figure.ArmCount = Nearest16(6.0 * Widened(random.Next()) + 2.0);
  SetBodyGeometry(form);
  const ArmLayout layout = LayOutArms(form, figure.ArmCount);
  DrawColours(figure, random);
  DrawMotion(figure, form.Figures[1 - slot].Spin, random);
  BuildArms(form, figure, layout, random);
  BuildHalo(form, figure, random);
}

}  // namespace flakemorph
