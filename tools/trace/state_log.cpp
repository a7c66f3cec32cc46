#include "tools/trace/state_log.h"

#include <cinttypes>

namespace flakemorph::trace {

void StateLog::AfterStartup(const FormState& form) {
  if (!out_.IsOpen()) return;
  out_.Printf("startup %d %d\n", form.CenterX, form.CenterY);
  for (int n = 1; n <= kPointCount; ++n) {
    out_.Printf("azimuth %d %.9g\n", n, form.Particles[n].ScatterAzimuth);
  }
}

void StateLog::AfterBuild(const FormState& form, std::int16_t slot) {
  if (!out_.IsOpen()) return;
  const Figure& figure = form.Figures[slot];
  out_.Printf("build %d %d %d %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32
              " %.9g %.9g %.9g %.9g %.9g %.17g %d\n",
              slot, figure.ArmCount, figure.LobeCount, figure.CoreColorA, figure.CoreColorB,
              figure.TipColorA, figure.TipColorB, figure.Spin, figure.SpinRate, figure.LobePhase,
              figure.LobeRate, figure.PulseRate, form.BodyRadius, form.RimWidth);
  for (int n = 1; n <= kPointCount; ++n) {
    const FigurePoint& point = figure.Points[n];
    out_.Printf("point %d %d %.9g %.9g %d %" PRId32 "\n", slot, n, point.Radius, point.Angle,
                point.Size, point.Color);
  }
}

void StateLog::AfterFrame(const FormState& form, std::int64_t frame, FramePhase phase,
                          std::int16_t c) {
  if (!out_.IsOpen()) return;
  out_.Printf("frame %" PRId64 " %s %d\n", frame, phase == FramePhase::kMorph ? "morph" : "hold",
              c);
  out_.Printf("wander %.9g %.9g %.9g %d\n", form.WanderClock, form.WanderPhaseX, form.WanderPhaseY,
              form.ScatterRadius);
  PrintFigureMotion(form, 0);
  PrintFigureMotion(form, 1);
  for (int n = 1; n <= kPointCount; ++n) PrintParticle(form, n);
}

void StateLog::PrintFigureMotion(const FormState& form, std::int16_t slot) {
  const Figure& figure = form.Figures[slot];
  out_.Printf("figure %d %.9g %.9g %.9g\n", slot, figure.Spin, figure.LobePhase, figure.PulsePhase);
}

void StateLog::PrintParticle(const FormState& form, int n) {
  const Particle& q = form.Particles[n];
  out_.Printf("particle %d %.9g %.9g %.9g %.9g %d %.9g %.9g %" PRId32 "\n", n, q.OffsetX, q.OffsetY,
              q.ScreenX, q.ScreenY, q.Size, q.ScatterElevation, q.ScatterAzimuth, q.Color);
}

}  // namespace flakemorph::trace
