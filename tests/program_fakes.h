// Windows, clocks and an event pump for running the program loop without a window system.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/program.h"
#include "display/memory_display.h"
#include "figures/random_source.h"

namespace flakemorph::fakes {

// Time moves only when a test works or the program sleeps (or waits for a display).
class ManualClock final : public PacingClock, public CpuClock {
 public:
  Nanoseconds Now() override { return now_; }
  void SleepUntil(Nanoseconds deadline) override {
    ++sleeps_;
    if (deadline > now_) now_ = deadline;
  }
  Nanoseconds Used() override { return cpu_; }

  void Advance(Nanoseconds duration) { now_ += duration; }
  // The process works for `duration`.
  void Work(Nanoseconds duration) {
    now_ += duration;
    cpu_ += duration;
  }
  int Sleeps() const { return sleeps_; }

 private:
  Nanoseconds now_ = 3 * kSecond;
  Nanoseconds cpu_ = kSecond;
  int sleeps_ = 0;
};

// Pages a window system may give a new size, as it does when a monitor's mode changes.
class ResizablePages final : public MemoryDisplay {
 public:
  using MemoryDisplay::MemoryDisplay;
  using MemoryDisplay::SetScaleSize;
};

// A window whose pages stay in memory. It remembers when it showed each frame and the text it
// was given; with a refresh period, showing a frame waits for the next refresh of that clock,
// as a display with vertical sync does.
class MemoryWindow final : public ProgramWindow {
 public:
  MemoryWindow(ManualClock& clock, float width, float height, Nanoseconds refresh = 0)
      : clock_(clock), surfaces_(width, height), refresh_(refresh) {
    shows_.reserve(4096);
    text_.reserve(64);
  }

  Display& Surfaces() override { return surfaces_; }
  void ShowFrame() override {
    if (refresh_ > 0) {
      const Nanoseconds now = clock_.Now();
      clock_.Advance((now / refresh_ + 1) * refresh_ - now);
    }
    if (shows_.size() < shows_.capacity()) shows_.push_back(clock_.Now());
  }
  void ShowText(std::string_view text) override { text_.assign(text); }
  bool TakeResize() override { return std::exchange(resized_, false); }

  // The window system gives the window a new size.
  void Resize(float width, float height) {
    surfaces_.SetScaleSize(width, height);
    resized_ = true;
  }
  const MemoryDisplay& Pages() const { return surfaces_; }
  const std::vector<Nanoseconds>& Shows() const { return shows_; }
  const std::string& Text() const { return text_; }

 private:
  ManualClock& clock_;
  ResizablePages surfaces_;
  Nanoseconds refresh_;
  bool resized_ = false;
  std::vector<Nanoseconds> shows_;
  std::string text_;
};

// Windows the test hands over, whose events end the program at the `frames`-th frame. Waiting
// for events moves the clock, as if none came. A test may add, remove or resize windows from
// `on_frame`, which runs at every frame's events, as a window system changes them.
class FakeWindowSystem final : public WindowSystem {
 public:
  explicit FakeWindowSystem(ManualClock* clock, std::int64_t frames = INT64_MAX, bool shown = true)
      : clock_(clock), frames_(frames), shown_(shown) {
    windows_.reserve(16);
  }

  std::span<ProgramWindow* const> Windows() override { return windows_; }
  int RefreshHz() const override { return 0; }
  bool Resting() const override { return resting; }
  bool WaitUntilShown() override { return shown_; }
  bool HandlePending(Nanoseconds wait) override {
    if (wait > 0) {
      // A key pressed a millisecond into the wait.
      if (++waits_ == end_at_wait) {
        clock_->Advance(kSecond / 1000);
        return false;
      }
      clock_->SleepUntil(clock_->Now() + wait);
      if (on_wait) on_wait(waits_);
      return true;
    }
    ++calls_;
    if (on_frame) on_frame(calls_);
    return calls_ < frames_;
  }

  void Add(ProgramWindow* window) { windows_.push_back(window); }
  void Remove(ProgramWindow* window) { std::erase(windows_, window); }
  std::int64_t Calls() const { return calls_; }

  std::function<void(std::int64_t frame)> on_frame;
  // Runs at every wait between frames, counted from 1, as the window system may change the
  // windows while the program waits for a frame's moment.
  std::function<void(std::int64_t wait)> on_wait;
  // The wait between frames, counted from 1, in which an event ends the program.
  std::int64_t end_at_wait = 0;
  // No window for now, but more to come (the idle saver between idle periods).
  bool resting = false;

 private:
  ManualClock* clock_;
  std::vector<ProgramWindow*> windows_;
  std::int64_t frames_;
  bool shown_;
  std::int64_t calls_ = 0;
  std::int64_t waits_ = 0;
};

// A fixed time of day for the seeds, so that a run repeats.
inline TimeOfDayClock Noon() {
  return [] { return std::uint64_t{43'200'000'000'000}; };
}

// Every window's stream seeded as the program seeds it, from a fixed time of day.
inline RandomStreams SeededStreams(TimeOfDayClock time_of_day) {
  return [time_of_day](std::size_t stream) -> std::unique_ptr<RandomSource> {
    return std::make_unique<TimeSeededGenerator>(time_of_day, stream);
  };
}

}  // namespace flakemorph::fakes
