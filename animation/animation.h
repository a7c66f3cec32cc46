// The running animation: start-up, then the endless cycle of morph and hold. Every frame
// advances the figures and the wander, clears the page behind, draws the 360 particles on it
// circle by circle, brings it to the front and lets pending events run.
#pragma once

#include <cstdint>

#include "display/display.h"
#include "figures/random_source.h"
#include "figures/records.h"

namespace flakemorph {

enum class FramePhase { kMorph, kHold };

// Lets the headless tool see the state as it changes; every hook is optional.
class AnimationObserver {
 public:
  virtual ~AnimationObserver() = default;
  // After the start-up has set every particle's first scatter direction.
  virtual void AfterStartup(const FormState& /*form*/) {}
  virtual void AfterBuild(const FormState& /*form*/, std::int16_t /*slot*/) {}
  // After the frame's DoEvents; frame counts every frame from 1, c counts within its phase.
  virtual void AfterFrame(const FormState& /*form*/, std::int64_t /*frame*/, FramePhase /*phase*/,
                          std::int16_t /*c*/) {}
};

class Animation {
 public:
  Animation(Display& f, RandomSource& random, AnimationObserver* observer = nullptr);

  // The window's activation handler, Form_Activate, in its two halves, so that the program
  // runs the frames and handles the events between them: start-up, then the cycle.
  void StartUp();
  // Runs one frame; at the end of a hold (and before the first frame) it first starts the
  // next cycle: toggles TargetSlot and builds the new figure.
  void NextFrame();

  const FormState& State() const { return form_; }
  // Lets a run go on from chosen values, such as those that weeks of running leave behind.
  FormState& MutableState() { return form_; }
  // The phase and frame number within it of the frame that ran last.
  FramePhase Phase() const { return phase_; }
  std::int16_t PhaseFrame() const { return phase_frame_; }

 private:
  void StartCycle();
  void EnterNextPhase();
  void MorphFrame(std::int16_t c);
  void HoldFrame();
  void DrawParticle(std::int16_t n);
  void BeginPage();
  void ShowPage();

  Display& f_;
  RandomSource& random_;
  AnimationObserver* observer_;
  FormState form_;
  FramePhase phase_ = FramePhase::kHold;
  std::int16_t phase_frame_ = 0;
  std::int16_t phase_length_ = 0;  // frames in the current phase, read once as it begins
  std::int64_t frame_ = 0;
};

}  // namespace flakemorph
