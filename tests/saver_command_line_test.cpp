#include "app/saver_command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace flakemorph {
namespace {

std::optional<SaverCommand> Parse(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"flakemorph.scr"};
  argv.insert(argv.end(), arguments);
  return ParseSaverCommand(static_cast<int>(argv.size()), argv.data());
}

void ExpectCommand(std::initializer_list<const char*> arguments, SaverCommand::Action action,
                   WindowId window) {
  const std::optional<SaverCommand> command = Parse(arguments);
  ASSERT_TRUE(command.has_value()) << *arguments.begin();
  EXPECT_EQ(command->action, action) << *arguments.begin();
  EXPECT_EQ(command->window, window) << *arguments.begin();
}

// Every way Windows and its users write the four commands.
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
}

// A double-click on the file starts it without arguments: that asks for its settings.
TEST(SaverCommand, NoArgumentsAtAllMeanSettings) {
  ExpectCommand({}, SaverCommand::Action::kSettings, 0);
}

// The program's own options are no saver command, even with one dash; nor is a preview
// without a window, a window that is no handle, or anything left over.
TEST(SaverCommand, LeavesTheProgramsOwnOptionsAndMalformedCommandsAlone) {
  for (const auto& arguments : std::vector<std::vector<const char*>>{{"--window"},
                                                                     {"-fps"},
                                                                     {"-root"},
                                                                     {"-s5"},
                                                                     {"/x"},
                                                                     {"/"},
                                                                     {"s"},
                                                                     {"/p"},
                                                                     {"/p", "hwnd"},
                                                                     {"/p:"},
                                                                     {"/p:0"},
                                                                     {"/p:12a"},
                                                                     {"/p:99999999999"},
                                                                     {"/s", "--fps"},
                                                                     {"/p", "12", "13"},
                                                                     {"/c:5", "/s"}}) {
    std::vector<const char*> argv{"flakemorph.scr"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    EXPECT_FALSE(ParseSaverCommand(static_cast<int>(argv.size()), argv.data()).has_value())
        << arguments.front();
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
}

}  // namespace
}  // namespace flakemorph
