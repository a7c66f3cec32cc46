#include "platform/x11/x11_foreign_window.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

#include <cstdlib>

#include "common/fail.h"
#include "platform/x11/x11_errors.h"

namespace flakemorph {
namespace {

// False, and no error kept, if the window does not exist.
bool ReadAttributes(::Display* display, Window window, XWindowAttributes& attributes) {
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  if (!exists) TakeX11Error();
  return exists;
}

// Whether a client connected now, other than the server itself, makes ids such as the
// window's: a window of such a client that does not exist was destroyed. Without the
// X-Resource extension nobody can tell.
bool OwnerConnected(::Display* display, Window window) {
  int event_base = 0;
  int error_base = 0;
  if (!XResQueryExtension(display, &event_base, &error_base)) return false;
  int count = 0;
  XResClient* clients = nullptr;
  if (XResQueryClients(display, &count, &clients) == 0) return false;
  bool connected = false;
  for (int i = 0; i < count; ++i) {
    const XResClient& client = clients[i];
    connected = connected || (client.resource_base != 0 &&
                              (window & ~client.resource_mask) == client.resource_base);
  }
  XFree(clients);
  return connected;
}

}  // namespace

X11ForeignWindow OpenForeignWindow(::Display* display, WindowId target) {
  const Window window = target == 0 ? DefaultRootWindow(display) : target;
  // Selected before the window is looked at, so that it cannot go unseen in between. Both
  // masks may be selected by any number of clients, unlike keys and buttons.
  XSelectInput(display, window, StructureNotifyMask | ExposureMask);
  XWindowAttributes attributes{};
  if (!ReadAttributes(display, window, attributes)) {
    // A daemon may destroy the window it gave us before we look at it: its owner is done with
    // the picture, as when the window goes later.
    if (OwnerConnected(display, window)) {
      XCloseDisplay(display);
      std::exit(0);
    }
    Fail(1, "no window 0x%lx on the display", window);
  }
  if (attributes.c_class == InputOnly) {
    Fail(1, "window 0x%lx cannot be drawn on: it is an input-only window", window);
  }
  const int depth = attributes.depth;
  if (depth != 15 && depth != 16 && depth != 24 && depth != 32) {
    Fail(1, "window 0x%lx cannot be drawn on: its colour depth of %d bits is not 15, 16, 24 or 32",
         window, depth);
  }
  return X11ForeignWindow{window, attributes.visual, depth, attributes.width, attributes.height};
}

bool WindowExists(::Display* display, unsigned long id) {
  XWindowAttributes attributes{};
  return ReadAttributes(display, id, attributes);
}

}  // namespace flakemorph
