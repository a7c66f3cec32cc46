// The input of the resident idle saver (--idle): what ends a screen saver (a key, a click, a
// wheel turn, a touch, the pointer moved away, the keyboard taken by another program such as a
// locker) ends only the showing, and the next showing starts afresh; the ending signals alone
// end the program.
#pragma once

#include "app/end_policy.h"
#include "platform/window_system.h"

namespace flakemorph {

class IdleSaverInput final : public InputSink {
 public:
  void Take(const InputEvent& event) override;
  bool Ended() const override { return signalled_; }
  bool ShowingEnded() const override { return showing_.Ended(); }
  void NewShowing() override { showing_ = EndPolicy(EndRule::kScreenSaver); }

 private:
  bool signalled_ = false;
  EndPolicy showing_{EndRule::kScreenSaver};
};

}  // namespace flakemorph
