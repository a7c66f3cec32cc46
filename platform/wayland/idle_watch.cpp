#include "platform/wayland/idle_watch.h"

#include <wayland-client.h>

#include <utility>

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

namespace flakemorph {
namespace {

constexpr std::uint32_t kMillisecondsPerSecond = 1000;

}  // namespace

IdleWatch::IdleWatch(const IdleProtocols& protocols, wl_seat* seat, int seconds) {
  const std::uint32_t timeout = static_cast<std::uint32_t>(seconds) * kMillisecondsPerSecond;
  if (protocols.notifier != nullptr) {
    notification_ = ext_idle_notifier_v1_get_idle_notification(protocols.notifier, timeout, seat);
    static constexpr ext_idle_notification_v1_listener kListener{
        .idled = [](void* data,
                    ext_idle_notification_v1*) { static_cast<IdleWatch*>(data)->Idled(); },
        .resumed = [](void* data,
                      ext_idle_notification_v1*) { static_cast<IdleWatch*>(data)->Resumed(); }};
    ext_idle_notification_v1_add_listener(notification_, &kListener, this);
  } else {
    kde_timeout_ = org_kde_kwin_idle_get_idle_timeout(protocols.kde_idle, seat, timeout);
    static constexpr org_kde_kwin_idle_timeout_listener kListener{
        .idle = [](void* data,
                   org_kde_kwin_idle_timeout*) { static_cast<IdleWatch*>(data)->Idled(); },
        .resumed = [](void* data,
                      org_kde_kwin_idle_timeout*) { static_cast<IdleWatch*>(data)->Resumed(); }};
    org_kde_kwin_idle_timeout_add_listener(kde_timeout_, &kListener, this);
  }
}

IdleWatch::~IdleWatch() {
  if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
  if (kde_timeout_ != nullptr) org_kde_kwin_idle_timeout_release(kde_timeout_);
}

bool IdleWatch::TakeIdled() {
  return std::exchange(idled_, false);
}

const char* IdleWatch::ProtocolName() const {
  return notification_ != nullptr ? ext_idle_notification_v1_interface.name
                                  : org_kde_kwin_idle_timeout_interface.name;
}

void IdleWatch::Idled() {
  idle_ = true;
  idled_ = true;
}

// Input after an idle period: the compositor starts counting anew. It is no end of a showing:
// a nudge of the mouse resumes the seat too.
void IdleWatch::Resumed() {
  idle_ = false;
}

}  // namespace flakemorph
