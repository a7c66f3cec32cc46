#include "app/program.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "display/memory_display.h"
#include "figures/random_source.h"
#include "tests/program_fakes.h"
#include "tools/record/recording_display.h"

namespace flakemorph {
namespace {

using fakes::FakeWindowSystem;
using fakes::ManualClock;
using fakes::MemoryWindow;
using fakes::Noon;
using fakes::SeededStreams;

constexpr Nanoseconds kRefresh = kSecond / 60;

std::string ReadAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

bool SamePixels(const Page& a, const Page& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  const std::size_t count = static_cast<std::size_t>(a.Width()) * a.Height();
  return std::equal(a.Pixels(), a.Pixels() + count, b.Pixels());
}

// Pages in memory with every operation on them logged, as the headless tool logs them.
class RecordedRun {
 public:
  RecordedRun(float width, float height)
      : log_(std::tmpfile()), writer_(log_), pages_(width, height), recording_(writer_, &pages_) {}
  ~RecordedRun() { std::fclose(log_); }
  Display& Surfaces() { return recording_; }
  const MemoryDisplay& Pages() const { return pages_; }
  std::string Log() const {
    writer_.Flush();
    return ReadAll(log_);
  }

 private:
  std::FILE* log_;
  mutable LogWriter writer_;  // flushed before the log is read
  MemoryDisplay pages_;
  RecordingDisplay recording_;
};

class RecordedWindow final : public ProgramWindow {
 public:
  RecordedWindow(float width, float height) : run_(width, height) {}
  Display& Surfaces() override { return run_.Surfaces(); }
  void ShowFrame() override {}
  void ShowText(std::string_view) override {}
  const RecordedRun& Run() const { return run_; }

 private:
  RecordedRun run_;
};

// The core keeps nothing outside an animation: two of them, run frame by frame in turn in one
// process, each draw exactly what it draws alone, while the monitor index in their seeds keeps
// their figures apart.
TEST(ProgramWindows, SideBySideEachAnimationDrawsWhatItDrawsAlone) {
  constexpr int kFrames = 320;  // two cycles and a morph: three new figures each
  struct Head {
    float width;
    float height;
    std::uint64_t monitor;
  };
  const std::array<Head, 2> heads{{{448, 439, 0}, {640, 360, 1}}};

  ManualClock clock;
  FakeWindowSystem events(&clock, kFrames);
  std::vector<std::unique_ptr<RecordedWindow>> windows;
  for (const Head& head : heads) {
    windows.push_back(std::make_unique<RecordedWindow>(head.width, head.height));
    events.Add(windows.back().get());
  }
  Program program(events, SeededStreams(Noon()), clock, clock, {});
  program.Run();
  ASSERT_EQ(events.Calls(), kFrames);

  for (std::size_t i = 0; i < heads.size(); ++i) {
    RecordedRun alone(heads[i].width, heads[i].height);
    TimeSeededGenerator random(Noon(), heads[i].monitor);
    Animation animation(alone.Surfaces(), random);
    animation.StartUp();
    for (int frame = 0; frame < kFrames; ++frame) animation.NextFrame();
    const RecordedRun& together = windows[i]->Run();
    EXPECT_EQ(together.Log(), alone.Log()) << "window " << i;
    EXPECT_TRUE(SamePixels(together.Pages().page(0), alone.Pages().page(0))) << "window " << i;
    EXPECT_TRUE(SamePixels(together.Pages().page(1), alone.Pages().page(1))) << "window " << i;
  }
  const FormState& first = program.AnimationOf(0).State();
  const FormState& second = program.AnimationOf(1).State();
  for (std::int16_t slot = 0; slot <= 1; ++slot) {
    EXPECT_FALSE(first.Figures[slot].SpinRate == second.Figures[slot].SpinRate &&
                 first.Figures[slot].CoreColorA == second.Figures[slot].CoreColorA)
        << "slot " << slot;
  }
}

// What happens in one program frame, in order.
class Journal {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  std::vector<std::string> TakeAll() { return std::exchange(entries_, {}); }

 private:
  std::vector<std::string> entries_;
};

class JournalClock final : public PacingClock {
 public:
  explicit JournalClock(Journal& journal) : journal_(journal) {}
  Nanoseconds Now() override { return now_; }
  void SleepUntil(Nanoseconds deadline) {
    journal_.Add("wait");
    now_ = deadline;
  }

