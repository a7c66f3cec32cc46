// When a surface of a compositor that paces its clients takes its next frame.
#pragma once

#include "display/page_window.h"

namespace flakemorph {

struct SurfaceTurn {
  bool configured = false;  // it has its size
  bool closed = false;      // the compositor took it away
  // The request for the next frame, sent with the last one, is still unanswered.
  bool frame_requested = false;
};

// Asked for a frame, with a buffer to draw it in: one the compositor no longer reads. A surface
// whose buffers are all held waits as one not asked yet, rather than dropping frames unseen.
inline bool ReadyForFrame(const SurfaceTurn& surface, const PageWindow& pages) {
  return surface.configured && !surface.closed && !surface.frame_requested && pages.HasFreeBuffer();
}

}  // namespace flakemorph
