#include "figures/records.h"

namespace flakemorph {

void FailIndex(int index, int first, int last) {
  FailRuntime("array index %d outside %d..%d", index, first, last);
}

}  // namespace flakemorph
