#include "app/saver_command_line.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace flakemorph {
namespace {

std::optional<SaverCommand::Action> ActionOf(char letter) {
  switch (std::tolower(static_cast<unsigned char>(letter))) {
    case 's':
      return SaverCommand::Action::kRun;
    case 'p':
      return SaverCommand::Action::kPreview;
    case 'c':
      return SaverCommand::Action::kSettings;
    case 'a':
      return SaverCommand::Action::kPassword;
    default:
      return std::nullopt;
  }
}

// Windows writes window handles in decimal.
std::optional<WindowId> ParseHandle(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  if (value == 0 || value > UINT32_MAX) return std::nullopt;
  return static_cast<WindowId>(value);
}

}  // namespace

std::optional<SaverCommand> ParseSaverCommand(int argc, const char* const* argv) {
  if (argc <= 1) return SaverCommand{SaverCommand::Action::kSettings, 0};
  const std::string_view first = argv[1];
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return std::nullopt;
  const std::optional<SaverCommand::Action> action = ActionOf(first[1]);
  if (!action) return std::nullopt;
  std::string_view rest = first.substr(2);
  if (!rest.empty() && rest[0] != ':') return std::nullopt;  // "-fps", "-root": options
  if (!rest.empty()) rest.remove_prefix(1);
  int used = 2;
  if (rest.empty() && argc > 2 && ParseHandle(argv[2])) rest = argv[used++];
  if (used < argc) return std::nullopt;
  SaverCommand command{*action, 0};
  if (rest.empty()) {
    return *action == SaverCommand::Action::kPreview ? std::nullopt
                                                     : std::optional<SaverCommand>(command);
  }
  const std::optional<WindowId> window = ParseHandle(rest);
  if (!window) return std::nullopt;
  command.window = *window;
  return command;
}

ProgramOptions SaverRunOptions(const SaverCommand& command, const SaverSettings& settings) {
  ProgramOptions options;
  if (command.action == SaverCommand::Action::kPreview) {
    options.mode = WindowMode::kForeignWindow;
    options.window_id = command.window;
  }
  options.rate_hz = std::clamp(settings.rate_hz, kLowestRate, kHighestRate);
  options.show_fps = settings.show_fps;
  return options;
}

}  // namespace flakemorph
