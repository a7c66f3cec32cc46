// The program follows its windows as the window system changes them: monitors that come and
// go, windows that take a new size, and events that arrive while a frame waits for its moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/program.h"
#include "display/memory_display.h"
#include "figures/random_source.h"
#include "tests/program_fakes.h"

namespace flakemorph {
namespace {

using fakes::FakeWindowSystem;
using fakes::ManualClock;
using fakes::MemoryWindow;
using fakes::Noon;
using fakes::SeededStreams;

bool SamePages(const MemoryDisplay& a, const MemoryDisplay& b) {
  for (std::int16_t k = 0; k <= 1; ++k) {
    const Page& pa = a.page(k);
    const Page& pb = b.page(k);
    if (pa.Width() != pb.Width() || pa.Height() != pb.Height()) return false;
    const std::size_t count = static_cast<std::size_t>(pa.Width()) * pa.Height();
    if (!std::equal(pa.Pixels(), pa.Pixels() + count, pb.Pixels())) return false;
  }
  return true;
}

// An animation alone on pages in memory, drawing from `random`.
void RunAlone(MemoryDisplay& pages, RandomSource& random, int frames) {
  Animation animation(pages, random);
  animation.StartUp();
  for (int frame = 0; frame < frames; ++frame) animation.NextFrame();
}

TEST(WindowChanges, AMonitorAddedWhileRunningGetsAFreshAnimationOfItsOwnStream) {
  ManualClock clock;
  MemoryWindow first(clock, 320, 200);
  MemoryWindow added(clock, 448, 439);
  FakeWindowSystem windows(&clock, 40);
  windows.Add(&first);
  windows.on_frame = [&](std::int64_t frame) {
    if (frame == 10) windows.Add(&added);
  };
  Program program(windows, SeededStreams(Noon()), clock, clock, {});
  program.Run();

  EXPECT_EQ(program.AnimationOf(0).PhaseFrame(), 40);
  MemoryDisplay alone(448, 439);
  TimeSeededGenerator second_stream(Noon(), 1);
  RunAlone(alone, second_stream, 30);
  EXPECT_TRUE(SamePages(added.Pages(), alone));
}

TEST(WindowChanges, AMonitorRemovedTakesItsAnimationAndTheLastOneEndsTheProgram) {
  ManualClock clock;
  MemoryWindow left(clock, 320, 200);
  MemoryWindow right(clock, 200, 320);
  FakeWindowSystem windows(&clock);
  windows.Add(&left);
  windows.Add(&right);
  windows.on_frame = [&](std::int64_t frame) {
    if (frame == 5) windows.Remove(&left);
    if (frame == 9) windows.Remove(&right);
  };
  Program program(windows, SeededStreams(Noon()), clock, clock, {});
  program.StartUp();
  for (int frame = 1; frame <= 5; ++frame) ASSERT_TRUE(program.RunFrame());
  EXPECT_EQ(program.AnimationOf(0).State().CenterX, 100);  // the right one is left
  const std::size_t shown_by_left = left.Shows().size();
  for (int frame = 6; frame <= 8; ++frame) ASSERT_TRUE(program.RunFrame());
  EXPECT_EQ(left.Shows().size(), shown_by_left);
  EXPECT_FALSE(program.RunFrame());
}

// The idle saver between two idle periods: no window, yet no end; the windows of the next
// showing get fresh animations of streams of their own.
TEST(WindowChanges, AWindowSystemAtRestKeepsTheProgramAndItsNextWindowsStartAfresh) {
  ManualClock clock;
  MemoryWindow shown(clock, 320, 200);
  MemoryWindow again(clock, 320, 200);
  FakeWindowSystem windows(&clock);
  windows.Add(&shown);
  windows.on_frame = [&](std::int64_t frame) {
    if (frame == 5) {
      windows.Remove(&shown);
      windows.resting = true;
    } else if (frame == 9) {
      windows.Add(&again);
      windows.resting = false;
    }
  };
  Program program(windows, SeededStreams(Noon()), clock, clock, {});
  program.StartUp();
  for (int frame = 1; frame <= 20; ++frame) ASSERT_TRUE(program.RunFrame()) << frame;
  EXPECT_EQ(program.AnimationOf(0).PhaseFrame(), 11);
  MemoryDisplay alone(320, 200);
  TimeSeededGenerator second_stream(Noon(), 1);
  RunAlone(alone, second_stream, 11);
  EXPECT_TRUE(SamePages(again.Pages(), alone));
  windows.Remove(&again);
  windows.resting = false;
  EXPECT_FALSE(program.RunFrame());
}

// A new size is the start-up of a fresh run at that size: new pages, a new first figure from
// the window's stream as it stands, nothing of the old size.
TEST(WindowChanges, AWindowOfANewSizeStartsAFreshRunAtThatSize) {
  ManualClock clock;
  MemoryWindow window(clock, 300, 200);
  FakeWindowSystem windows(&clock, 50);
  windows.Add(&window);
  windows.on_frame = [&](std::int64_t frame) {
    if (frame == 20) window.Resize(640, 480);
  };
  Program program(windows, SeededStreams(Noon()), clock, clock, {});
  program.Run();

  TimeSeededGenerator stream(Noon(), 0);
  MemoryDisplay before(300, 200);
  RunAlone(before, stream, 20);
  MemoryDisplay after(640, 480);
  RunAlone(after, stream, 30);
  EXPECT_TRUE(SamePages(window.Pages(), after));
  EXPECT_EQ(program.AnimationOf(0).State().CenterY, 240);
}

// The window system may take a window away, or give one a new size, while a frame waits for its
// moment: the frame then shows neither on the window that went nor the old size.
TEST(WindowChanges, WindowsThatChangeWhileAFrameWaitsAreFollowedBeforeItIsShown) {
  ManualClock clock;
  MemoryWindow going(clock, 320, 200);
  MemoryWindow resized(clock, 300, 200);
  FakeWindowSystem windows(&clock);
  windows.Add(&going);
  windows.Add(&resized);
  // Frame n (the first is 0, which goes at once) waits for the n-th time.
  windows.on_wait = [&](std::int64_t wait) {
    if (wait == 3) windows.Remove(&going);
    if (wait == 5) resized.Resize(640, 480);
  };
  std::int32_t width_shown_after_resize = 0;
  windows.on_frame = [&](std::int64_t frame) {
    if (frame == 6) width_shown_after_resize = resized.Pages().FrontPage().Width();
  };
  Program program(windows, SeededStreams(Noon()), clock, clock, {.rate_hz = 30});
  program.StartUp();
  for (int frame = 0; frame <= 2; ++frame) ASSERT_TRUE(program.RunFrame());
  const std::size_t shown_by_going = going.Shows().size();
  for (int frame = 3; frame <= 5; ++frame) ASSERT_TRUE(program.RunFrame());
  EXPECT_EQ(going.Shows().size(), shown_by_going);
  EXPECT_EQ(width_shown_after_resize, 640);
  EXPECT_EQ(program.AnimationOf(0).State().CenterY, 240);
}

// At one frame a second a key must not wait for the next frame.
TEST(WindowChanges, AnEventWhileAFrameWaitsEndsTheProgramAtOnce) {
  ManualClock clock;
  MemoryWindow window(clock, 300, 200);
  FakeWindowSystem windows(&clock);
  windows.Add(&window);
  windows.end_at_wait = 1;
  Program program(windows, SeededStreams(Noon()), clock, clock, {.rate_hz = 1});
  program.StartUp();
  ASSERT_TRUE(program.RunFrame());  // the first frame goes at once
  const Nanoseconds pressed = clock.Now();
  const std::size_t shows = window.Shows().size();
  EXPECT_FALSE(program.RunFrame());
  EXPECT_LT(clock.Now() - pressed, kSecond / 20);
  EXPECT_EQ(window.Shows().size(), shows);
}

}  // namespace
}  // namespace flakemorph
