// How much a desktop is scaled: every page pixel enlarged to a block of scale x scale screen
// pixels, so that the picture on a high-density screen is that of an ordinary screen of the
// same size in inches, as crisp.
#pragma once

namespace flakemorph {

// The scales every window system offers, from 1 (none) up to this.
inline constexpr int kLargestScale = 4;
// The dots per inch of a screen that is not scaled.
inline constexpr double kUnscaledDpi = 96;

// The whole scale of a screen of `dpi` dots per inch over the usual 96, rounded half up so that
// 144 dpi (150%) and more count as scaled; 1 to kLargestScale.
int ScaleOfDpi(double dpi);

}  // namespace flakemorph
