// The generated protocol code, for C++. The layer shell's request names an argument
// `namespace`, which C accepts and C++ does not.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "ext-idle-notify-v1-client-protocol.h"
#include "fractional-scale-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace flakemorph {

// The handler of an event the program has no use for: libwayland calls whatever a listener
// holds for every event, so none may be left empty.
inline constexpr auto kIgnored = [](auto...) {};

}  // namespace flakemorph
