// The running program: one animation for each of its windows (one per monitor, the preview
// window, or a window of another program), all advanced together. Every program frame draws
// the next frame of every animation, waits for its moment (ready for events meanwhile), shows
// it on every window at once and then handles the events of all windows, any of which may end
// the program. A window that comes, goes or takes a new size is followed after the events. It
// knows no window system, so that the order of a frame and its pacing can be tested with windows
// of the tests' own.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "animation/animation.h"
#include "app/frame_pacer.h"
#include "display/display.h"
#include "figures/random_source.h"
#include "platform/stats_out.h"
#include "platform/window_system.h"

namespace flakemorph {

// The CPU time the process has used so far.
class CpuClock {
 public:
  virtual ~CpuClock() = default;
  virtual Nanoseconds Used() = 0;
};

class ProcessCpuClock final : public CpuClock {
 public:
  Nanoseconds Used() override { return ProcessCpuTime(); }
};

// The random source of the animation of the program's `stream`-th window; every window's
// stream is apart from the others', so that no two monitors show the same flake.
using RandomStreams = std::function<std::unique_ptr<RandomSource>(std::size_t stream)>;

// The pace the animation was made for, whatever the display's refresh.
inline constexpr int kDesignedRate = 60;

struct ProgramSettings {
  int refresh_hz = 0;  // of the primary display; 0 when it does not say
  int rate_hz = 0;     // frames per second; 0 for kDesignedRate
  bool show_fps = false;
  StatsOut* stats = nullptr;  // where "fps F cpu C%" goes once a second, if anywhere
};

class Program {
 public:
  Program(WindowSystem& windows, RandomStreams randoms, PacingClock& clock, CpuClock& cpu,
          const ProgramSettings& settings);

  // Waits for the windows, starts every animation and runs frames until an event ends the
  // program.
  void Run();

  // The start-up of every animation, then the choice of pacing.
  void StartUp();
  // One frame of every animation, shown on every window, then the events, which may add,
  // remove or resize windows. False once an event ended the program, or no window is left.
  bool RunFrame();

  // Whether the program holds frames to Period(), rather than the display's presentation.
  bool Paced() const { return pacer_.has_value(); }
  Nanoseconds Period() const { return period_; }
  const Animation& AnimationOf(std::size_t index) const { return *screens_.at(index).animation; }

 private:
  // A window, the random source its animation draws from, and the animation.
  struct Screen {
    ProgramWindow* window;
    std::unique_ptr<RandomSource> random;
    std::unique_ptr<Animation> animation;
  };

  void AddScreen(ProgramWindow* window);
  void NewAnimation(Screen& screen);
  bool FollowWindows();
  bool WaitForEventsUntil(Nanoseconds deadline);
  void ChoosePacing();
  void PrintPacing() const;
  Nanoseconds TimeShows(int count);
  void ShowFrames();
  void CountFrame();
  void ShowTextOnEveryWindow(std::string_view text);

  WindowSystem& windows_;
  RandomStreams randoms_;
  std::size_t streams_used_ = 0;
  bool started_ = false;
  std::vector<Screen> screens_;
  PacingClock& clock_;
  CpuClock& cpu_;
  ProgramSettings settings_;
  Nanoseconds period_ = 0;
  std::optional<FramePacer> pacer_;
  FrameMeter meter_;
};

// The text of --fps: "F fps  CPU C%", into `text`; gives its length. Room for the longest,
// "9999 fps  CPU 999.9%", and the text shown before the first second has been measured.
std::size_t FormatFrameRate(const FrameRate& rate, std::span<char> text);
inline constexpr std::size_t kLongestFrameRateText = 32;
inline constexpr std::string_view kFrameRateBeforeTheFirstSecond = "-- fps  CPU --%";

}  // namespace flakemorph
