// The state log of flakemorph-trace: the stored values after every new figure, after the
// start-up and after every frame, one record a line. Singles are printed with %.9g, which
// reads back to the same single; BodyRadius, a double, with %.17g.
#pragma once

#include "animation/animation.h"
#include "tools/record/log_writer.h"

namespace flakemorph::trace {

class StateLog final : public AnimationObserver {
 public:
  // Prints nothing while `out` is shut, so that the frames before a chosen one cost no
  // formatting.
  explicit StateLog(LogWriter& out) : out_(out) {}

  void AfterStartup(const FormState& form) override;
  void AfterBuild(const FormState& form, std::int16_t slot) override;
  void AfterFrame(const FormState& form, std::int64_t frame, FramePhase phase,
                  std::int16_t c) override;

 private:
  void PrintFigureMotion(const FormState& form, std::int16_t slot);
  void PrintParticle(const FormState& form, int n);

  LogWriter& out_;
};

}  // namespace flakemorph::trace
