#include "animation/animation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "animation/wander.h"
#include "display/memory_display.h"
#include "figures/random_source.h"
#include "tests/scripted_source.h"
#include "tools/record/recording_display.h"

namespace flakemorph {
namespace {

constexpr std::uint64_t kNoon = 43'200'000'000'000;

class CountingSource : public RandomSource {
 public:
  explicit CountingSource(RandomSource& inner) : inner_(inner) {}
  void Reseed() override {
    ++reseeds;
    inner_.Reseed();
  }
  float Next() override {
    ++draws;
    return inner_.Next();
  }
  std::int64_t draws = 0;
  std::int64_t reseeds = 0;

 private:
  RandomSource& inner_;
};

class BuildLog : public AnimationObserver {
 public:
  void AfterBuild(const FormState&, std::int16_t slot) override { slots.push_back(slot); }
  std::vector<std::int16_t> slots;
};

// The real animation on in-memory pages, with a fixed time of day.
struct HeadlessRun {
  explicit HeadlessRun(float width = 448, float height = 439) : display(width, height) {}
  MemoryDisplay display;
  TimeSeededGenerator generator{[] { return kNoon; }};
  CountingSource random{generator};
  BuildLog builds;
  Animation animation{display, random, &builds};
  const FormState& form() const { return animation.State(); }
};

// Draws a build takes for the figure it built: 14, two per ring, four per halo point.
std::int64_t BuildDraws(const Figure& figure) {
  const int rings = figure.ArmPointCount / (2 * figure.ArmCount);
  return 14 + 2 * rings + 4 * (kPointCount - figure.ArmPointCount);
}

TEST(AnimationCycle, BuildsIntoAlternateSlotsAndMorphsFromTheOther) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  for (int cycle = 1; cycle <= 3; ++cycle) {
    const std::int16_t target = cycle % 2;
    for (int c = 1; c <= 100; ++c) {
      run->animation.NextFrame();
      ASSERT_EQ(run->form().TargetSlot, target);
      ASSERT_EQ(run->animation.Phase(), FramePhase::kMorph);
      if (c != 1 && c != 100) continue;
      // At c = 1 the particles still carry the old figure's sizes and colours; at the end of
      // the morph, exactly the new figure's, on its points, with the shell collapsed.
      const Figure& shown = run->form().Figures[c == 1 ? 1 - target : target];
      for (int n = 1; n <= kPointCount; ++n) {
        const Particle& q = run->form().Particles[n];
        ASSERT_EQ(q.Size, shown.Points[n].Size) << "cycle " << cycle << " c " << c << " n " << n;
        ASSERT_EQ(q.Color, shown.Points[n].Color) << "cycle " << cycle << " c " << c << " n " << n;
      }
    }
    for (int d = 1; d <= 50; ++d) run->animation.NextFrame();
  }
  EXPECT_EQ(run->builds.slots, (std::vector<std::int16_t>{0, 1, 0, 1}));
}

TEST(AnimationCycle, LastMorphFrameLandsExactlyWhereTheHoldContinues) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  for (int c = 1; c <= 100; ++c) run->animation.NextFrame();
  const FormState& form = run->form();
  const Figure& target = form.Figures[form.TargetSlot];
  EXPECT_EQ(form.ScatterRadius, 0);
  for (int n = 1; n <= kPointCount; ++n) {
    const Particle& q = form.Particles[n];
    const FigurePoint& point = target.Points[n];
    ASSERT_EQ(q.OffsetX, point.X);
    ASSERT_EQ(q.OffsetY, point.Y);
    ASSERT_EQ(q.ScreenX, Single(Widened(form.CenterX) + Widened(point.X) + WanderShiftX(form)));
    ASSERT_EQ(q.ScreenY, Single(Widened(form.CenterY) + Widened(point.Y) + WanderShiftY(form)));
  }
  std::vector<Particle> at_end(form.Particles.last());
  for (int n = 1; n <= kPointCount; ++n) at_end[n - 1] = form.Particles[n];
  run->animation.NextFrame();
  ASSERT_EQ(run->animation.Phase(), FramePhase::kHold);
  for (int n = 1; n <= kPointCount; ++n) {
    const Particle& q = form.Particles[n];
    EXPECT_EQ(q.Size, at_end[n - 1].Size);
    EXPECT_EQ(q.Color, at_end[n - 1].Color);
    EXPECT_EQ(q.ScatterAzimuth, at_end[n - 1].ScatterAzimuth);
  }
}

