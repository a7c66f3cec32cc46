// The monitors of the display as RandR tells them, watched on a connection of their own so that
// a monitor whose mode changes, that moves, comes or goes is seen at once. Also what the desktop
// says of its scale in the X resources.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct _XDisplay;

namespace flakemorph {

// One monitor: RandR's name for it, which stays while its mode changes, and where it lies.
struct MonitorArea {
  std::uint64_t name = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const MonitorArea&) const = default;
};

class X11Monitors {
 public:
  // Nothing when the display cannot be reached.
  static std::optional<X11Monitors> Open();
  X11Monitors(X11Monitors&& other) noexcept;
  X11Monitors& operator=(X11Monitors&&) = delete;
  X11Monitors(const X11Monitors&) = delete;
  ~X11Monitors();

  // Starts watching the monitors, and gives them as Now does.
  std::vector<MonitorArea> Watch();
  // The active monitors, the primary one first; none where the display has no RandR 1.5.
  std::vector<MonitorArea> Now();
  // The connection's file descriptor, readable when something happened.
  int Connection() const;
  // Takes what RandR and the root said since the last call; true if the monitors may have
  // changed. Only once watching.
  bool TakeChanges();
  // The refresh rate of the primary monitor, to the nearest whole number; 0 where RandR does
  // not say.
  int RefreshHz();
  // The X resources as text (xrdb's), empty if none.
  const char* Resources() const;

 private:
  X11Monitors(_XDisplay* display, int event_base);

  _XDisplay* display_ = nullptr;
  int event_base_ = 0;  // of RandR's events; -1 without RandR
};

}  // namespace flakemorph
