// The X visual of the windows of our own, and how the pixels of any visual are laid out.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "display/page_damage.h"

namespace flakemorph {

struct X11Visual {
  Visual* visual = nullptr;
  int depth = 0;
};

// A frame is drawn, changes only, straight into 32-bit pixels of 8-bit channels. Where the
// screen's own visual has other pixels (16 or 30 bits deep), a visual of 8-bit channels beside
// it is taken instead, as servers offer one (the Composite extension's 32-bit one), and the
// server converts only what changed. Without one a 15- or 16-bit screen has the changed
// rectangles converted by us; any other depth has no visual: nothing then.
std::optional<X11Visual> ChooseWindowVisual(::Display* display, int screen);

// Where a visual of 8-bit channels keeps them in a 32-bit pixel, the other bits opaque; nothing
// for a visual of other channels.
std::optional<PixelLayout> ByteChannelLayout(const Visual& visual, int depth);

}  // namespace flakemorph
