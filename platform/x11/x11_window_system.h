// The X11 window system, on Xlib alone: windows of our own over every monitor of the screen
// DISPLAY names, or the preview window, or a window of another program.
#pragma once

#include <memory>

#include "platform/window_request.h"
#include "platform/window_system.h"

namespace flakemorph {

// Opens the windows `request` asks for; their events go to `context`'s sink, and every wait
// is its waiter's. Ends the program with a message on stderr and status 1 when there is no
// display, or no such window of another program.
std::unique_ptr<WindowSystem> OpenX11WindowSystem(const WindowRequest& request,
                                                  const EventContext& context);

}  // namespace flakemorph
