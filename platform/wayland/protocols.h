// The generated protocol code, for C++. The layer shell's request names an argument
// `namespace`, which C accepts and C++ does not.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-shell-client-protocol.h"
