#include "platform/x11/x11_monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <utility>

namespace flakemorph {

std::optional<X11Monitors> X11Monitors::Open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::nullopt;
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5)) {
    return X11Monitors(display, -1);
  }
  return X11Monitors(display, event_base);
}

std::vector<MonitorArea> X11Monitors::Watch() {
  if (event_base_ < 0) return {};
  // Selected before the first look, so that no change can come in between unseen.
  XRRSelectInput(display_, DefaultRootWindow(display_),
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
  return Now();
}

X11Monitors::X11Monitors(_XDisplay* display, int event_base)
    : display_(display), event_base_(event_base) {}

X11Monitors::X11Monitors(X11Monitors&& other) noexcept
    : display_(std::exchange(other.display_, nullptr)), event_base_(other.event_base_) {}

X11Monitors::~X11Monitors() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

std::vector<MonitorArea> X11Monitors::Now() {
  if (event_base_ < 0) return {};
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, DefaultRootWindow(display_), True, &count);
  std::vector<MonitorArea> areas;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& monitor = monitors[i];
    if (monitor.width <= 0 || monitor.height <= 0) continue;
    const MonitorArea area{monitor.name, monitor.x, monitor.y, monitor.width, monitor.height};
    areas.insert(monitor.primary ? areas.begin() : areas.end(), area);
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  return areas;
}

int X11Monitors::Connection() const {
  return ConnectionNumber(display_);
}

bool X11Monitors::TakeChanges() {
  bool changed = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    XRRUpdateConfiguration(&event);
    const int type = event.type - event_base_;
    if (type == RRScreenChangeNotify || type == RRNotify) changed = true;
  }
  return changed;
}

const char* X11Monitors::Resources() const {
  const char* resources = XResourceManagerString(display_);
  return resources != nullptr ? resources : "";
}

}  // namespace flakemorph