 private:
  Journal& journal_;
  Nanoseconds now_ = kSecond;
};

class JournalWindow final : public ProgramWindow {
 public:
  JournalWindow(Journal& journal, std::string name)
      : journal_(journal), name_(std::move(name)), surfaces_(*this) {}
  Display& Surfaces() override { return surfaces_; }
  void ShowFrame() override { journal_.Add("show " + name_); }
  void ShowText(std::string_view) override {}

 private:
  class LoggedPages final : public MemoryDisplay {
   public:
    explicit LoggedPages(JournalWindow& window) : MemoryDisplay(120, 100), window_(window) {}
    void ZOrder(std::int16_t k) override {
      MemoryDisplay::ZOrder(k);
      window_.journal_.Add("draw " + window_.name_);
    }
    void DoEvents() override { window_.journal_.Add("doevents " + window_.name_); }

   private:
    JournalWindow& window_;
  };

  Journal& journal_;
  std::string name_;
  LoggedPages surfaces_;
};

class JournalWindows final : public WindowSystem {
 public:
  JournalWindows(Journal& journal, JournalClock& clock) : journal_(journal), clock_(clock) {}
  std::span<ProgramWindow* const> Windows() override { return windows_; }
  int RefreshHz() const override { return 0; }
  bool WaitUntilShown() override { return true; }
  bool HandlePending(Nanoseconds wait) override {
    if (wait > 0) {
      clock_.SleepUntil(clock_.Now() + wait);
    } else {
      journal_.Add("events");
    }
    return true;
  }
  void Add(ProgramWindow* window) { windows_.push_back(window); }

 private:
  Journal& journal_;
  JournalClock& clock_;
  std::vector<ProgramWindow*> windows_;
};

TEST(ProgramFrame, DrawsEveryWindowThenWaitsThenShowsAllBeforeTheEvents) {
  Journal journal;
  JournalClock clock(journal);
  ManualClock cpu;
  JournalWindows events(journal, clock);
  JournalWindow left(journal, "left");
  JournalWindow right(journal, "right");
  events.Add(&left);
  events.Add(&right);
  Program program(events, SeededStreams(Noon()), clock, cpu, {});
  program.StartUp();
  ASSERT_TRUE(program.Paced());
  journal.TakeAll();
  ASSERT_TRUE(program.RunFrame());  // the first frame goes at once
  journal.TakeAll();
  ASSERT_TRUE(program.RunFrame());
  const std::vector<std::string> expected = {"draw left",      "doevents left", "draw right",
                                             "doevents right", "wait",          "show left",
                                             "show right",     "events"};
  EXPECT_EQ(journal.TakeAll(), expected);
}

TEST(ProgramEnd, AnEventEndsTheProgramAfterItsFrame) {
  ManualClock clock;
  MemoryWindow window(clock, 200, 150);
  FakeWindowSystem events(&clock, 3);
  events.Add(&window);
  Program program(events, SeededStreams(Noon()), clock, clock, {});
  program.Run();
  EXPECT_EQ(events.Calls(), 3);
  EXPECT_EQ(program.AnimationOf(0).PhaseFrame(), 3);
}

TEST(ProgramEnd, AnEventBeforeTheWindowsAreShownEndsItBeforeAnyFrame) {
  ManualClock clock;
  MemoryWindow window(clock, 200, 150);
  FakeWindowSystem events(&clock, INT64_MAX, /*shown=*/false);
  events.Add(&window);
  Program program(events, SeededStreams(Noon()), clock, clock, {});
  program.Run();
  EXPECT_EQ(events.Calls(), 0);
  EXPECT_TRUE(window.Shows().empty());
}

// Runs a program of `windows` windows for one simulated second after start-up and some frames
// to settle; gives the moments at which the first window showed that second's frames.
struct PacedRun {
  PacedRun(const ProgramSettings& settings, Nanoseconds display_refresh, int windows = 1) {
    for (int i = 0; i < windows; ++i) {
      windows_.push_back(std::make_unique<MemoryWindow>(clock, 300, 200, display_refresh));
      events.Add(windows_.back().get());
    }
    program = std::make_unique<Program>(events, SeededStreams(Noon()), clock, clock, settings);
    program->StartUp();
    for (int frame = 0; frame < 10; ++frame) DrawAndRun();
    const Nanoseconds start = clock.Now();
    const std::size_t before = windows_[0]->Shows().size();
    while (clock.Now() - start < kSecond) DrawAndRun();
    for (std::size_t i = before; i < windows_[0]->Shows().size(); ++i) {
      const Nanoseconds shown = windows_[0]->Shows()[i];
      if (shown - start <= kSecond) second.push_back(shown);
    }
  }
  const MemoryWindow& Window(std::size_t i) const { return *windows_[i]; }
  // Drawing takes a millisecond of work.
  void DrawAndRun() {
    clock.Work(kSecond / 1000);
    program->RunFrame();
  }

