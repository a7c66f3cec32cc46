// Which windows the program asks a window system for.
#pragma once

#include <cstdint>

#include "platform/stats_out.h"

namespace flakemorph {

// Where the animation is drawn.
enum class WindowMode {
  kEveryMonitor,   // one borderless window over each monitor (the default)
  kPreview,        // --window: one ordinary window with a frame
  kRoot,           // --root: XSCREENSAVER_WINDOW, or else the root window
  kForeignWindow,  // --window-id ID: a window of another program
  kWallpaper,      // --wallpaper: beneath every window, on every monitor, until a signal
};

// The longest side of a window of our own that every window system here can make, below X11's
// 32767: a buffer of 16384 x 16384 pixels is already 1 GiB.
inline constexpr int kLargestWindowSide = 16384;

// X window ids are 29-bit numbers; 0 names no window.
using WindowId = std::uint32_t;

struct WindowRequest {
  WindowMode mode = WindowMode::kEveryMonitor;
  // With kRoot and kForeignWindow: the window of another program, 0 for the root window.
  WindowId window_id = 0;
  int width = 1280;  // of the preview window, in page pixels (the scale enlarges it on the screen)
  int height = 720;
  // Screen pixels per page pixel, across and down, 1 to 4; 0 as the desktop says.
  int scale = 0;
  bool show_fps = false;
  // Started by the system as its screen saver (Windows /s): the run ends as a saver's does
  // (EndRuleOf), a wheel turn and a move of the pointer by more than a few pixels included.
  bool screen_saver = false;
  // With kEveryMonitor: the animation on the primary monitor alone, the other monitors black.
  bool primary_monitor_only = false;
  // Resident: the windows are shown whenever the seat has been idle this many seconds, and
  // taken away again at the input that ends a screen saver; 0 shows them at once.
  int idle_seconds = 0;
  StatsOut* stats = nullptr;  // where to say what was opened, if anywhere
};

}  // namespace flakemorph
