#include "app/end_policy.h"

#include <cstdlib>

namespace flakemorph {

EndRule EndRuleOf(WindowMode mode, bool screen_saver) {
  switch (mode) {
    case WindowMode::kEveryMonitor:
      return screen_saver ? EndRule::kScreenSaver : EndRule::kFullScreen;
    case WindowMode::kPreview:
      return EndRule::kWindow;
    case WindowMode::kRoot:
    case WindowMode::kForeignWindow:
    case WindowMode::kWallpaper:
      break;
  }
  return EndRule::kNoInput;
}

void EndPolicy::Take(const InputEvent& event) {
  switch (event.kind) {
    case InputKind::kCloseRequested:
    case InputKind::kEndingSignal:
      ended_ = true;
      return;
    case InputKind::kKeyPressed:
    case InputKind::kModifierPressed:
    case InputKind::kButtonPressed:
    case InputKind::kTouched:
      ended_ = ended_ || rule_ != EndRule::kNoInput;
      return;
    case InputKind::kFocusLost:
      ended_ = ended_ || rule_ == EndRule::kFullScreen || rule_ == EndRule::kScreenSaver;
      return;
    case InputKind::kWheelTurned:
      ended_ = ended_ || rule_ == EndRule::kScreenSaver;
      return;
    case InputKind::kPointerMoved:
      if (rule_ == EndRule::kScreenSaver) PointerAt(event.x, event.y);
      return;
  }
}

void EndPolicy::PointerAt(std::int32_t x, std::int32_t y) {
  if (!pointer_seen_) {
    pointer_seen_ = true;
    first_x_ = x;
    first_y_ = y;
    return;
  }
  const auto far = [](std::int64_t a, std::int64_t b) { return std::llabs(a - b) > kPointerSlack; };
  if (far(x, first_x_) || far(y, first_y_)) ended_ = true;
}

}  // namespace flakemorph
