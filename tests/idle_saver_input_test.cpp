#include "app/idle_saver_input.h"

#include <gtest/gtest.h>

namespace flakemorph {
namespace {

TEST(IdleSaverInput, WhatEndsAScreenSaverEndsTheShowingAloneAndTheNextStartsAfresh) {
  for (const InputKind kind :
       {InputKind::kKeyPressed, InputKind::kModifierPressed, InputKind::kButtonPressed,
        InputKind::kWheelTurned, InputKind::kTouched, InputKind::kFocusLost}) {
    IdleSaverInput input;
    input.Take({kind});
    EXPECT_TRUE(input.ShowingEnded()) << static_cast<int>(kind);
    EXPECT_FALSE(input.Ended()) << static_cast<int>(kind);
    input.NewShowing();
    EXPECT_FALSE(input.ShowingEnded()) << static_cast<int>(kind);
  }
}

TEST(IdleSaverInput, ThePointerCountsFromWhereEachShowingFirstSawIt) {
  IdleSaverInput input;
  input.Take({InputKind::kPointerMoved, 640, 360});
  input.Take({InputKind::kPointerMoved, 642, 358});  // a nudge
  EXPECT_FALSE(input.ShowingEnded());
  input.NewShowing();
  // Where the last showing first saw it no longer counts.
  input.Take({InputKind::kPointerMoved, 700, 400});
  input.Take({InputKind::kPointerMoved, 701, 401});
  EXPECT_FALSE(input.ShowingEnded());
  input.Take({InputKind::kPointerMoved, 720, 420});
  EXPECT_TRUE(input.ShowingEnded());
  EXPECT_FALSE(input.Ended());
}

TEST(IdleSaverInput, OnlyAnEndingSignalEndsTheProgram) {
  IdleSaverInput input;
  input.Take({InputKind::kCloseRequested});
  EXPECT_FALSE(input.Ended());
  EXPECT_FALSE(input.ShowingEnded());
  input.Take({InputKind::kEndingSignal});
  EXPECT_TRUE(input.Ended());
  input.NewShowing();
  EXPECT_TRUE(input.Ended());
}

}  // namespace
}  // namespace flakemorph
