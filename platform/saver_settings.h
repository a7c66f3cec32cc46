// What a screen saver's settings dialog keeps for it, the same two as the XScreenSaver settings
// offer: the frames per second and whether the frame rate is shown.
#pragma once

namespace flakemorph {

struct SaverSettings {
  int rate_hz = 60;
  bool show_fps = false;
};

}  // namespace flakemorph
