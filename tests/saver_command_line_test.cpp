#include "app/saver_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace flakemorph {
namespace {

SaverCommandLine Parse(const std::vector<const char*>& arguments) {
  std::vector<const char*> argv{"flakemorph.scr"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return ParseSaverCommandLine(static_cast<int>(argv.size()), argv.data());
}

void ExpectCommand(const std::vector<const char*>& arguments, SaverCommand::Action action,
                   WindowId window) {
  const SaverCommandLine parsed = Parse(arguments);
  const char* first = arguments.empty() ? "(nothing)" : arguments.front();
  ASSERT_EQ(parsed.kind, SaverCommandLine::Kind::kCommand) << first << ": " << parsed.error;
  EXPECT_EQ(parsed.command.action, action) << first;
  EXPECT_EQ(parsed.command.window, window) << first;
}

// Every way Windows and its users write the commands.
TEST(SaverCommand, TakesEitherCaseEitherPrefixAndBothWaysOfGivingTheWindow) {
  using Action = SaverCommand::Action;
  for (const char* run : {"/s", "/S", "-s", "-S"}) ExpectCommand({run}, Action::kRun, 0);
  ExpectCommand({"/p", "1234"}, Action::kPreview, 1234);
  ExpectCommand({"/P:65602"}, Action::kPreview, 65602);
  ExpectCommand({"-p", "4294967295"}, Action::kPreview, 4294967295U);
  ExpectCommand({"/c"}, Action::kSettings, 0);
  ExpectCommand({"/C:330"}, Action::kSettings, 330);
  ExpectCommand({"-c", "17"}, Action::kSettings, 17);
  ExpectCommand({"/a", "99"}, Action::kPassword, 99);
  ExpectCommand({"/?"}, Action::kHelp, 0);
  ExpectCommand({"-?"}, Action::kHelp, 0);
  // A double-click on the file starts it without arguments: that asks for its settings.
  ExpectCommand({}, Action::kSettings, 0);
}

// The program's own options are no saver command, even with one dash.
TEST(SaverCommand, LeavesTheProgramsOwnOptionsAlone) {
  for (const auto& arguments : std::vector<std::vector<const char*>>{
           {"--window"}, {"-fps"}, {"-root"}, {"-s5"}, {"--help"}, {"--rate", "30"}}) {
    EXPECT_EQ(Parse(arguments).kind, SaverCommandLine::Kind::kOptions) << arguments.front();
  }
}

// A switch written wrong is named, with what is wrong with it: never the switch before it
// for the argument after it, never a usage of options.
TEST(SaverCommand, NamesThePartOfASwitchThatIsWrong) {
  const std::string long_argument(2000, 'x');
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases{
      {{"/p"}, "/p needs the handle of the preview window, a number (/p 1234)"},
      {{"/p", "0"},
       "/p \"0\" names no window: the handle of the preview window is a number "
       "from 1 to 4294967295"},
      {{"/p", "99999999999999999999"}, "/p \"99999999999999999999\" names no window"},
      {{"/p:12a"}, "/p takes the handle of the preview window, a number, not \"12a\""},
      {{"/p", "hwnd"}, "/p takes the handle of the preview window, a number, not \"hwnd\""},
      {{"/p:"}, "/p takes the handle of the preview window, a number, not \"\""},
      {{"/c:0"}, "/c \"0\" names no window: the handle of the window that owns the dialog"},
      {{"/s", long_argument.c_str()},
       "/s takes nothing after it, not \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"... (an "
       "argument of 2000 bytes)"},
      {{"/s", "--fps"}, "/s takes nothing after it, not \"--fps\""},
      {{"/S:5"}, "/S takes nothing after it, not \"5\""},
      {{"/p", "12", "13"}, "unexpected \"13\" after /p 12"},
      {{"/c:5", "/s"}, "unexpected \"/s\" after /c 5"},
      {{"/x"}, "unknown switch \"/x\": the switches are /s, /p HWND and /c"},
      {{"/"}, "unknown switch \"/\""},
      {{"/screen"}, "unknown switch \"/screen\""},
      {{"s"}, "unexpected \"s\": the switches are /s, /p HWND and /c"},
  };
  for (const auto& [arguments, message] : cases) {
    const SaverCommandLine parsed = Parse(arguments);
    EXPECT_EQ(parsed.kind, SaverCommandLine::Kind::kError) << arguments.front();
    EXPECT_TRUE(parsed.error.starts_with(message)) << arguments.front() << ": " << parsed.error;
  }
}

// What Windows users read: its switches and the registry, nothing of the Linux desktops'.
TEST(SaverCommand, HelpIsWindows) {
  const std::string help = WindowsHelpText();
  for (const char* part : {"/s", "/p HWND", "/c", "HKEY_CURRENT_USER\\Software\\flakemorph", "Rate",
                           "ShowFps", "PrimaryOnly", "--window", "--fps", "--scale"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
  for (const char* part :
       {"X11", "Wayland", "--root", "--wallpaper", "--backend", "GDK_SCALE", "XSCREENSAVER"}) {
    EXPECT_EQ(help.find(part), std::string::npos) << part;
  }
}

// /s covers every monitor and /p draws into the given window, both with the stored speed and
// frame-rate text; a stored speed out of range is brought back inside it.
TEST(SaverCommand, RunsWithTheStoredSettings) {
  const ProgramOptions run = SaverRunOptions({SaverCommand::Action::kRun, 0}, {30, true});
  EXPECT_EQ(run.mode, WindowMode::kEveryMonitor);
  EXPECT_EQ(run.rate_hz, 30);
  EXPECT_TRUE(run.show_fps);
  const ProgramOptions preview =
      SaverRunOptions({SaverCommand::Action::kPreview, 4242}, {500, false});
  EXPECT_EQ(preview.mode, WindowMode::kForeignWindow);
  EXPECT_EQ(preview.window_id, 4242U);
  EXPECT_EQ(preview.rate_hz, kHighestRate);
  EXPECT_FALSE(preview.show_fps);
  EXPECT_EQ(SaverRunOptions({SaverCommand::Action::kRun, 0}, {0, false}).rate_hz, kLowestRate);
  // The preview's one window is the picture, whatever is stored for the monitors.
  EXPECT_TRUE(
      SaverRunOptions({SaverCommand::Action::kRun, 0}, {60, false, true}).primary_monitor_only);
  EXPECT_FALSE(
      SaverRunOptions({SaverCommand::Action::kPreview, 7}, {60, false, true}).primary_monitor_only);
}

}  // namespace
}  // namespace flakemorph
