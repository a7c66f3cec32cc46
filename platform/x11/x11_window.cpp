#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "common/scale.h"
#include "figures/numbers.h"
#include "platform/x11/x11_foreign_window.h"
#include "platform/x11/x11_monitors.h"

namespace flakemorph {
namespace {

constexpr long kOwnEvents = KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask |
                            StructureNotifyMask | ExposureMask;

// The names of the program's windows, for the window manager, and its process, for whoever
// looks for the windows of a process (xdotool, a task manager).
void Name(X11Connection& connection, Window window) {
  ::Display* display = connection.display;
  char name[] = "flakemorph";
  char* names[] = {name};
  XTextProperty title{};
  if (XStringListToTextProperty(names, 1, &title) == 0) FailRuntime("out of memory");
  XClassHint class_hint{name, name};
  XSetWMProperties(display, window, &title, &title, nullptr, 0, nullptr, nullptr, &class_hint);
  XFree(title.value);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                  PropModeReplace, reinterpret_cast<unsigned char*>(name),
                  static_cast<int>(std::strlen(name)));
  const long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  Atom protocols[] = {connection.wm_delete_window};
  XSetWMProtocols(display, window, protocols, 1);
}

}  // namespace

// Override-redirect, with or without a window manager: the window is then exactly where and
// as large as the monitor, at once and above every window, and no window manager frames,
// moves, shrinks or animates it. Asking for EWMH full screen would leave the size and the
// monitor to a window manager, and without one the window keeps the size it was made with.
// Screen-saver daemons cover the screen the same way. What a window manager would have given,
// the keyboard, the window takes itself once it is shown.
std::unique_ptr<X11Window> X11Window::OverArea(X11Connection& connection, const X11Visual& visual,
                                               const MonitorArea& area, int scale) {
  const Window window = Create(connection, visual, area.x, area.y, area.width, area.height, true);
  XDefineCursor(connection.display, window, connection.invisible_cursor);
  XMapRaised(connection.display, window);
  return std::unique_ptr<X11Window>(new X11Window(connection, window, visual.visual, visual.depth,
                                                  area.width, area.height, scale, false));
}

std::unique_ptr<X11Window> X11Window::Preview(X11Connection& connection, const X11Visual& visual,
                                              const MonitorArea& area, int width, int height,
                                              int scale) {
  const int x = area.x + std::max(0, (area.width - width) / 2);
  const int y = area.y + std::max(0, (area.height - height) / 2);
  const Window window = Create(connection, visual, x, y, width, height, false);
  XMapWindow(connection.display, window);
  return std::unique_ptr<X11Window>(
      new X11Window(connection, window, visual.visual, visual.depth, width, height, scale, false));
}

std::unique_ptr<X11Window> X11Window::Foreign(X11Connection& connection,
                                              const X11ForeignWindow& foreign, int scale) {
  std::unique_ptr<X11Window> window(new X11Window(connection, foreign.id, foreign.visual,
                                                  foreign.depth, foreign.width, foreign.height,
                                                  scale, true));
  // Someone else's window is on the screen already, or will be when its owner wants it.
  window->shown_ = true;
  return window;
}

// A visual other than the screen's own needs a colour map and a border of its own: the
// parent's would not match it.
unsigned long X11Window::Create(X11Connection& connection, const X11Visual& visual, int x, int y,
                                int width, int height, bool override_redirect) {
  ::Display* display = connection.display;
  const Window root = RootWindow(display, connection.screen);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  attributes.colormap = XCreateColormap(display, root, visual.visual, AllocNone);
  attributes.override_redirect = override_redirect ? True : False;
  attributes.event_mask = kOwnEvents;
  const Window window = XCreateWindow(
      display, root, x, y, static_cast<unsigned>(std::max(width, 1)),
      static_cast<unsigned>(std::max(height, 1)), 0, visual.depth, InputOutput, visual.visual,
      CWBackPixel | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &attributes);
  Name(connection, window);
  return window;
}

X11Window::X11Window(X11Connection& connection, unsigned long id, Visual* visual, int depth,
                     int width, int height, int scale, bool foreign)
    : connection_(connection),
      id_(id),
      foreign_(foreign),
      scale_(std::clamp(scale, 1, kLargestScale)),
      image_(connection.display, connection.shared_memory, visual, depth) {
  gc_ = XCreateGC(connection.display, id, 0, nullptr);
  Resize(width, height);
}

X11Window::~X11Window() {
  XFreeGC(connection_.display, gc_);
  if (!foreign_) XDestroyWindow(connection_.display, id_);
}

void X11Window::Resize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  image_.Resize(width_, height_);
  page_.Resize(width_, height_, scale_);
}

void X11Window::Configured(int width, int height) {
  if (width != width_ || height != height_) Resize(width, height);
}

// The server lost what the window showed: all of it goes again.
void X11Window::Exposed() {
  shown_ = true;
  page_.Forget(0);
}

void X11Window::Cover(const MonitorArea& area) {
  XMoveResizeWindow(connection_.display, id_, area.x, area.y,
                    static_cast<unsigned>(std::max(area.width, 1)),
                    static_cast<unsigned>(std::max(area.height, 1)));
}

// The server copies every rect out of the image itself and asks little for each request: small
// tiles keep what it copies to what changed. (A 3840x2160 window: the server took 7% of a core
// with 8-pixel tiles, 21% with the 64-pixel tiles that suit compositors.)
TileGrid X11Window::DamageGrid() const {
  return TileGrid{PageDamage::kTileWidth, PageDamage::kTileHeight, PageDamage::kMostRects};
}

void X11Window::Present(std::size_t /*index*/, std::span<const PixelRect> rects) {
  image_.Put(id_, gc_, rects);
}

}  // namespace flakemorph
