#include "common/scale.h"

#include <algorithm>
#include <cmath>

namespace flakemorph {

int ScaleOfDpi(double dpi) {
  if (!(dpi > 0)) return 1;
  const double scale = std::floor(dpi / kUnscaledDpi + 0.5);
  return static_cast<int>(std::clamp(scale, 1.0, static_cast<double>(kLargestScale)));
}

}  // namespace flakemorph
