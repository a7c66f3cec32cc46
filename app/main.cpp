// flakemorph: opens a window over every monitor, or the preview window, or takes a window of
// another program, and runs an animation in each until a key, a click or a close request ends
// the program (in a window of another program: SIGTERM, or the window's end).
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/end_policy.h"
#include "app/event_loop.h"
#include "app/idle_saver_input.h"
#include "app/options.h"
#include "app/process.h"
#include "app/program.h"
#include "app/window_target.h"
#include "common/fail.h"
#include "figures/quoted_text.h"
#include "figures/random_source.h"
#include "platform/window_request.h"
#ifdef _WIN32
#include "app/saver_command_line.h"
#include "platform/windows/message.h"
#include "platform/windows/windows_window_system.h"
#else
#include "platform/wayland/wayland_window_system.h"
#include "platform/x11/x11_window_system.h"
#endif

namespace flakemorph {
namespace {

constexpr int kUsageErrorStatus = 2;
// However the window system ends after SIGINT or SIGTERM, the program is gone this soon.
constexpr int kSignalGraceMilliseconds = 50;

#ifndef _WIN32
// The help or the version on stdout; says so on stderr and gives false when it cannot be
// written (a full disk, a closed pipe, a stream that was closed).
bool WriteOut(const char* text, const char* what, const ClosedStreams& closed) {
  if (closed.output) {
    std::fprintf(stderr, "flakemorph: cannot write the %s: standard output is closed\n", what);
    return false;
  }
  if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return true;
  std::fprintf(stderr, "flakemorph: cannot write the %s: %s\n", what, std::strerror(errno));
  return false;
}

// Answers --help, --version and a wrong command line; gives the options of a run.
std::optional<ProgramOptions> OptionsOfRun(int argc, char** argv, const ClosedStreams& closed,
                                           int& status) {
  using Action = ParsedCommandLine::Action;
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  status = 0;
  switch (parsed.action) {
    case Action::kRun:
      return parsed.options;
    case Action::kHelp:
      if (!WriteOut(UsageText(), "help", closed)) status = 1;
      break;
    case Action::kVersion:
      if (!WriteOut("flakemorph " FLAKEMORPH_VERSION "\n", "version", closed)) status = 1;
      break;
    case Action::kUsageError:
      std::fprintf(stderr, "flakemorph: %s\n\n%s", parsed.error.c_str(), UsageText());
      status = kUsageErrorStatus;
      break;
  }
  return std::nullopt;
}
#endif

bool StatsWanted() {
  const char* value = std::getenv("FLAKEMORPH_STATS");
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

bool InsideAnotherProgram(const ProgramOptions& options) {
  return options.mode == WindowMode::kRoot || options.mode == WindowMode::kForeignWindow;
}

#ifndef _WIN32
bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}
#endif

// The window of another program that --root or --window-id name; ends the program with a
// message if the names are wrong.
WindowId WindowOfAnother(const ProgramOptions& options) {
  const TargetChoice choice = ChooseWindowTarget(options, std::getenv("XSCREENSAVER_WINDOW"));
  if (!choice.error.empty()) Fail(kUsageErrorStatus, "%s", choice.error.c_str());
  TakeSaverSignals();
  return choice.window;
}

WindowRequest RequestOf(const ProgramOptions& options, StatsOut* stats) {
  WindowRequest request;
  request.mode = options.mode;
  if (InsideAnotherProgram(options)) request.window_id = WindowOfAnother(options);
  request.width = options.width;
  request.height = options.height;
  request.scale = options.scale;
  request.show_fps = options.show_fps;
  request.primary_monitor_only = options.primary_monitor_only;
  request.idle_seconds = options.idle_seconds;
  request.stats = stats;
  return request;
}

// The window systems this build has, in the order they are tried: each with its name (as
// --backend gives it), whether it can be tried here, what is missing where it cannot or does
// not answer, how to open it (nothing where its display server does not answer) and which
// modes it offers, with why it refuses the others, and why it refuses --idle where it does.
struct WindowSystemEntry {
  Backend backend;
  bool (*available)();
  std::string (*missing)();
  std::unique_ptr<WindowSystem> (*open)(const WindowRequest& request, const EventContext& context);
  bool (*offers)(WindowMode mode);
  const char* refusal;
  const char* idle_refusal;  // nothing where --idle is offered
};

bool AnyMode(WindowMode) {
  return true;
}

#ifdef _WIN32
const std::array kWindowSystems{
    WindowSystemEntry{Backend::kAuto, [] { return true; }, [] { return std::string("no desktop"); },
                      OpenWindowsWindowSystem, AnyMode, "",
                      "--idle is for Wayland compositors; Windows runs the saver itself"},
};
#else
// Wayland's windows cannot go into an X window of another program.
bool WaylandOffers(WindowMode mode) {
  return mode != WindowMode::kRoot && mode != WindowMode::kForeignWindow;
}

// Where the compositor was looked for: WAYLAND_DISPLAY, or libwayland's default.
std::string NoCompositor() {
  return "no Wayland compositor at " +
         QuotedText(Named("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0",
                    "a name");
}

// On X11 the wallpaper is the root window.
std::unique_ptr<WindowSystem> OpenX11(const WindowRequest& request, const EventContext& context) {
  WindowRequest x11 = request;
  if (x11.mode == WindowMode::kWallpaper) {
    TakeSaverSignals();
    x11.window_id = 0;
  }
  return OpenX11WindowSystem(x11, context);
}

// X11 last: where no display server is there at all, it says itself what is wrong.
const std::array kWindowSystems{
    WindowSystemEntry{Backend::kWayland, [] { return Named("WAYLAND_DISPLAY"); }, NoCompositor,
                      OpenWaylandWindowSystem, WaylandOffers,
                      "--root and --window-id draw into X windows: use --backend x11", nullptr},
    WindowSystemEntry{Backend::kX11, [] { return Named("DISPLAY"); },
                      [] { return std::string("no X display"); }, OpenX11, AnyMode, "",
                      // An X session has its screen-saver daemons, which know the idle time
                      // and the locker.
                      "--idle is for Wayland compositors; on X11 a screen-saver daemon runs "
                      "flakemorph when the session is idle"},
};
#endif

// The window system --backend names, or the first of the table that is there, offers the mode
// and answers; where none is there at all, the last that offers the mode is tried anyway.
std::unique_ptr<WindowSystem> OpenWindowSystem(const ProgramOptions& options,
                                               const WindowRequest& request,
                                               const EventContext& context) {
  const bool named = options.backend != Backend::kAuto;
  bool tried = false;
  std::string missing;
  const WindowSystemEntry* last = nullptr;
  const char* idle_refusal = nullptr;
  for (const WindowSystemEntry& entry : kWindowSystems) {
    if (named && entry.backend != options.backend) continue;
    if (!entry.offers(options.mode)) {
      if (!named) continue;
      Fail(kUsageErrorStatus, "%s", entry.refusal);
    }
    if (options.idle_seconds > 0 && entry.idle_refusal != nullptr) {
      if (named || entry.available()) Fail(1, "%s", entry.idle_refusal);
      idle_refusal = entry.idle_refusal;
      continue;
    }
    last = &entry;
    if (named || entry.available()) {
      tried = true;
      if (auto system = entry.open(request, context)) return system;
    }
    missing += (missing.empty() ? "" : " and ") + entry.missing();
  }
  if (!tried && last == nullptr && idle_refusal != nullptr) Fail(1, "%s", idle_refusal);
  if (!tried && last != nullptr) {
    if (auto system = last->open(request, context)) return system;
  }
  Fail(1, "cannot open a window: %s", missing.c_str());
}

#if defined(__SANITIZE_ADDRESS__)
// LeakSanitizer cannot look into a process that another one traces (the daemon tests watch the
// saver with strace) and would fail its end; such a run ends here, without the check.
void EndHereIfTraced() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return;
  char line[256];
  long tracer = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "TracerPid: %ld", &tracer) == 1) break;
  }
  std::fclose(status);
  if (tracer == 0) return;
  std::fflush(nullptr);
  std::_Exit(0);
}
#else
void EndHereIfTraced() {}
#endif

