#include "platform/key_presses.h"

namespace flakemorph {

std::optional<InputEvent> KeyPresses::Key(bool pressed) const {
  if (!pressed) return std::nullopt;
  return InputEvent{InputKind::kKeyPressed};
}

std::optional<InputEvent> KeyPresses::Modifiers(std::uint32_t held) {
  const bool added = modifiers_known_ && (held & ~modifiers_held_) != 0;
  modifiers_known_ = true;
  modifiers_held_ = held;
  if (!added) return std::nullopt;
  return InputEvent{InputKind::kModifierPressed};
}

}  // namespace flakemorph
