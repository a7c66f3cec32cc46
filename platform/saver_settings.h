// What a screen saver's settings dialog keeps for it: the frames per second and whether the
// frame rate is shown (the two the XScreenSaver settings offer too), and on Windows whether
// only the primary monitor shows the animation.
#pragma once

namespace flakemorph {

struct SaverSettings {
  int rate_hz = 60;
  bool show_fps = false;
  bool primary_monitor_only = false;
};

}  // namespace flakemorph
