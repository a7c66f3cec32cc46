// Which of a keyboard's news are presses that end a run, for the window systems that tell the
// state of the keys rather than presses alone: a key counts on its press, never its release,
// and a modifier counts only when pressed after the keyboard came to the program, not when it
// was already held then (the Ctrl of the shortcut that started us).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/window_system.h"

namespace flakemorph {

class KeyPresses {
 public:
  // The keyboard came to one of the program's windows: whatever is held now is no press.
  void Entered() { modifiers_known_ = false; }
  // A key went down or up; gives the press, if it is one.
  std::optional<InputEvent> Key(bool pressed) const;
  // The modifiers held now, as bits; gives a press if one was added since the last news.
  std::optional<InputEvent> Modifiers(std::uint32_t held);

 private:
  bool modifiers_known_ = false;
  std::uint32_t modifiers_held_ = 0;
};

}  // namespace flakemorph
