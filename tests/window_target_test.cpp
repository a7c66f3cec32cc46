#include "app/window_target.h"

#include <gtest/gtest.h>

namespace flakemorph {
namespace {

ProgramOptions Root() {
  ProgramOptions options;
  options.mode = WindowMode::kRoot;
  return options;
}

TEST(WindowTargetTest, RootTakesTheDaemonsWindowInEitherNotation) {
  EXPECT_EQ(ChooseWindowTarget(Root(), "0x600008").window, 0x600008U);
  EXPECT_EQ(ChooseWindowTarget(Root(), "0X400e22").window, 0x400E22U);
  EXPECT_EQ(ChooseWindowTarget(Root(), " 4194305\n").window, 4194305U);
  EXPECT_TRUE(ChooseWindowTarget(Root(), "4194305").error.empty());
}

TEST(WindowTargetTest, RootWithoutTheVariableOrWithOnlyBlanksIsTheRootWindow) {
  for (const char* value : {static_cast<const char*>(nullptr), "", "  \t"}) {
    const TargetChoice choice = ChooseWindowTarget(Root(), value);
    EXPECT_EQ(choice.window, 0U);
    EXPECT_TRUE(choice.error.empty()) << choice.error;
  }
}

TEST(WindowTargetTest, AVariableThatNamesNoWindowIsAnError) {
  for (const char* value : {"0", "junk", "0x20000000", "12 34", "-1"}) {
    const TargetChoice choice = ChooseWindowTarget(Root(), value);
    EXPECT_EQ(choice.error,
              std::string("XSCREENSAVER_WINDOW holds no window id (0x... or decimal): \"") + value +
                  "\"");
  }
  // A daemon's variable is no place for a terminal's escapes, nor for pages of text.
  EXPECT_EQ(
      ChooseWindowTarget(Root(), "0x60\x1b]0;title\x07").error,
      "XSCREENSAVER_WINDOW holds no window id (0x... or decimal): \"0x60\\x1B]0;title\\x07\"");
  const std::string long_value(5000, '7');
  EXPECT_EQ(ChooseWindowTarget(Root(), long_value.c_str()).error,
            "XSCREENSAVER_WINDOW holds no window id (0x... or decimal): \"" +
                long_value.substr(0, 40) + "\"... (a value of 5000 bytes)");
}

// The settings preview passes its own window both ways; the command line wins, even over a
// variable that is wrong.
TEST(WindowTargetTest, AWindowIdOnTheCommandLineWinsOverTheVariable) {
  ProgramOptions options;
  options.mode = WindowMode::kForeignWindow;
  options.window_id = 0x400E22;
  for (const char* value : {static_cast<const char*>(nullptr), "0x600008", "junk"}) {
    const TargetChoice choice = ChooseWindowTarget(options, value);
    EXPECT_EQ(choice.window, 0x400E22U);
    EXPECT_TRUE(choice.error.empty());
  }
}

}  // namespace
}  // namespace flakemorph
