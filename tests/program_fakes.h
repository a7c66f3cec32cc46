// Windows, clocks and an event pump for running the program loop without a window system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "display/memory_display.h"

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

  const MemoryDisplay& Pages() const { return surfaces_; }
  const std::vector<Nanoseconds>& Shows() const { return shows_; }
  const std::string& Text() const { return text_; }

 private:
  ManualClock& clock_;
  MemoryDisplay surfaces_;
  Nanoseconds refresh_;
  std::vector<Nanoseconds> shows_;
  std::string text_;
};

// Goes on until it has been asked `frames` times, then ends the program.
class CountingPump final : public EventPump {
 public:
  explicit CountingPump(std::int64_t frames = INT64_MAX, bool shown = true)
      : frames_(frames), shown_(shown) {}

  bool WaitUntilShown() override { return shown_; }
  bool HandlePending() override { return ++calls_ < frames_; }
  std::int64_t Calls() const { return calls_; }

 private:
  std::int64_t frames_;
  bool shown_;
  std::int64_t calls_ = 0;
};

}  // namespace flakemorph::fakes