  ManualClock clock;
  FakeWindowSystem events{&clock};
  std::unique_ptr<Program> program;
  std::vector<Nanoseconds> second;

 private:
  std::vector<std::unique_ptr<MemoryWindow>> windows_;
};

void ExpectEvenlySpaced(const std::vector<Nanoseconds>& shows, Nanoseconds period) {
  for (std::size_t i = 1; i < shows.size(); ++i) {
    EXPECT_NEAR(static_cast<double>(shows[i] - shows[i - 1]), static_cast<double>(period), 2.0)
        << "frame " << i;
  }
}

TEST(ProgramPacing, WithoutARateEveryDisplayShowsSixtyFramesASecond) {
  for (const int refresh : {0, 50, 75, 144, 240}) {
    PacedRun run({.refresh_hz = refresh}, 0);
    EXPECT_TRUE(run.program->Paced()) << refresh;
    EXPECT_EQ(run.program->Period(), kSecond / 60) << refresh;
    EXPECT_EQ(run.second.size(), 60U) << refresh;
    ExpectEvenlySpaced(run.second, kSecond / 60);
  }
}

TEST(ProgramPacing, AFastDisplayThatWaitsForItsRefreshStillShowsSixtyFramesASecond) {
  for (const int refresh : {75, 120, 144, 240}) {
    PacedRun run({.refresh_hz = refresh}, kSecond / refresh);
    EXPECT_TRUE(run.program->Paced()) << refresh;
    EXPECT_EQ(run.second.size(), 60U) << refresh;
  }
}

TEST(ProgramPacing, ADisplayWithinTwoPercentOfTheRateSetsThePace) {
  for (const int refresh : {59, 60, 61}) {
    PacedRun run({.refresh_hz = refresh}, kSecond / refresh);
    EXPECT_FALSE(run.program->Paced()) << refresh;
    EXPECT_EQ(run.clock.Sleeps(), 0) << refresh;
    EXPECT_EQ(run.second.size(), static_cast<std::size_t>(refresh)) << refresh;
  }
}

TEST(ProgramPacing, ARateSetsThePaceForAllWindowsAtOnce) {
  for (const int rate : {1, 30, 144, 240}) {
    PacedRun run({.refresh_hz = 60, .rate_hz = rate}, 0, 3);
    EXPECT_EQ(run.program->Period(), kSecond / rate) << rate;
    EXPECT_EQ(run.second.size(), static_cast<std::size_t>(rate)) << rate;
    ExpectEvenlySpaced(run.second, kSecond / rate);
    EXPECT_EQ(run.Window(1).Shows(), run.Window(0).Shows()) << rate;
    EXPECT_EQ(run.Window(2).Shows(), run.Window(0).Shows()) << rate;
  }
}

TEST(ProgramPacing, WhereShowingWaitsForTheDisplayTheDisplaySetsThePace) {
  PacedRun run({.refresh_hz = 60}, kRefresh);
  EXPECT_FALSE(run.program->Paced());
  EXPECT_EQ(run.clock.Sleeps(), 0);
  EXPECT_EQ(run.second.size(), 60U);
}

TEST(ProgramPacing, ARateOnAWaitingDisplayOfTheSameRefreshLeavesThePaceToIt) {
  PacedRun run({.refresh_hz = 144, .rate_hz = 144}, kSecond / 144);
  EXPECT_FALSE(run.program->Paced());
  EXPECT_EQ(run.second.size(), 144U);
}

TEST(ProgramPacing, ARateBelowAWaitingDisplaysRefreshSkipsRefreshes) {
  PacedRun run({.refresh_hz = 60, .rate_hz = 30}, kRefresh);
  EXPECT_TRUE(run.program->Paced());
  EXPECT_EQ(run.second.size(), 30U);
  ExpectEvenlySpaced(run.second, 2 * kRefresh);
}

TEST(ProgramPacing, ARateAboveAWaitingDisplaysRefreshCannotOutrunIt) {
  PacedRun run({.refresh_hz = 60, .rate_hz = 240}, kRefresh);
  EXPECT_FALSE(run.program->Paced());
  EXPECT_EQ(run.second.size(), 60U);
}

TEST(ProgramStats, CountProgramFramesNotWindowFrames) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  StatsOut stats(fileno(out));
  {
    PacedRun run({.refresh_hz = 60, .rate_hz = 30, .stats = &stats}, 0, 3);
    EXPECT_EQ(run.second.size(), 30U);
  }
  const std::string text = ReadAll(out);
  std::fclose(out);
  EXPECT_TRUE(text.starts_with(
      "flakemorph: 3 windows, refresh 60 Hz, 30.00 frames a second paced by the program\n"))
      << text;
  // Each frame is drawn in a millisecond of work: 30 of them are 3% of a core.
  EXPECT_NE(text.find("\nfps 30 cpu 3.0%\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("fps 90"), std::string::npos) << text;
}

TEST(ProgramStats, TheFirstLineSaysTheRefreshAndTheRate) {
  const auto first_line = [](const ProgramSettings& settings, Nanoseconds display_refresh) {
    std::FILE* out = std::tmpfile();
    StatsOut stats(fileno(out));
    ProgramSettings with_stats = settings;
    with_stats.stats = &stats;
    { PacedRun run(with_stats, display_refresh); }
    const std::string text = ReadAll(out);
    std::fclose(out);
    return text.substr(0, text.find('\n'));
  };
  EXPECT_EQ(first_line({.refresh_hz = 144}, kSecond / 144),
            "flakemorph: 1 window, refresh 144 Hz, 60.00 frames a second paced by the program");
  EXPECT_EQ(first_line({}, 0),
            "flakemorph: 1 window, refresh unknown, 60.00 frames a second paced by the program");
  EXPECT_EQ(first_line({.refresh_hz = 60, .rate_hz = 240}, kRefresh),
            "flakemorph: 1 window, refresh 60 Hz, 60.00 frames a second paced by the display");
}

TEST(ProgramStats, FrameRateTextReachesEveryWindowOnceASecond) {
  PacedRun run({.refresh_hz = 60, .rate_hz = 30, .show_fps = true}, 0, 2);
  EXPECT_EQ(run.Window(0).Text(), "30 fps  CPU 3.0%");
  EXPECT_EQ(run.Window(1).Text(), "30 fps  CPU 3.0%");
}

TEST(ProgramStats, FrameRateTextBeforeTheFirstSecondHasPlaceholders) {
  ManualClock clock;
  MemoryWindow window(clock, 200, 150);
  FakeWindowSystem events(&clock);
  events.Add(&window);
  Program program(events, SeededStreams(Noon()), clock, clock, {.show_fps = true});
  program.StartUp();
  EXPECT_EQ(window.Text(), "-- fps  CPU --%");
}

TEST(ProgramStats, NoTextWithoutShowFps) {
  PacedRun run({.refresh_hz = 60}, 0);
  EXPECT_EQ(run.Window(0).Text(), "");
}

TEST(FormatFrameRate, RoundsTheRateAndGivesTheLoadToATenth) {
  std::array<char, 32> text{};
  std::size_t length = FormatFrameRate({59.6, 12.34}, text);
  EXPECT_EQ(std::string(text.data(), length), "60 fps  CPU 12.3%");
  length = FormatFrameRate({240, 215.06}, text);
  EXPECT_EQ(std::string(text.data(), length), "240 fps  CPU 215.1%");
}

TEST(FormatFrameRate, CutsTheTextToTheBuffer) {
  std::array<char, 8> text{};
  const std::size_t length = FormatFrameRate({60, 5}, text);
  EXPECT_EQ(std::string(text.data(), length), "60 fps ");
}

}  // namespace
}  // namespace flakemorph
