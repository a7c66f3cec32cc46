// The program on a Wayland compositor, through libwayland-client alone: one surface over every
// output (or the wallpaper beneath the windows of every output, or one ordinary window), drawn
// in shared memory and paced by the compositor's frame requests.
#pragma once

#include <memory>

#include "platform/window_request.h"
#include "platform/window_system.h"

namespace flakemorph {

// Connects to the compositor WAYLAND_DISPLAY names. Nothing if there is none to connect to;
// ends the program with a message on stderr and status 1 when the compositor lacks what the
// request needs. Waits only through context.waiter, and hands its input to context.input.
std::unique_ptr<WindowSystem> OpenWaylandWindowSystem(const WindowRequest& request,
                                                      const EventContext& context);

}  // namespace flakemorph
