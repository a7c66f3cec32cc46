// The command line. Every option is taken with one dash as well as two (`-root` as `--root`),
// the way screen-saver daemons and their settings pass them, and a value either as the next
// argument or after `=`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/rate.h"
#include "platform/window_request.h"

namespace flakemorph {

// Which window system to draw through.
enum class Backend {
  kAuto,     // Wayland where WAYLAND_DISPLAY names a compositor, else X11
  kX11,      // --backend x11: X11, through Xwayland on a Wayland desktop
  kWayland,  // --backend wayland
};

struct ProgramOptions {
  WindowMode mode = WindowMode::kEveryMonitor;
  Backend backend = Backend::kAuto;
  WindowId window_id = 0;  // with kForeignWindow
  int width = 1280;        // of the preview window
  int height = 720;
  bool show_fps = false;
  // With kEveryMonitor: the animation on the primary monitor alone, the others black.
  bool primary_monitor_only = false;
  int rate_hz = 0;  // frames per second; 0 for the pace the animation was made for, 60
  int scale = 0;    // screen pixels per page pixel, across and down; 0 as the desktop says
  // --idle: resident, shown over every monitor whenever the seat has been idle this long; 0
  // for a run that shows at once and ends on input.
  int idle_seconds = 0;
};

inline constexpr int kLongestIdle = 86400;

// What the command line asks for: a run, the help, the version, or nothing at all because it
// is wrong (`error` then names what is wrong in one line, without the program's name).
struct ParsedCommandLine {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  ProgramOptions options;
  std::string error;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// A window id as daemons write it: hex with 0x or 0X (digits in either case) or decimal, with
// blanks allowed around it. Zero, junk and numbers that no X window id can have give nothing.
std::optional<WindowId> ParseWindowId(std::string_view text);

// The help text that --help prints and that follows a usage error.
const char* UsageText();

}  // namespace flakemorph
