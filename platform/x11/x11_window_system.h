// The X11 window system: SDL's windows over every monitor or the preview window, or a window of
// another program watched through Xlib.
#pragma once

#include <memory>

#include "platform/window_request.h"
#include "platform/window_system.h"

namespace flakemorph {

// Opens the windows `request` asks for. Ends the program with a message on stderr and status 1
// when there is no display, or no such window of another program.
// Hands its input to context.input and waits through context.waiter.
std::unique_ptr<WindowSystem> OpenX11WindowSystem(const WindowRequest& request,
                                                  const EventContext& context);

}  // namespace flakemorph
