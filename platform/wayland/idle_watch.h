// The seat's idle time, from whichever of the two idle protocols the compositor offers:
// ext-idle-notify-v1 (the standard one, on newer wlroots compositors, KWin and Hyprland) or,
// failing that, KDE's org_kde_kwin_idle (sway 1.7, KWin). Either counts the time since the
// seat's last input and leaves idle inhibitors (a playing video) to the compositor.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/wayland/protocols.h"

namespace flakemorph {

// The idle protocols a compositor offers; either may be missing.
struct IdleProtocols {
  ext_idle_notifier_v1* notifier = nullptr;
  org_kde_kwin_idle* kde_idle = nullptr;

  bool Any() const { return notifier != nullptr || kde_idle != nullptr; }
};

class IdleWatch {
 public:
  // Watches `seat` for `seconds` without input, through the standard protocol where there is
  // one. `protocols` must offer at least one.
  IdleWatch(const IdleProtocols& protocols, wl_seat* seat, int seconds);
  IdleWatch(const IdleWatch&) = delete;
  IdleWatch& operator=(const IdleWatch&) = delete;
  ~IdleWatch();

  // True once for every time the seat went idle since the last call.
  bool TakeIdled() { return std::exchange(idled_, false); }
  // Whether the seat is idle now, as the compositor last said.
  bool Idle() const { return idle_; }
  // The protocol in use, for the stats line.
  const char* ProtocolName() const;

 private:
  ext_idle_notification_v1* notification_ = nullptr;
  org_kde_kwin_idle_timeout* kde_timeout_ = nullptr;
  bool idle_ = false;
  bool idled_ = false;
};

}  // namespace flakemorph
