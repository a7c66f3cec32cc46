#include "app/program.h"

#include <algorithm>
#include <array>
#include <limits>

namespace flakemorph {
namespace {

// Frames shown at start-up to learn whether showing one waits for the display; the first few
// are left out, as a swap chain may take them without waiting.
constexpr int kWarmUpShows = 3;
constexpr int kTimedShows = 5;

// Long enough for "9999 fps  CPU 999.9%".
constexpr std::size_t kLongestText = 32;
constexpr std::string_view kTextBeforeTheFirstSecond = "-- fps  CPU --%";

}  // namespace

std::size_t FormatFrameRate(const FrameRate& rate, std::span<char> text) {
  if (text.empty()) return 0;
  const int length =
      std::snprintf(text.data(), text.size(), "%.0f fps  CPU %.1f%%", rate.fps, rate.cpu_percent);
  if (length < 0) return 0;
  return std::min(static_cast<std::size_t>(length), text.size() - 1);
}

Program::Program(std::span<const Screen> screens, EventPump& events, PacingClock& clock,
                 CpuClock& cpu, const ProgramSettings& settings)
    : screens_(screens.begin(), screens.end()),
      events_(events),
      clock_(clock),
      cpu_(cpu),
      settings_(settings) {
  animations_.reserve(screens_.size());
  for (const Screen& screen : screens_) {
    animations_.push_back(std::make_unique<Animation>(screen.window->Surfaces(), *screen.random));
  }
  if (settings_.stats != nullptr) stats_.emplace(settings_.stats);
}

void Program::Run() {
  if (!events_.WaitUntilShown()) return;
  StartUp();
  while (RunFrame()) {
  }
}

void Program::StartUp() {
  for (const std::unique_ptr<Animation>& animation : animations_) animation->StartUp();
  if (settings_.show_fps) ShowTextOnEveryWindow(kTextBeforeTheFirstSecond);
  ChoosePacing();
}

// Where showing a frame waits for the display, that sets the pace, unless a rate below the
// refresh asks for refreshes to be skipped. Elsewhere the program holds every frame to its
// period itself, for all windows at once.
void Program::ChoosePacing() {
  const Nanoseconds refresh = RefreshPeriod(settings_.refresh_hz);
  period_ = settings_.rate_hz > 0 ? kSecond / settings_.rate_hz : refresh;
  TimeShows(kWarmUpShows);
  const bool display_waits = PresentationWaits(TimeShows(kTimedShows), 1, refresh);
  if (!display_waits || period_ > refresh) pacer_.emplace(clock_, period_);
  if (stats_) {
    std::fprintf(settings_.stats,
                 "flakemorph: %zu window%s, refresh %.2f Hz, %.2f frames a second paced by %s\n",
                 screens_.size(), screens_.size() == 1 ? "" : "s",
                 static_cast<double>(kSecond) / static_cast<double>(refresh),
                 static_cast<double>(kSecond) / static_cast<double>(period_),
                 Paced() ? "the program" : "the display");
    std::fflush(settings_.stats);
  }
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
  for (const std::unique_ptr<Animation>& animation : animations_) animation->NextFrame();
  if (pacer_) pacer_->WaitForFrame();
  ShowFrames();
  CountFrame();
  return events_.HandlePending();
}

void Program::ShowFrames() {
  for (const Screen& screen : screens_) screen.window->ShowFrame();
}

// A program frame counts once, however many windows show it.
void Program::CountFrame() {
  const std::optional<FrameRate> rate = meter_.CountFrame(clock_.Now(), cpu_.Used());
  if (!rate) return;
  if (stats_) stats_->Print(*rate);
  if (settings_.show_fps) {
    std::array<char, kLongestText> text{};
    const std::size_t length = FormatFrameRate(*rate, text);
    ShowTextOnEveryWindow(std::string_view(text.data(), length));
  }
}

void Program::ShowTextOnEveryWindow(std::string_view text) {
  for (const Screen& screen : screens_) screen.window->ShowText(text);
}

}  // namespace flakemorph
