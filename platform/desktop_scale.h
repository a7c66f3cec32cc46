// How much the desktop is scaled, as the user's settings say it: the whole factor by which every
// page pixel is enlarged on the screen, so that the picture on a high-density screen is the one
// of an ordinary screen of the same size in inches, crisp.
#pragma once

#include <cstdint>

namespace flakemorph {

// GDK_SCALE, when it is a whole number from 1 to 4, as desktops set it for all programs;
// otherwise the Xft.dpi of the X resources (`x_resources`, the resource database's text) over
// the usual 96, as ScaleOfDpi rounds it; 1 where neither says. Either may be null.
int DesktopScale(const char* gdk_scale, const char* x_resources);

}  // namespace flakemorph