int RunProgram(const ProgramOptions& options, bool screen_saver) {
  std::optional<StatsOut> stats;
  // stderr's descriptor: on Windows a console's, which UseParentConsole may have opened anew.
#ifdef _WIN32
  if (StatsWanted()) stats.emplace(_fileno(stderr));
#else
  if (StatsWanted()) stats.emplace(fileno(stderr));
#endif
  StatsOut* const stats_out = stats ? &*stats : nullptr;
  // The idle saver's input ends each showing; only a signal ends the run.
  EndPolicy run_input(EndRuleOf(options.mode, screen_saver));
  IdleSaverInput idle_input;
  InputSink& input = options.idle_seconds > 0 ? static_cast<InputSink&>(idle_input) : run_input;
  SignalWaiter waiter(input);
  const EventContext context{input, waiter};
  WindowRequest request = RequestOf(options, stats_out);
  request.screen_saver = screen_saver;
  const std::unique_ptr<WindowSystem> windows = OpenWindowSystem(options, request, context);
  // Each monitor's figures come from a stream of its own, so no two show the same flake.
  const RandomStreams randoms = [](std::size_t stream) {
    return std::make_unique<TimeSeededGenerator>(LocalNanosecondsSinceMidnight, stream);
  };
  MonotonicClock clock;
  ProcessCpuClock cpu;
  const ProgramSettings settings{windows->RefreshHz(), options.rate_hz, options.show_fps,
                                 stats_out};
  Program program(*windows, randoms, clock, cpu, settings);
  program.Run();
  EndHereIfTraced();
  return 0;
}

