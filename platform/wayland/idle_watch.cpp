#include "platform/wayland/idle_watch.h"

namespace flakemorph {

constexpr std::uint32_t kMillisecondsPerSecond = 1000;

IdleWatch::IdleWatch(const IdleProtocols& protocols, wl_seat* seat, int seconds) {
  const std::uint32_t timeout = static_cast<std::uint32_t>(seconds) * kMillisecondsPerSecond;
  // Both protocols tell the same two things; the compositor counts anew after input.
  static constexpr auto kIdled = [](void* data, auto*) {
    auto* watch = static_cast<IdleWatch*>(data);
    watch->idle_ = true;
    watch->idled_ = true;
  };
  static constexpr auto kResumed = [](void* data, auto*) {
    static_cast<IdleWatch*>(data)->idle_ = false;
  };
  if (protocols.notifier != nullptr) {
    notification_ = ext_idle_notifier_v1_get_idle_notification(protocols.notifier, timeout, seat);
    static constexpr ext_idle_notification_v1_listener kListener{.idled = kIdled,
                                                                 .resumed = kResumed};
    ext_idle_notification_v1_add_listener(notification_, &kListener, this);
  } else {
    kde_timeout_ = org_kde_kwin_idle_get_idle_timeout(protocols.kde_idle, seat, timeout);
    static constexpr org_kde_kwin_idle_timeout_listener kListener{.idle = kIdled,
                                                                  .resumed = kResumed};
    org_kde_kwin_idle_timeout_add_listener(kde_timeout_, &kListener, this);
  }
}

IdleWatch::~IdleWatch() {
  if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
  if (kde_timeout_ != nullptr) org_kde_kwin_idle_timeout_release(kde_timeout_);
}

const char* IdleWatch::ProtocolName() const {
  return notification_ != nullptr ? ext_idle_notification_v1_interface.name
                                  : org_kde_kwin_idle_timeout_interface.name;
}

}  // namespace flakemorph
