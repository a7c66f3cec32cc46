#include "app/options.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/scale.h"
#include "common/text.h"
#include "figures/quoted_text.h"

namespace flakemorph {
namespace {

// The X protocol keeps the top three bits of every resource id clear.
constexpr std::uint64_t kLargestWindowId = 0x1FFF'FFFF;

constexpr const char* kUsage =
    "Usage: flakemorph [OPTION]...\n"
    "\n"
    "Shows a symmetric flake of 360 coloured circles that spins, wanders about and, every few\n"
    "seconds, bursts and gathers into a new random flake: by default over every monitor, until\n"
    "a key, a click or closing the window ends it.\n"
    "\n"
    "  --window             show it in an ordinary window instead (1280x720)\n"
    "  --geometry WxH       the size of that window (implies --window)\n"
    "  --root               draw into XSCREENSAVER_WINDOW, or else the root window\n"
    "  --window-id ID       draw into the window ID (hex 0x... or decimal)\n"
    "  --wallpaper          run as the desktop's wallpaper, beneath every window, until\n"
    "                       SIGINT or SIGTERM (on X11: in the root window)\n"
    "  --idle SECONDS       stay resident and show it over every monitor whenever the seat has\n"
    "                       been idle that long (1 to 86400), until SIGINT or SIGTERM (Wayland)\n"
    "  --backend NAME       the window system: wayland, x11 (on Wayland through Xwayland)\n"
    "                       or auto, the default: Wayland where WAYLAND_DISPLAY is set\n"
    "  --fps                show the frame rate and CPU load in a corner\n"
    "  --rate HZ            frames per second, 1 to 240 (default 60, whatever the display)\n"
    "  --scale N            show every pixel as N x N screen pixels, 1 to 4 (default: as the\n"
    "                       desktop is scaled, by GDK_SCALE or the Xft.dpi resource)\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Options may also be written with one dash (-root), and values after '=' (--rate=30).\n"
    "With FLAKEMORPH_STATS=1 it prints the frame rate and its CPU share to stderr once a "
    "second.\n";

std::optional<Backend> ParseBackend(std::string_view text) {
  if (text == "auto") return Backend::kAuto;
  if (text == "x11") return Backend::kX11;
  if (text == "wayland") return Backend::kWayland;
  return std::nullopt;
}

bool ParseGeometry(std::string_view text, ProgramOptions& options) {
  const std::optional<Size> size = ParseSize(text, kLargestWindowSide);
  if (!size) return false;
  options.width = size->width;
  options.height = size->height;
  return true;
}

struct Seen {
  bool window = false;
  bool geometry = false;
  bool root = false;
  bool window_id = false;
  bool wallpaper = false;
  bool idle = false;
};

enum class OptionName {
  kWindow,
  kGeometry,
  kRoot,
  kWindowId,
  kWallpaper,
  kIdle,
  kBackend,
  kFps,
  kRate,
  kScale,
  kHelp,
  kVersion
};

struct OptionSpelling {
  std::string_view name;
  OptionName option;
  bool takes_value;
};

constexpr std::array<OptionSpelling, 12> kOptions{{
    {"window", OptionName::kWindow, false},
    {"geometry", OptionName::kGeometry, true},
    {"root", OptionName::kRoot, false},
    {"window-id", OptionName::kWindowId, true},
    {"wallpaper", OptionName::kWallpaper, false},
    {"idle", OptionName::kIdle, true},
    {"backend", OptionName::kBackend, true},
    {"fps", OptionName::kFps, false},
    {"rate", OptionName::kRate, true},
    {"scale", OptionName::kScale, true},
    {"help", OptionName::kHelp, false},
    {"version", OptionName::kVersion, false},
}};

const OptionSpelling* FindOption(std::string_view name) {
  for (const OptionSpelling& spelling : kOptions) {
    if (spelling.name == name) return &spelling;
  }
  return nullptr;
}

class CommandLineParser {
 public:
  CommandLineParser(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

  ParsedCommandLine Parse() {
    for (index_ = 1; index_ < argc_ && !Finished(); ++index_) TakeArgument(argv_[index_]);
    if (!Finished()) ChooseMode();
    return result_;
  }

 private:
  bool Finished() const { return result_.action != ParsedCommandLine::Action::kRun; }

  void Fail(std::string message) {
    result_.action = ParsedCommandLine::Action::kUsageError;
    result_.error = std::move(message);
  }

  void TakeArgument(std::string_view argument) {
    std::string_view name = argument;
    if (name.starts_with("--")) {
      name.remove_prefix(2);
    } else if (name.starts_with("-")) {
      name.remove_prefix(1);
    } else {
      return Fail("unexpected argument " + QuotedText(argument, "an argument"));
    }
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const OptionSpelling* spelling = FindOption(name);
    if (spelling == nullptr || name.empty()) {
      return Fail("unknown option " + QuotedText(argument, "an argument"));
    }
    if (!spelling->takes_value && value) return Fail("--" + std::string(name) + " takes no value");
    if (spelling->takes_value && !value) {
      if (index_ + 1 >= argc_) return Fail("--" + std::string(name) + " needs a value");
      value = argv_[++index_];
    }
    Apply(spelling->option, value.value_or(std::string_view{}));
  }

  void Apply(OptionName option, std::string_view value) {
    ProgramOptions& options = result_.options;
    switch (option) {
      case OptionName::kWindow:
        seen_.window = true;
        break;
      case OptionName::kGeometry:
        seen_.geometry = true;
        if (!ParseGeometry(value, options)) {
          Fail("--geometry takes a size WxH, each side from 1 to " +
               std::to_string(kLargestWindowSide) + " (the window system's limit), not " +
               QuotedText(value, "a value"));
        }
        break;
      case OptionName::kRoot:
        seen_.root = true;
        break;
      case OptionName::kWindowId:
        seen_.window_id = true;
        if (const auto id = ParseWindowId(value)) {
          options.window_id = *id;
        } else {
          Fail("--window-id takes a window id (0x... or decimal), not " +
               QuotedText(value, "a value"));
        }
        break;
      case OptionName::kWallpaper:
        seen_.wallpaper = true;
        break;
      case OptionName::kIdle:
        seen_.idle = true;
        TakeWhole(value, 1, kLongestIdle, options.idle_seconds,
                  "--idle takes the seconds of no input, a whole number from 1 to " +
                      std::to_string(kLongestIdle));
        break;
      case OptionName::kBackend:
        if (const auto backend = ParseBackend(value)) {
          options.backend = *backend;
        } else {
          Fail("--backend takes wayland, x11 or auto, not " + QuotedText(value, "a value"));
        }
        break;
      case OptionName::kFps:
        options.show_fps = true;
        break;
      case OptionName::kRate:
        TakeWhole(value, kLowestRate, kHighestRate, options.rate_hz,
                  "--rate takes a whole number from 1 to 240");
        break;
      case OptionName::kScale:
        TakeWhole(value, 1, kLargestScale, options.scale,
                  "--scale takes a whole number from 1 to 4");
        break;
      case OptionName::kHelp:
        result_.action = ParsedCommandLine::Action::kHelp;
        break;
      case OptionName::kVersion:
        result_.action = ParsedCommandLine::Action::kVersion;
        break;
    }
  }

  void TakeWhole(std::string_view value, int lowest, int highest, int& into,
                 const std::string& what) {
    if (const auto number = ParseWhole(value, lowest, highest)) {
      into = *number;
    } else {
      Fail(what + ", not " + QuotedText(value, "a value"));
    }
  }

  // The settings preview of a daemon adds --window-id to a command line that already says
  // --root, so the id wins; a window of our own cannot also be someone else's.
  void ChooseMode() {
    const bool own_window = seen_.window || seen_.geometry;
    if (own_window && (seen_.root || seen_.window_id)) {
      return Fail(std::string(seen_.window ? "--window" : "--geometry") +
                  " cannot go with --root or --window-id");
    }
    if (seen_.wallpaper && (own_window || seen_.root || seen_.window_id)) {
      return Fail("--wallpaper cannot go with --window, --geometry, --root or --window-id");
    }
    if (seen_.idle && (own_window || seen_.root || seen_.window_id || seen_.wallpaper)) {
      return Fail("--idle cannot go with --window, --geometry, --root, --window-id or --wallpaper");
    }
    ProgramOptions& options = result_.options;
    // --geometry is in picture pixels: the window on the screen is the scale times as large.
    if (seen_.geometry && options.scale > 0 &&
        std::max(options.width, options.height) * options.scale > kLargestWindowSide) {
      return Fail("--geometry " + std::to_string(options.width) + "x" +
                  std::to_string(options.height) + " at --scale " + std::to_string(options.scale) +
                  " is beyond the window system's limit of " + std::to_string(kLargestWindowSide) +
                  " pixels a side");
    }
    if (seen_.wallpaper) {
      options.mode = WindowMode::kWallpaper;
    } else if (seen_.window_id) {
      options.mode = WindowMode::kForeignWindow;
    } else if (seen_.root) {
      options.mode = WindowMode::kRoot;
    } else if (own_window) {
      options.mode = WindowMode::kPreview;
    }
  }

  int argc_;
  const char* const* argv_;
  int index_ = 1;
  Seen seen_;
  ParsedCommandLine result_;
};

}  // namespace

std::optional<WindowId> ParseWindowId(std::string_view text) {
  std::string_view digits = Trimmed(text);
  int base = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    digits.remove_prefix(2);
    base = 16;
  }
  const auto value = ParseDigits(digits, base, kLargestWindowId);
  if (!value || *value == 0) return std::nullopt;
  return static_cast<WindowId>(*value);
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  return CommandLineParser(argc, argv).Parse();
}

const char* UsageText() {
  return kUsage;
}

}  // namespace flakemorph
