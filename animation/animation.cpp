#include "animation/animation.h"

namespace flakemorph {

Animation::Animation(Display& f, RandomSource& random, AnimationObserver* observer)
    : f_(f), random_(random), observer_(observer) {}

void Animation::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  StartUp();
  for (;;) NextFrame();
}

void Animation::StartUp() {
  for (std::int16_t k = 0; k <= 1; ++k) {
    f_.Move(k, 0, 0, f_.ScaleWidth(), f_.ScaleHeight());
    f_.BackColor(k, 0);
  }
  if (observer_ != nullptr) observer_->AfterStartup(form_);
}

// Until the figures arrive: flip the two black pages.
void Animation::NextFrame() {
  form_.PageIndex = Checked16(1 - form_.PageIndex);
  f_.Cls(form_.PageIndex);
  f_.ZOrder(form_.PageIndex);
  f_.DoEvents();
  ++frame_;
  if (observer_ != nullptr) observer_->AfterFrame(form_, frame_, FramePhase::kHold, 1);
}

}  // namespace flakemorph
