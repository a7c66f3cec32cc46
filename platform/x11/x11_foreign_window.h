// A window of another program that the animation is drawn into, as screen-saver daemons and
// their settings previews hand one over: found and checked on the program's connection, and
// watched there for its size and its end like a window of our own.
#pragma once

#include <X11/Xlib.h>

#include "platform/window_request.h"

namespace flakemorph {

struct X11ForeignWindow {
  unsigned long id = 0;
  Visual* visual = nullptr;
  int depth = 0;
  int width = 0;
  int height = 0;
};

// `target` on `display` (0: the root window of its screen), its structure and exposures
// watched from before it is looked at. Exits with status 0 when the window went before it
// could be looked at while its owner is still connected (a daemon done with the picture at
// once), and with a message and status 1 when no such window exists or it cannot be drawn on.
X11ForeignWindow OpenForeignWindow(::Display* display, WindowId target);

// Whether window `id` exists. A round trip: a server that is shutting down destroys every
// window before it closes the connection, and answers no more, which ends the program through
// the lost display.
bool WindowExists(::Display* display, unsigned long id);

}  // namespace flakemorph