#ifdef _WIN32
[[noreturn]] void FailCommandLine(const std::string& error) {
  FailWithMessage(error + "\n\n" + WindowsUsageHint(), kUsageErrorStatus);
}

void ShowWindowsHelp() {
  SayToUser(std::string("flakemorph " FLAKEMORPH_VERSION "\n\n") + WindowsHelpText(),
            MessageKind::kInformation);
}

// Windows starts a screen saver with a command line of its own: /s runs it on every monitor,
// /p in the settings dialog's preview, with the settings its own dialog (/c) stored.
int RunSaverCommand(const SaverCommand& command) {
  using Action = SaverCommand::Action;
  switch (command.action) {
    case Action::kSettings:
      RunSettingsDialog(command.window);
      return 0;
    case Action::kPassword:  // older Windows only; the saver sets no password
      return 0;
    case Action::kHelp:
      ShowWindowsHelp();
      return 0;
    case Action::kRun:
    case Action::kPreview:
      break;
  }
  const ProgramOptions options = SaverRunOptions(command, LoadSaverSettings());
  return RunProgram(options, command.action == Action::kRun);
}

// The program's own options, from a command prompt: those of the Linux desktops are refused
// in Windows' words.
int RunWithOptions(int argc, char** argv) {
  using Action = ParsedCommandLine::Action;
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  switch (parsed.action) {
    case Action::kHelp:
      ShowWindowsHelp();
      return 0;
    case Action::kVersion:
      SayToUser("flakemorph " FLAKEMORPH_VERSION, MessageKind::kInformation);
      return 0;
    case Action::kUsageError:
      FailCommandLine(parsed.error);
    case Action::kRun:
      break;
  }
  const ProgramOptions& options = parsed.options;
  if (options.mode == WindowMode::kRoot) {
    FailCommandLine("--root is not for Windows, which starts its screen saver with /s");
  }
  if (options.mode == WindowMode::kWallpaper) FailCommandLine("--wallpaper is not for Windows");
  if (options.idle_seconds > 0) {
    FailCommandLine("--idle is not for Windows, which starts its screen saver itself (/s)");
  }
  if (options.backend != Backend::kAuto) {
    FailCommandLine("--backend is not for Windows, which has one way of showing windows");
  }
  return RunProgram(options, false);
}

int RunOnWindows(int argc, char** argv) {
  using Kind = SaverCommandLine::Kind;
  UseParentConsole();
  const SaverCommandLine saver = ParseSaverCommandLine(argc, argv);
  switch (saver.kind) {
    case Kind::kCommand:
      return RunSaverCommand(saver.command);
    case Kind::kError:
      FailCommandLine(saver.error);
    case Kind::kOptions:
      break;
  }
  return RunWithOptions(argc, argv);
}
#endif

int Main(int argc, char** argv) {
#ifdef _WIN32
  // Before anything else: a signal in the first moments ends the run as one later does.
  TakeEndingSignals(kSignalGraceMilliseconds);
  return RunOnWindows(argc, argv);
#else
  // Before anything else, the standard streams (no descriptor opened later may take their
  // place) and the signals: one in the first moments ends the run as one later does.
  const ClosedStreams closed = OpenClosedStandardStreams();
  TakeEndingSignals(kSignalGraceMilliseconds);
  int status = 0;
  const std::optional<ProgramOptions> options = OptionsOfRun(argc, argv, closed, status);
  if (!options) return status;
  return RunProgram(*options, false);
#endif
}

}  // namespace
}  // namespace flakemorph

int main(int argc, char** argv) {
  return flakemorph::Main(argc, argv);
}