TEST(AnimationCycle, HoldMovesOnlyTheNewFigure) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  for (int c = 1; c <= 100; ++c) run->animation.NextFrame();
  const FormState& form = run->form();
  const Figure& old_figure = form.Figures[1 - form.TargetSlot];
  const float target_spin = form.Figures[form.TargetSlot].Spin;
  const Figure snapshot = old_figure;
  for (int d = 1; d <= 50; ++d) {
    run->animation.NextFrame();
    ASSERT_EQ(run->animation.Phase(), FramePhase::kHold);
  }
  EXPECT_EQ(old_figure.Spin, snapshot.Spin);
  EXPECT_EQ(old_figure.LobePhase, snapshot.LobePhase);
  EXPECT_EQ(old_figure.PulsePhase, snapshot.PulsePhase);
  for (int n = 1; n <= kPointCount; ++n) {
    ASSERT_EQ(old_figure.Points[n].X, snapshot.Points[n].X);
    ASSERT_EQ(old_figure.Points[n].Y, snapshot.Points[n].Y);
  }
  if (form.Figures[form.TargetSlot].SpinRate != 0) {
    EXPECT_NE(form.Figures[form.TargetSlot].Spin, target_spin);
  }
}

TEST(AnimationCycle, RandomDrawsPerFrameAndPerBuild) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  EXPECT_EQ(run->random.reseeds, 1);
  EXPECT_EQ(run->random.draws, BuildDraws(run->form().Figures[0]) + kPointCount);
  for (int cycle = 1; cycle <= 2; ++cycle) {
    for (int frame = 1; frame <= 150; ++frame) {
      const std::int64_t before = run->random.draws;
      const std::int64_t reseeds_before = run->random.reseeds;
      run->animation.NextFrame();
      const std::int64_t taken = run->random.draws - before;
      if (frame == 1) {
        ASSERT_EQ(run->random.reseeds, reseeds_before + 1);
        ASSERT_EQ(taken, BuildDraws(run->form().Figures[run->form().TargetSlot]) + 721);
      } else {
        ASSERT_EQ(run->random.reseeds, reseeds_before);
        ASSERT_EQ(taken, frame <= 100 ? 721 : 1) << "frame " << frame;
      }
    }
  }
}

TEST(AnimationCycle, ScatterRadiusFollowsTheMorphAndRestsInTheHold) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  for (std::int16_t c = 1; c <= 100; ++c) {
    run->animation.NextFrame();
    const std::int16_t radius = run->form().ScatterRadius;
    if (c >= 48 && c <= 52) {
      EXPECT_EQ(radius, 70) << "c " << c;
    } else if (c <= 2 || c >= 98) {
      EXPECT_EQ(radius, 0) << "c " << c;
    } else if (c == 25 || c == 75) {
      EXPECT_EQ(radius, 35) << "c " << c;
    }
  }
  for (int d = 1; d <= 50; ++d) {
    run->animation.NextFrame();
    ASSERT_EQ(run->form().ScatterRadius, 0);
  }
}

TEST(AnimationCycle, WanderPhasesNeverDecrease) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  float x = 0;
  float y = 0;
  for (int frame = 1; frame <= 300; ++frame) {
    run->animation.NextFrame();
    ASSERT_GE(run->form().WanderPhaseX, x);
    ASSERT_GE(run->form().WanderPhaseY, y);
    x = run->form().WanderPhaseX;
    y = run->form().WanderPhaseY;
  }
  EXPECT_GT(x, 0);
  EXPECT_GT(y, 0);
}

TEST(AnimationStartUp, CentreRoundsHalfTheClientSizeToEven) {
  for (const auto& [size, centre] : {std::pair{801.0F, 400}, {803.0F, 402}, {448.0F, 224}}) {
    auto run = std::make_unique<HeadlessRun>(size, size);
    run->animation.StartUp();
    EXPECT_EQ(run->form().CenterX, centre) << size;
    EXPECT_EQ(run->form().CenterY, centre) << size;
  }
}

TEST(AnimationStartUpDeathTest, ClientTooWideForTheCentreEndsTheProgram) {
  auto run = std::make_unique<HeadlessRun>(65535, 439);
  EXPECT_EXIT(run->animation.StartUp(), testing::ExitedWithCode(kRuntimeFailureStatus), "16-bit");
}

