#include "animation/animation.h"

#include "animation/morph.h"
#include "animation/wander.h"
#include "figures/builder.h"
#include "figures/motion.h"

namespace flakemorph {
namespace {

constexpr std::int16_t kMorphFrames = 100;
constexpr std::int16_t kHoldFrames = 50;
constexpr float kScatterStep = 0.1F;
constexpr std::int16_t kScatterPeak = 70;

}  // namespace

Animation::Animation(Display& f, RandomSource& random, AnimationObserver* observer)
    : f_(f), random_(random), observer_(observer) {}

void Animation::StartUp() {
  for (std::int16_t k = 0; k <= 1; ++k) {
    f_.Move(k, 0, 0, f_.ScaleWidth(), f_.ScaleHeight());
    f_.BackColor(k, 0);
  }
  form_.MorphFrames = kMorphFrames;
  form_.HoldFrames = kHoldFrames;
  form_.ElevationStep = kScatterStep;
  form_.AzimuthStep = kScatterStep;
  form_.ScatterPeak = kScatterPeak;
  form_.CenterX = Nearest16(Widened(f_.ScaleWidth()) / 2);
  form_.CenterY = Nearest16(Widened(f_.ScaleHeight()) / 2);
  BuildFigure(form_, 0, random_);
  if (observer_ != nullptr) observer_->AfterBuild(form_, 0);
  for (int n = 1; n <= kPointCount; ++n) {
    form_.Particles[n].ScatterAzimuth = Single(Widened(random_.Next()) * Widened(kPi) * 2);
  }
  if (observer_ != nullptr) observer_->AfterStartup(form_);
}

void Animation::NextFrame() {
  while (phase_frame_ >= phase_length_) EnterNextPhase();
  phase_frame_ = Checked16(phase_frame_ + 1);
  if (phase_ == FramePhase::kMorph) {
    MorphFrame(phase_frame_);
  } else {
    HoldFrame();
  }
  ++frame_;
  if (observer_ != nullptr) observer_->AfterFrame(form_, frame_, phase_, phase_frame_);
}

void Animation::EnterNextPhase() {
  if (phase_ == FramePhase::kHold) {
    StartCycle();
    phase_ = FramePhase::kMorph;
    phase_length_ = form_.MorphFrames;
  } else {
    phase_ = FramePhase::kHold;
    phase_length_ = form_.HoldFrames;
  }
  phase_frame_ = 0;
}

// A new figure goes into the other slot, so the one shown so far is what the morph leaves.
void Animation::StartCycle() {
  form_.TargetSlot = Checked16(1 - form_.TargetSlot);
  BuildFigure(form_, form_.TargetSlot, random_);
  if (observer_ != nullptr) observer_->AfterBuild(form_, form_.TargetSlot);
}

void Animation::MorphFrame(std::int16_t c) {
  StepFigure(form_, 0);
  StepFigure(form_, 1);
  StepWander(form_, random_);
  BeginPage();
  // t and the radius depend on c alone, the shift on the frame, so they are computed once for all
  // particles of the frame.
  const float t = MorphFraction(c, form_.MorphFrames);
  form_.ScatterRadius = ScatterRadiusAt(c, form_.MorphFrames, form_.ScatterPeak);
  const WanderShift shift = CurrentWanderShift(form_);
  for (std::int16_t n = 1; n <= kPointCount; ++n) {
    MorphParticle(form_, n, t, random_, shift);
    DrawParticle(n);
  }
  ShowPage();
}

// Only the new figure moves; particles keep the size and colour of the last morph frame.
void Animation::HoldFrame() {
  const Figure& target = form_.Figures[form_.TargetSlot];
  StepFigure(form_, form_.TargetSlot);
  StepWander(form_, random_);
  BeginPage();
  const WanderShift shift = CurrentWanderShift(form_);
  for (std::int16_t n = 1; n <= kPointCount; ++n) {
    const FigurePoint& point = target.Points[n];
    Particle& particle = form_.Particles[n];
    particle.ScreenX = Single(Widened(form_.CenterX) + Widened(point.X) + shift.x);
    particle.ScreenY = Single(Widened(form_.CenterY) + Widened(point.Y) + shift.y);
    DrawParticle(n);
  }
  ShowPage();
}

void Animation::DrawParticle(std::int16_t n) {
  const Particle& particle = form_.Particles[n];
  f_.ForeColor(form_.PageIndex, particle.Color);
  const DeviceContext dc = f_.hDC(form_.PageIndex);
  const CircleBox box = BoxOfCircle(particle.ScreenX, particle.ScreenY, particle.Size);
  f_.Ellipse(dc, box.left, box.top, box.right, box.bottom);
}

// The next frame is drawn on the page behind, so the one in front stays whole meanwhile.
void Animation::BeginPage() {
  form_.PageIndex = Checked16(1 - form_.PageIndex);
  f_.Cls(form_.PageIndex);
}

void Animation::ShowPage() {
  f_.ZOrder(form_.PageIndex);
  f_.DoEvents();
}

}  // namespace flakemorph
