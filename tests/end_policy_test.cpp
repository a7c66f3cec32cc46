#include "app/end_policy.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "platform/key_presses.h"

namespace flakemorph {
namespace {

constexpr std::array kRules{EndRule::kFullScreen, EndRule::kScreenSaver, EndRule::kWindow,
                            EndRule::kNoInput};

// What one event alone does under each rule, in the order of kRules.
struct Row {
  InputKind kind;
  std::array<bool, 4> ends;
};

constexpr std::array<Row, 8> kTable{{
    {InputKind::kKeyPressed, {true, true, true, false}},
    {InputKind::kModifierPressed, {true, true, true, false}},
    {InputKind::kButtonPressed, {true, true, true, false}},
    {InputKind::kTouched, {true, true, true, false}},
    {InputKind::kWheelTurned, {false, true, false, false}},
    {InputKind::kFocusLost, {true, true, false, false}},
    {InputKind::kCloseRequested, {true, true, true, true}},
    {InputKind::kEndingSignal, {true, true, true, true}},
}};

TEST(EndPolicy, EachEventEndsTheRunsOfItsRules) {
  for (const Row& row : kTable) {
    for (std::size_t r = 0; r < kRules.size(); ++r) {
      EndPolicy policy(kRules[r]);
      EXPECT_FALSE(policy.Ended());
      policy.Take({row.kind});
      EXPECT_EQ(policy.Ended(), row.ends[r])
          << "event " << static_cast<int>(row.kind) << ", rule " << r;
    }
  }
}

TEST(EndPolicy, OnlyTheSaverEndsOnMotionBeyondTheSlackFromTheFirstPlace) {
  for (const EndRule rule : kRules) {
    EndPolicy policy(rule);
    policy.Take({InputKind::kPointerMoved, 100, 100});
    // Jitter about the first place, either way, never adds up.
    for (const auto& [x, y] : {std::pair{104, 100}, {96, 104}, {100, 96}, {104, 104}}) {
      policy.Take({InputKind::kPointerMoved, x, y});
      EXPECT_FALSE(policy.Ended()) << x << "," << y;
    }
    policy.Take({InputKind::kPointerMoved, 100, 105});
    EXPECT_EQ(policy.Ended(), rule == EndRule::kScreenSaver);
  }
  EndPolicy across(EndRule::kScreenSaver);
  across.Take({InputKind::kPointerMoved, -3, 7});
  across.Take({InputKind::kPointerMoved, -8, 7});
  EXPECT_TRUE(across.Ended());
}

TEST(EndPolicy, AnEndedRunStaysEnded) {
  EndPolicy policy(EndRule::kFullScreen);
  policy.Take({InputKind::kKeyPressed});
  policy.Take({InputKind::kWheelTurned});
  policy.Take({InputKind::kPointerMoved, 1, 1});
  EXPECT_TRUE(policy.Ended());
}

TEST(EndRuleOf, TheModesOfTheRuns) {
  EXPECT_EQ(EndRuleOf(WindowMode::kEveryMonitor, false), EndRule::kFullScreen);
  EXPECT_EQ(EndRuleOf(WindowMode::kEveryMonitor, true), EndRule::kScreenSaver);
  EXPECT_EQ(EndRuleOf(WindowMode::kPreview, false), EndRule::kWindow);
  for (const WindowMode mode :
       {WindowMode::kRoot, WindowMode::kForeignWindow, WindowMode::kWallpaper}) {
    EXPECT_EQ(EndRuleOf(mode, false), EndRule::kNoInput);
    EXPECT_EQ(EndRuleOf(mode, true), EndRule::kNoInput);
  }
}

TEST(KeyPresses, AKeyCountsOnItsPressNeverItsRelease) {
  const KeyPresses keys;
  ASSERT_TRUE(keys.Key(true));
  EXPECT_EQ(keys.Key(true)->kind, InputKind::kKeyPressed);
  EXPECT_FALSE(keys.Key(false));
}

TEST(KeyPresses, ModifiersHeldWhenTheKeyboardCameAreNoPress) {
  KeyPresses keys;
  keys.Entered();
  EXPECT_FALSE(keys.Modifiers(0b101));  // held as the keyboard came
  EXPECT_FALSE(keys.Modifiers(0b001));  // one let go
  const std::optional<InputEvent> pressed = keys.Modifiers(0b011);
  ASSERT_TRUE(pressed);
  EXPECT_EQ(pressed->kind, InputKind::kModifierPressed);
  // Coming back with Shift held is again no press.
  keys.Entered();
  EXPECT_FALSE(keys.Modifiers(0b111));
  EXPECT_TRUE(keys.Modifiers(0b1111));
}

}  // namespace
}  // namespace flakemorph
