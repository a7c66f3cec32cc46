#include "app/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace flakemorph {
namespace {

using Action = ParsedCommandLine::Action;

ParsedCommandLine Parse(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"flakemorph"};
  argv.insert(argv.end(), arguments);
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(WindowIdTest, TakesHexInEitherCaseAndDecimalWithBlanksAround) {
  EXPECT_EQ(ParseWindowId("0x600008"), 0x600008U);
  EXPECT_EQ(ParseWindowId("0x400E22"), 0x400E22U);
  EXPECT_EQ(ParseWindowId("0X400e22"), 0x400E22U);
  EXPECT_EQ(ParseWindowId("4194305"), 4194305U);
  EXPECT_EQ(ParseWindowId("  4194305\n"), 4194305U);
  EXPECT_EQ(ParseWindowId("\t0x600008 "), 0x600008U);
  EXPECT_EQ(ParseWindowId("0x1fffffff"), 0x1FFFFFFFU);
  EXPECT_EQ(ParseWindowId("007"), 7U);
}

TEST(WindowIdTest, RefusesZeroJunkAndIdsNoWindowCanHave) {
  for (const char* text :
       {"", "   ", "0", "0x0", "0x", "x10", "12abc", "0x12g", "-5", "+5", "1 2", "0x20000000",
        "536870912", "99999999999999999999999", "1e3", "0x-1", "abc"}) {
    EXPECT_EQ(ParseWindowId(text), std::nullopt) << "'" << text << "'";
  }
}

TEST(CommandLineTest, WithoutArgumentsCoversEveryMonitorAtTheDisplaysRate) {
  const ParsedCommandLine parsed = Parse({});
  EXPECT_EQ(parsed.action, Action::kRun);
  EXPECT_EQ(parsed.options.mode, WindowMode::kEveryMonitor);
  EXPECT_FALSE(parsed.options.show_fps);
  EXPECT_EQ(parsed.options.rate_hz, 0);
}

TEST(CommandLineTest, EveryOptionIsTakenWithOneDashOrTwoAndValuesApartOrAfterEquals) {
  for (auto arguments : {std::vector<const char*>{"--window-id", "0x40", "--fps", "--rate", "30"},
                         std::vector<const char*>{"-window-id", "64", "-fps", "-rate", "30"},
                         std::vector<const char*>{"--window-id=0x40", "-fps", "-rate=30"}}) {
    arguments.insert(arguments.begin(), "flakemorph");
    const ParsedCommandLine parsed =
        ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    ASSERT_EQ(parsed.action, Action::kRun) << parsed.error;
    EXPECT_EQ(parsed.options.mode, WindowMode::kForeignWindow);
    EXPECT_EQ(parsed.options.window_id, 0x40U);
    EXPECT_TRUE(parsed.options.show_fps);
    EXPECT_EQ(parsed.options.rate_hz, 30);
  }
  EXPECT_EQ(Parse({"-root"}).options.mode, WindowMode::kRoot);
  EXPECT_EQ(Parse({"--root"}).options.mode, WindowMode::kRoot);
  EXPECT_EQ(Parse({"-help"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).action, Action::kVersion);
}

TEST(CommandLineTest, ThePreviewsWindowIdWinsOverRoot) {
  for (const auto& parsed :
       {Parse({"--root", "--window-id", "0x400E22"}), Parse({"-window-id", "0x400E22", "-root"})}) {
    ASSERT_EQ(parsed.action, Action::kRun) << parsed.error;
    EXPECT_EQ(parsed.options.mode, WindowMode::kForeignWindow);
    EXPECT_EQ(parsed.options.window_id, 0x400E22U);
  }
}

TEST(CommandLineTest, ThePreviewWindowTakesItsSizeFromGeometry) {
  EXPECT_EQ(Parse({"--window"}).options.mode, WindowMode::kPreview);
  EXPECT_EQ(Parse({"--window"}).options.width, 1280);
  EXPECT_EQ(Parse({"--window"}).options.height, 720);
  const ParsedCommandLine sized = Parse({"-window", "-geometry", "640X480"});
  EXPECT_EQ(sized.options.mode, WindowMode::kPreview);
  EXPECT_EQ(sized.options.width, 640);
  EXPECT_EQ(sized.options.height, 480);
  EXPECT_EQ(Parse({"--geometry=1x16384"}).options.height, 16384);
}

TEST(CommandLineTest, TheWallpaperAndTheWindowSystemAreChosenByName) {
  EXPECT_EQ(Parse({}).options.backend, Backend::kAuto);
  EXPECT_EQ(Parse({"--wallpaper"}).options.mode, WindowMode::kWallpaper);
  EXPECT_EQ(Parse({"-wallpaper", "--fps"}).options.mode, WindowMode::kWallpaper);
  EXPECT_EQ(Parse({"--backend", "x11"}).options.backend, Backend::kX11);
  EXPECT_EQ(Parse({"-backend=wayland"}).options.backend, Backend::kWayland);
  EXPECT_EQ(Parse({"--backend=wayland", "--backend", "auto"}).options.backend, Backend::kAuto);
  const ParsedCommandLine window = Parse({"--backend", "wayland", "--window"});
  EXPECT_EQ(window.options.mode, WindowMode::kPreview);
  EXPECT_EQ(window.options.backend, Backend::kWayland);
}

TEST(CommandLineTest, RatesRunFromOneToTwoHundredForty) {
  EXPECT_EQ(Parse({"--rate", "1"}).options.rate_hz, 1);
  EXPECT_EQ(Parse({"--rate", "240"}).options.rate_hz, 240);
  for (const char* rate : {"0", "241", "-5", "30.5", "", "thirty", "1e2", " 30"}) {
    const ParsedCommandLine parsed = Parse({"--rate", rate});
    EXPECT_EQ(parsed.action, Action::kUsageError) << rate;
    EXPECT_NE(parsed.error.find("--rate"), std::string::npos) << parsed.error;
  }
}

TEST(CommandLineTest, ScalesRunFromOneToFour) {
  EXPECT_EQ(Parse({}).options.scale, 0);
  EXPECT_EQ(Parse({"--scale", "1"}).options.scale, 1);
  EXPECT_EQ(Parse({"-scale=4", "--window"}).options.scale, 4);
  for (const char* scale : {"0", "5", "1.5", "", "two", " 2"}) {
    const ParsedCommandLine parsed = Parse({"--scale", scale});
    EXPECT_EQ(parsed.action, Action::kUsageError) << scale;
    EXPECT_NE(parsed.error.find("--scale takes a whole number from 1 to 4"), std::string::npos)
        << parsed.error;
  }
}

TEST(CommandLineTest, TheIdleSaverWaitsFromOneSecondToADay) {
  EXPECT_EQ(Parse({}).options.idle_seconds, 0);
  EXPECT_EQ(Parse({"--idle", "1"}).options.idle_seconds, 1);
  EXPECT_EQ(Parse({"-idle=86400", "--fps"}).options.idle_seconds, 86400);
  EXPECT_EQ(Parse({"--idle", "300", "--scale", "2"}).options.mode, WindowMode::kEveryMonitor);
  for (const char* seconds : {"0", "86401", "-5", "2.5", "", "five", " 30"}) {
    const ParsedCommandLine parsed = Parse({"--idle", seconds});
    EXPECT_EQ(parsed.action, Action::kUsageError) << seconds;
    EXPECT_NE(parsed.error.find("--idle takes the seconds of no input"), std::string::npos)
        << parsed.error;
  }
  for (const char* other : {"--window", "--root", "--wallpaper"}) {
    EXPECT_EQ(Parse({"--idle", "5", other}).error,
              "--idle cannot go with --window, --geometry, --root, --window-id or --wallpaper");
  }
}

TEST(CommandLineTest, UsageErrorsNameWhatIsWrong) {
  const std::string kBadGeometry =
      "--geometry takes a size WxH, each side from 1 to 16384 (the window system's limit), not ";
  const std::string kLongValue(5000, 'w');
  const struct {
    std::vector<const char*> arguments;
    std::string error;
  } cases[] = {
      {{"--bogus"}, "unknown option \"--bogus\""},
      {{"-"}, "unknown option \"-\""},
      {{"--"}, "unknown option \"--\""},
      {{"stray"}, "unexpected argument \"stray\""},
      {{"--rate"}, "--rate needs a value"},
      {{"--window-id"}, "--window-id needs a value"},
      {{"--fps=1"}, "--fps takes no value"},
      {{"--window-id", "junk"}, "--window-id takes a window id (0x... or decimal), not \"junk\""},
      {{"--window-id", "0"}, "--window-id takes a window id (0x... or decimal), not \"0\""},
      {{"--geometry", "640"}, kBadGeometry + "\"640\""},
      {{"--geometry", "0x480"}, kBadGeometry + "\"0x480\""},
      {{"--geometry", "640x0"}, kBadGeometry + "\"640x0\""},
      {{"--geometry", "16385x100"}, kBadGeometry + "\"16385x100\""},
      {{"--geometry", "32767x32767"}, kBadGeometry + "\"32767x32767\""},
      // What reaches the terminal is escaped and cut short.
      {{"--rate", "\x1b[2J\n30"},
       "--rate takes a whole number from 1 to 240, not \"\\x1B[2J\\x0A30\""},
      {{kLongValue.c_str()},
       "unexpected argument \"" + kLongValue.substr(0, 40) + "\"... (an argument of 5000 bytes)"},
      {{"--window", "--root"}, "--window cannot go with --root or --window-id"},
      {{"--geometry", "10x10", "--window-id", "7"},
       "--geometry cannot go with --root or --window-id"},
      {{"--backend"}, "--backend needs a value"},
      {{"--backend", "X11"}, "--backend takes wayland, x11 or auto, not \"X11\""},
      {{"--backend=sdl"}, "--backend takes wayland, x11 or auto, not \"sdl\""},
      {{"--scale", "\x1b]0;x"}, "--scale takes a whole number from 1 to 4, not \"\\x1B]0;x\""},
      {{"--geometry", "5000x100", "--scale", "4"},
       "--geometry 5000x100 at --scale 4 is beyond the window system's limit of 16384 pixels a "
       "side"},
      {{"--wallpaper=1"}, "--wallpaper takes no value"},
      {{"--wallpaper", "--window"},
       "--wallpaper cannot go with --window, --geometry, --root or --window-id"},
      {{"--root", "--wallpaper"},
       "--wallpaper cannot go with --window, --geometry, --root or --window-id"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv{"flakemorph"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(parsed.action, Action::kUsageError) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(CommandLineTest, TheFirstOfHelpVersionOrAnErrorDecides) {
  EXPECT_EQ(Parse({"--fps", "--help", "--bogus"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--bogus", "--help"}).action, Action::kUsageError);
  EXPECT_EQ(Parse({"--version", "--help"}).action, Action::kVersion);
}

TEST(CommandLineTest, TheHelpListsEveryOption) {
  const std::string usage = UsageText();
  for (const char* option :
       {"--window ", "--geometry", "--root", "--window-id", "--wallpaper", "--idle", "--backend",
        "--fps", "--rate", "--scale", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace flakemorph
