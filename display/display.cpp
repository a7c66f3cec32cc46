#include "display/display.h"

namespace flakemorph {

std::int16_t CheckSurfaceIndex(std::int16_t k) {
  if (k != 0 && k != 1) FailRuntime("surface index %d outside 0..1", k);
  return k;
}

std::int16_t SurfaceOfContext(DeviceContext dc) {
  if (dc != 1 && dc != 2) FailRuntime("invalid drawing context %d", dc);
  return static_cast<std::int16_t>(dc - 1);
}

}  // namespace flakemorph
