#include "app/idle_saver_input.h"

namespace flakemorph {

// A close request is the compositor taking one surface away, not the user ending the saver.
void IdleSaverInput::Take(const InputEvent& event) {
  switch (event.kind) {
    case InputKind::kEndingSignal:
      signalled_ = true;
      return;
    case InputKind::kCloseRequested:
      return;
    default:
      showing_.Take(event);
  }
}

}  // namespace flakemorph