TEST(AnimationStartUp, SetsTheConstantsAndEveryFirstScatterDirection) {
  auto run = std::make_unique<HeadlessRun>();
  run->animation.StartUp();
  const FormState& form = run->form();
  EXPECT_EQ(form.MorphFrames, 100);
  EXPECT_EQ(form.HoldFrames, 50);
  EXPECT_EQ(form.ElevationStep, 0.1F);
  EXPECT_EQ(form.AzimuthStep, 0.1F);
  EXPECT_EQ(form.ScatterPeak, 70);
  EXPECT_EQ(form.Figures[1].ArmCount, 0) << "only slot 0 is built at start-up";
  int distinct = 0;
  for (int n = 1; n <= kPointCount; ++n) {
    const Particle& q = form.Particles[n];
    ASSERT_GE(q.ScatterAzimuth, 0.0F);
    ASSERT_LE(q.ScatterAzimuth, Single(2 * Widened(kPi)));
    EXPECT_EQ(q.ScatterElevation, 0.0F);
    EXPECT_EQ(q.Size, 0);
    if (n > 1 && q.ScatterAzimuth != form.Particles[n - 1].ScatterAzimuth) ++distinct;
  }
  EXPECT_GT(distinct, 300);
}

// Reads the operation log of a whole run.
std::vector<std::string> Lines(std::FILE* file) {
  std::rewind(file);
  std::vector<std::string> lines;
  char buffer[128];
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    lines.emplace_back(buffer, std::strcspn(buffer, "\n"));
  }
  return lines;
}

TEST(AnimationDisplay, EveryFrameIsDrawnBehindAndThenBroughtToTheFront) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  MemoryDisplay pages(448, 439);
  LogWriter writer(log);
  RecordingDisplay display(writer, &pages);
  TimeSeededGenerator random([] { return kNoon; });
  auto animation = std::make_unique<Animation>(display, random);
  animation->StartUp();
  for (int frame = 1; frame <= 152; ++frame) animation->NextFrame();
  ASSERT_TRUE(writer.Flush());
  const std::vector<std::string> lines = Lines(log);
  std::fclose(log);

  const std::vector<std::string> start_up = {"move 0 0 0 448 439", "backcolor 0 0",
                                             "move 1 0 0 448 439", "backcolor 1 0"};
  ASSERT_GE(lines.size(), 4U);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), start_up);
  const std::size_t per_frame = 1 + 2 * kPointCount + 2;
  ASSERT_EQ(lines.size(), 4 + 152 * per_frame);
  for (int frame = 1; frame <= 152; ++frame) {
    const std::size_t at = 4 + (frame - 1) * per_frame;
    const std::string k = frame % 2 == 1 ? "1" : "0";  // the first frame goes on pb(1)
    ASSERT_EQ(lines[at], "cls " + k) << "frame " << frame;
    for (int n = 0; n < kPointCount; ++n) {
      ASSERT_EQ(lines[at + 1 + 2 * n].rfind("forecolor " + k + " ", 0), 0U) << "frame " << frame;
      ASSERT_EQ(lines[at + 2 + 2 * n].rfind("ellipse " + k + " ", 0), 0U) << "frame " << frame;
    }
    ASSERT_EQ(lines[at + per_frame - 2], "zorder " + k);
    ASSERT_EQ(lines[at + per_frame - 1], "doevents");
  }
  EXPECT_EQ(pages.FrontIndex(), 0);
}

// Builds take 464 draws when every value is 0.25 (four arms); the start-up's first azimuth is 0.
TEST(AnimationScatter, AZeroAzimuthStaysZeroForGood) {
  std::vector<float> values(464, 0.25F);
  values.push_back(0.0F);
  values.insert(values.end(), 359 + 464 + 5 * 721, 0.25F);
  ScriptedSource random(values);
  MemoryDisplay display(448, 439);
  auto animation = std::make_unique<Animation>(display, random);
  animation->StartUp();
  const float second_start = animation->State().Particles[2].ScatterAzimuth;
  for (int c = 1; c <= 5; ++c) animation->NextFrame();
  EXPECT_EQ(animation->State().Particles[1].ScatterAzimuth, 0.0F);
  EXPECT_GT(animation->State().Particles[2].ScatterAzimuth, second_start);
  EXPECT_EQ(random.DrawCount(), values.size());
}

}  // namespace
}  // namespace flakemorph
