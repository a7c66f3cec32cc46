// What ends the program, decided once for every window system: each turns its events into the
// program's InputEvents, and the rule of the run says which of them end it.
#pragma once

#include <cstdint>

#include "platform/window_request.h"
#include "platform/window_system.h"

namespace flakemorph {

enum class EndRule {
  kFullScreen,   // the plain run: a key, a click, a touch, a close, a signal, or the keyboard
                 // going to another program's window (so that no key is typed blind into it)
  kScreenSaver,  // a saver that owns its input: all of that, a wheel turn, and the pointer
                 // moving more than a few pixels from where it was first seen
  kWindow,       // --window: a key, a click, a touch, a close, a signal
  kNoInput,      // --root, --window-id, --wallpaper, a preview: a close or a signal alone
};

EndRule EndRuleOf(WindowMode mode, bool screen_saver);

class EndPolicy final : public InputSink {
 public:
  // A pointer that moves this far or less from where it was first seen, across or down, is
  // jitter, not a hand on the mouse.
  static constexpr int kPointerSlack = 4;

  explicit EndPolicy(EndRule rule) : rule_(rule) {}

  void Take(const InputEvent& event) override;
  bool Ended() const override { return ended_; }

 private:
  void PointerAt(std::int32_t x, std::int32_t y);

  EndRule rule_;
  bool ended_ = false;
  bool pointer_seen_ = false;
  std::int32_t first_x_ = 0;
  std::int32_t first_y_ = 0;
};

}  // namespace flakemorph
