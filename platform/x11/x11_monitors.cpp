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
  // Asked of the server first: libXrandr keeps what it learns of a display without RandR for
  // good, as no close of the display frees it.
  if (!XQueryExtension(display, "RANDR", &major, &event_base, &error_base) ||
      !XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5)) {
    return X11Monitors(display, -1);
  }
  return X11Monitors(display, event_base);
}

std::vector<MonitorArea> X11Monitors::Watch() {
  if (event_base_ < 0) return {};
  const Window root = DefaultRootWindow(display_);
  // Selected before the first look, so that no change can come in between unseen. Monitors a
  // user defines (xrandr --setmonitor) come and go with no RandR event at all, only with the
  // root's ConfigureNotify.
  XRRSelectInput(display_, root,
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
  XSelectInput(display_, root, StructureNotifyMask);
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
    // Any of them: a crtc's or output's change comes with the screen's, but monitors of the
    // user's own bring only the root's ConfigureNotify (the only window watched here).
    const int type = event.type - event_base_;
    if (type == RRScreenChangeNotify || type == RRNotify || event.type == ConfigureNotify) {
      changed = true;
    }
  }
  return changed;
}

int X11Monitors::RefreshHz() {
  if (event_base_ < 0) return 0;
  const Window root = DefaultRootWindow(display_);
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, root, True, &count);
  RROutput output = None;
  // The primary monitor's, or else the first one's.
  for (int i = 0; i < count; ++i) {
    if (monitors[i].noutput > 0 && (output == None || monitors[i].primary)) {
      output = monitors[i].outputs[0];
    }
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root);
  if (resources == nullptr) return 0;
  XRROutputInfo* info = output != None ? XRRGetOutputInfo(display_, resources, output) : nullptr;
  XRRCrtcInfo* crtc = info != nullptr && info->crtc != None
                          ? XRRGetCrtcInfo(display_, resources, info->crtc)
                          : nullptr;
  double hz = 0;
  for (int i = 0; crtc != nullptr && i < resources->nmode; ++i) {
    const XRRModeInfo& mode = resources->modes[i];
    if (mode.id == crtc->mode && mode.hTotal > 0 && mode.vTotal > 0) {
      hz = static_cast<double>(mode.dotClock) /
           (static_cast<double>(mode.hTotal) * static_cast<double>(mode.vTotal));
    }
  }
  if (crtc != nullptr) XRRFreeCrtcInfo(crtc);
  if (info != nullptr) XRRFreeOutputInfo(info);
  XRRFreeScreenResources(resources);
  return static_cast<int>(hz + 0.5);
}

const char* X11Monitors::Resources() const {
  const char* resources = XResourceManagerString(display_);
  return resources != nullptr ? resources : "";
}

}  // namespace flakemorph
