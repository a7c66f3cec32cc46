#include "app/saver_command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "figures/quoted_text.h"

namespace flakemorph {
namespace {

using Action = SaverCommand::Action;

std::optional<Action> ActionOf(char letter) {
  switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 's':
      return Action::kRun;
    case 'p':
      return Action::kPreview;
    case 'c':
      return Action::kSettings;
    case 'a':
      return Action::kPassword;
    case '?':
      return Action::kHelp;
    default:
      return std::nullopt;
  }
}

// Windows writes window handles in decimal; their significant part is 32 bits wide.
constexpr std::uint64_t kLargestHandle = UINT32_MAX;

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<WindowId> ParseHandle(std::string_view text) {
  const auto value = ParseDigits(text, 10, kLargestHandle);
  if (!value || *value == 0) return std::nullopt;
  return static_cast<WindowId>(*value);
}

std::string Quoted(std::string_view text) {
  return QuotedText(text, "an argument");
}

class SaverParser {
 public:
  SaverParser(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

  SaverCommandLine Parse() {
    if (argc_ <= 1) return Command(Action::kSettings);
    const std::string_view first = argv_[1];
    const bool slash = first.starts_with('/');
    if (!slash && !first.starts_with('-')) {
      return Error("unexpected " + Quoted(first) + ": " + kSwitches);
    }
    const std::optional<Action> action = first.size() >= 2 ? ActionOf(first[1]) : std::nullopt;
    std::string_view rest = action ? first.substr(2) : first;
    // "-fps", "-root", "--window": the program's own options, which never begin with "/".
    if (!action || (!rest.empty() && rest[0] != ':')) {
      if (!slash) return SaverCommandLine{};
      return Error("unknown switch " + Quoted(first) + ": " + kSwitches);
    }
    switch_ = first.substr(0, 2);
    if (!rest.empty()) return WithHandle(*action, rest.substr(1), 2);
    if (*action == Action::kRun || *action == Action::kHelp) return Alone(*action);
    if (argc_ > 2) return WithHandle(*action, argv_[2], 3);
    if (*action == Action::kPreview) return Error(PreviewNeedsHandle());
    return Command(*action);
  }

 private:
  static constexpr const char* kSwitches = "the switches are /s, /p HWND and /c";

  SaverCommandLine Command(Action action, WindowId window = 0) const {
    return SaverCommandLine{SaverCommandLine::Kind::kCommand, SaverCommand{action, window}, {}};
  }

  static SaverCommandLine Error(std::string message) {
    return SaverCommandLine{SaverCommandLine::Kind::kError, {}, std::move(message)};
  }

  std::string PreviewNeedsHandle() const {
    return std::string(switch_) + " needs the handle of the preview window, a number (" +
           std::string(switch_) + " 1234), as the Screen Saver settings give it";
  }

  // /s and /? take nothing after them.
  SaverCommandLine Alone(Action action) const {
    if (argc_ > 2) {
      return Error(std::string(switch_) + " takes nothing after it, not " + Quoted(argv_[2]));
    }
    return Command(action);
  }

  // `used` arguments are taken once the handle is; nothing may follow.
  SaverCommandLine WithHandle(Action action, std::string_view text, int used) const {
    if (action == Action::kRun || action == Action::kHelp) {
      return Error(std::string(switch_) + " takes nothing after it, not " + Quoted(text));
    }
    const std::optional<WindowId> window = ParseHandle(text);
    if (!window) return Error(NoHandle(action, text));
    if (used < argc_) {
      return Error("unexpected " + Quoted(argv_[used]) + " after " + std::string(switch_) + " " +
                   std::string(text));
    }
    return Command(action, *window);
  }

  std::string NoHandle(Action action, std::string_view text) const {
    const std::string whose = action == Action::kPreview
                                  ? "the handle of the preview window"
                                  : "the handle of the window that owns the dialog";
    if (!AllDigits(text)) {
      return std::string(switch_) + " takes " + whose + ", a number, not " + Quoted(text);
    }
    return std::string(switch_) + " " + Quoted(text) + " names no window: " + whose +
           " is a number from 1 to " + std::to_string(kLargestHandle);
  }

  int argc_;
  const char* const* argv_;
  std::string_view switch_;
};

}  // namespace

SaverCommandLine ParseSaverCommandLine(int argc, const char* const* argv) {
  return SaverParser(argc, argv).Parse();
}

ProgramOptions SaverRunOptions(const SaverCommand& command, const SaverSettings& settings) {
  ProgramOptions options;
  if (command.action == SaverCommand::Action::kPreview) {
    options.mode = WindowMode::kForeignWindow;
    options.window_id = command.window;
  } else {
    options.primary_monitor_only = settings.primary_monitor_only;
  }
  options.rate_hz = std::clamp(settings.rate_hz, kLowestRate, kHighestRate);
  options.show_fps = settings.show_fps;
  return options;
}

const char* WindowsHelpText() {
  return "A screen saver: a symmetric flake of 360 coloured circles spins, swells in lobes and\n"
         "wanders; every few seconds it bursts and gathers again into a new one.\n"
         "\n"
         "Windows starts it with one of these switches:\n"
         "  /s\tthe screen saver, on every monitor\n"
         "  /p HWND\tthe preview inside the window HWND (the Screen Saver settings' picture)\n"
         "  /c\tits settings (so does starting it with nothing, a double-click on the file)\n"
         "  /?\tthis help\n"
         "The letters in either case, \"-s\" as well as \"/s\", \"/p:HWND\" as well as \"/p "
         "HWND\".\n"
         "Any key, a mouse button, a wheel turn, moving the mouse, or another program taking\n"
         "the keyboard ends /s.\n"
         "\n"
         "The settings (/c), kept for each user in the registry under\n"
         "HKEY_CURRENT_USER\\Software\\flakemorph:\n"
         "  Rate\tframes a second, 1 to 240 (60: the pace it was made for)\n"
         "  ShowFps\t1: the frame rate and CPU load in the top-left corner\n"
         "  PrimaryOnly\t1: the flake on the primary monitor only, the others black\n"
         "\n"
         "Options, from a command prompt:\n"
         "  --window\tan ordinary window of 1280x720 instead of every monitor\n"
         "  --geometry WxH\tan ordinary window of that size\n"
         "  --fps\tthe frame rate and CPU load in the top-left corner\n"
         "  --rate N\tN frames a second, 1 to 240\n"
         "  --scale N\tevery picture pixel N x N screen pixels, 1 to 4 (default: Windows')\n"
         "  --window-id HWND\tinside the window HWND of another program\n"
         "  --version\tthe version\n"
         "  --help\tthis help\n";
}

const char* WindowsUsageHint() {
  return "Windows starts a screen saver with /s (run it), /p HWND (its preview) or /c (its "
         "settings); \"flakemorph.scr /?\" tells the rest.";
}

}  // namespace flakemorph
