#include "app/program.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace flakemorph {
namespace {

// Frames shown at start-up to learn whether showing one waits for the display; the first few
// are left out, as a swap chain may take them without waiting.
constexpr int kWarmUpShows = 3;
constexpr int kTimedShows = 5;

// Whether a display that shows one frame per refresh keeps the pace: its refresh is no faster
// than the frames. A refresh within 2% of the period counts as it, since displays sold as 60 Hz
// run at 59.94 Hz or 60.02 Hz, and one frame per refresh there is smoother than a pacer beating
// against them.
bool RefreshKeepsPace(Nanoseconds refresh, Nanoseconds period) {
  return refresh * 50 >= period * 49;
}

}  // namespace

std::size_t FormatFrameRate(const FrameRate& rate, std::span<char> text) {
  if (text.empty()) return 0;
  const int length =
      std::snprintf(text.data(), text.size(), "%.0f fps  CPU %.1f%%", rate.fps, rate.cpu_percent);
  if (length < 0) return 0;
  return std::min(static_cast<std::size_t>(length), text.size() - 1);
}

Program::Program(WindowSystem& windows, RandomStreams randoms, PacingClock& clock, CpuClock& cpu,
                 const ProgramSettings& settings)
    : windows_(windows),
      randoms_(std::move(randoms)),
      clock_(clock),
      cpu_(cpu),
      settings_(settings) {
  for (ProgramWindow* window : windows_.Windows()) AddScreen(window);
}

void Program::AddScreen(ProgramWindow* window) {
  NewAnimation(screens_.emplace_back(Screen{window, randoms_(streams_used_++), nullptr}));
}

// A fresh run on the window's pages as they are now, started at once once the program runs.
void Program::NewAnimation(Screen& screen) {
  screen.animation = std::make_unique<Animation>(screen.window->Surfaces(), *screen.random);
  if (started_) screen.animation->StartUp();
}

void Program::Run() {
  if (!windows_.WaitUntilShown()) return;
  StartUp();
  while (RunFrame()) {
  }
}

void Program::StartUp() {
  FollowWindows();
  for (const Screen& screen : screens_) screen.animation->StartUp();
  started_ = true;
  if (settings_.show_fps) ShowTextOnEveryWindow(kFrameRateBeforeTheFirstSecond);
  ChoosePacing();
}

// A window that went takes its animation with it; a new window gets an animation of its own,
// and a window of a new size a fresh one, started at once once the program runs: the start-up
// of a fresh run, so nothing of the old size is drawn again. Nothing is allocated while the
// windows stay.
bool Program::FollowWindows() {
  const std::span<ProgramWindow* const> windows = windows_.Windows();
  // Shown again after a rest: the frame rate counts from now, not from before the rest.
  if (screens_.empty() && !windows.empty()) meter_ = FrameMeter{};
  std::erase_if(screens_, [&](const Screen& screen) {
    return std::find(windows.begin(), windows.end(), screen.window) == windows.end();
  });
  for (ProgramWindow* window : windows) {
    const auto same = [window](const Screen& screen) { return screen.window == window; };
    const auto known = std::find_if(screens_.begin(), screens_.end(), same);
    if (known == screens_.end()) {
      AddScreen(window);
    } else if (window->TakeResize()) {
      NewAnimation(*known);
    }
  }
  return !screens_.empty() || windows_.Resting();
}

// The animation was made for 60 frames a second, and its cycles are counted in frames: any other
// pace would make it run fast on a fast monitor. Where showing a frame waits for the display and
// every refresh is a frame (the refresh is the rate, or the rate asks for more than the display
// can show), the display sets the pace. Elsewhere the program holds every frame to its period
// itself, for all windows at once, and a frame stays on the screen until the next is due.
void Program::ChoosePacing() {
  const int rate = settings_.rate_hz > 0 ? settings_.rate_hz : kDesignedRate;
  const Nanoseconds refresh = RefreshPeriod(settings_.refresh_hz);
  period_ = kSecond / rate;
  TimeShows(kWarmUpShows);
  const bool display_waits = PresentationWaits(TimeShows(kTimedShows), 1, refresh);
  if (display_waits && RefreshKeepsPace(refresh, period_)) {
    period_ = std::max(period_, refresh);
  } else {
    pacer_.emplace(clock_, period_);
  }
  if (settings_.stats != nullptr) PrintPacing();
}

void Program::PrintPacing() const {
  std::array<char, 32> refresh{};
  if (settings_.refresh_hz > 0) {
    std::snprintf(refresh.data(), refresh.size(), "%d Hz", settings_.refresh_hz);
  } else {
    std::snprintf(refresh.data(), refresh.size(), "unknown");
  }
  settings_.stats->Line("flakemorph: %zu window%s, refresh %s, %.2f frames a second paced by %s",
                        screens_.size(), screens_.size() == 1 ? "" : "s", refresh.data(),
                        static_cast<double>(kSecond) / static_cast<double>(period_),
                        Paced() ? "the program" : "the display");
}

// The shortest of the shows: a busy machine can make shows slow, so that they look as if they
// waited for the display, but never makes one that waits return early.
Nanoseconds Program::TimeShows(int count) {
  Nanoseconds shortest = std::numeric_limits<Nanoseconds>::max();
  for (int i = 0; i < count; ++i) {
    const Nanoseconds start = clock_.Now();
    ShowFrames();
    shortest = std::min(shortest, clock_.Now() - start);
  }
  return shortest;
}

// Every animation draws its next frame behind the page shown, so all of them are ready before
// the first is shown: the monitors change picture together.
bool Program::RunFrame() {
  for (const Screen& screen : screens_) screen.animation->NextFrame();
  if (pacer_ && !WaitForEventsUntil(pacer_->TakeDeadline())) return false;
  ShowFrames();
  CountFrame();
  return windows_.HandlePending() && FollowWindows();
}

// However long a frame waits, a key or a signal meanwhile ends the program at once; windows
// that came, went or took a new size meanwhile are followed before the frame is shown, so that
// it is never shown on a window that is gone, nor at a size that is no longer the window's.
bool Program::WaitForEventsUntil(Nanoseconds deadline) {
  for (Nanoseconds now = clock_.Now(); now < deadline; now = clock_.Now()) {
    if (!windows_.HandlePending(deadline - now) || !FollowWindows()) return false;
  }
  return true;
}

void Program::ShowFrames() {
  for (const Screen& screen : screens_) screen.window->ShowFrame();
}

// A program frame counts once, however many windows show it; none while none is shown.
void Program::CountFrame() {
  if (screens_.empty()) return;
  const std::optional<FrameRate> rate = meter_.CountFrame(clock_.Now(), cpu_.Used());
  if (!rate) return;
  if (settings_.stats != nullptr) {
    settings_.stats->Line("fps %.0f cpu %.1f%%", rate->fps, rate->cpu_percent);
  }
  if (settings_.show_fps) {
    std::array<char, kLongestFrameRateText> text{};
    const std::size_t length = FormatFrameRate(*rate, text);
    ShowTextOnEveryWindow(std::string_view(text.data(), length));
  }
}

void Program::ShowTextOnEveryWindow(std::string_view text) {
  for (const Screen& screen : screens_) screen.window->ShowText(text);
}

}  // namespace flakemorph
