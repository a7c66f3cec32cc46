// An xdg toplevel of the program: full screen on one output, or an ordinary window with the
// window manager's frame. The frame is the compositor's where it draws one (xdg-decoration, as
// sway and KWin do); elsewhere (GNOME, weston) libdecor draws it, as other Wayland programs
// have theirs drawn, so that the window can still be moved and closed with the mouse.
#pragma once

#include <libdecor.h>

#include <cstdint>

#include "platform/wayland/protocols.h"

namespace flakemorph {

class WaylandWindow;
struct WaylandGlobals;

// libdecor for the connection, or nothing where it cannot start (no plugin, no xdg_wm_base): a
// window is then without a frame.
class FrameLibrary {
 public:
  explicit FrameLibrary(wl_display* display);
  FrameLibrary(const FrameLibrary&) = delete;
  FrameLibrary& operator=(const FrameLibrary&) = delete;
  ~FrameLibrary();
  libdecor* Context() const { return context_; }

 private:
  libdecor* context_;
};

class Toplevel {
 public:
  // Full screen on `output` when it is given; else an ordinary window of width x height that
  // cannot be resized. Tells `window` the compositor's size, once acknowledged (0 x 0 leaves it
  // to the window), and the close request.
  Toplevel(const WaylandGlobals& globals, wl_surface* surface, wl_output* output,
           std::int32_t width, std::int32_t height, WaylandWindow& window);
  Toplevel(const Toplevel&) = delete;
  Toplevel& operator=(const Toplevel&) = delete;
  ~Toplevel();

  // Which frame the window has, for the stats line.
  const char* FrameName() const;

 private:
  void MakeXdg(const WaylandGlobals& globals, wl_output* output);
  void MakeDecorated(libdecor* context);

  wl_surface* const surface_;
  const std::int32_t width_;
  const std::int32_t height_;
  WaylandWindow& window_;
  xdg_surface* xdg_surface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  zxdg_toplevel_decoration_v1* decoration_ = nullptr;
  libdecor_frame* frame_ = nullptr;
  std::int32_t configured_width_ = 0;
  std::int32_t configured_height_ = 0;
};

}  // namespace flakemorph
