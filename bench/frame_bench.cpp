// The cost of one frame, whole (figure steps, wander, 360 particles, clearing the page and
// drawing 360 circles into it, no window), of each phase at three page sizes, and of building
// one figure. Beside them, to set them against: filling a whole page, which is what a frame
// would cost if it cleared its page, and drawing a frame's 360 circles alone, by the raster the
// pages use and by the general raster; and the memory side of a run of hold frames, by that
// raster and by the least a raster that draws row by row could store.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "display/buffer_chain.h"
#include "display/memory_display.h"
#include "display/outline.h"
#include "display/page_damage.h"
#include "figures/builder.h"
#include "figures/motion.h"
#include "figures/random_source.h"

namespace flakemorph {
namespace {

constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::uint64_t kSecondsPerDay = 86'400;

// A time of day that moves on a second at every re-seed: every new figure is another one, as
// in a real run, yet every run of the benchmark sees the same figures.
TimeOfDayClock SteppingClock() {
  return [second = std::uint64_t{43'200}]() mutable {
    second = (second + 1) % kSecondsPerDay;
    return second * kNanosecondsPerSecond;
  };
}

// Knows, from the frame just run, what the next frame will be. The first frame of a cycle
// also builds the new figure, so it counts as neither phase here.
class PhaseTracker final : public AnimationObserver {
 public:
  void AfterFrame(const FormState& form, std::int64_t, FramePhase phase, std::int16_t c) override {
    const bool morph_goes_on = phase == FramePhase::kMorph && c < form.MorphFrames;
    const bool hold_goes_on = (phase == FramePhase::kMorph && c == form.MorphFrames) ||
                              (phase == FramePhase::kHold && c < form.HoldFrames);
    next_ = morph_goes_on ? Next::kMorph : hold_goes_on ? Next::kHold : Next::kCycleStart;
  }

  bool NextIs(FramePhase phase) const {
    return next_ == (phase == FramePhase::kMorph ? Next::kMorph : Next::kHold);
  }

 private:
  enum class Next { kCycleStart, kMorph, kHold };
  Next next_ = Next::kCycleStart;
};

// Runs frames until the next one is of the given phase; a cycle is far shorter than the limit.
bool SkipToPhase(Animation& animation, const PhaseTracker& tracker, FramePhase phase) {
  for (int frame = 0; frame < 1000; ++frame) {
    if (tracker.NextIs(phase)) return true;
    animation.NextFrame();
  }
  return tracker.NextIs(phase);
}

// An animation on in-memory pages, started up, whose frames the caller runs.
struct AnimationRun {
  // Deferred pages only note what is drawn on them, as the window's pages do.
  enum class Pages { kDrawn, kDeferred };

  AnimationRun(int width, int height, Pages pages)
      : display(static_cast<float>(width), static_cast<float>(height)),
        random(SteppingClock()),
        animation(display, random, &tracker) {
    if (pages == Pages::kDeferred) display.DeferDrawing();
    animation.StartUp();
  }

  MemoryDisplay display;
  TimeSeededGenerator random;
  PhaseTracker tracker;
  Animation animation;
};

// Times single frames of one phase; the frames in between run with the clock stopped.
void BM_Frame(benchmark::State& state, FramePhase phase, int width, int height) {
  AnimationRun run(width, height, AnimationRun::Pages::kDrawn);
  Animation& animation = run.animation;
  const PhaseTracker& tracker = run.tracker;
  for (auto _ : state) {
    if (!tracker.NextIs(phase)) {
      state.PauseTiming();
      const bool found = SkipToPhase(animation, tracker, phase);
      state.ResumeTiming();
      if (!found) {
        state.SkipWithError("the animation never reached the phase");
        break;
      }
    }
    animation.NextFrame();
  }
}

// Pixels of a page's size, held as the pages hold theirs.
using PagePixels = std::vector<std::uint32_t, LargePageAllocator<std::uint32_t>>;

// The circles of a hold frame in the middle of a cycle, as the page received them.
struct FrameCircles {
  std::vector<Page::Box> boxes;
  std::vector<ColorValue> colors;
};

FrameCircles CirclesOf(const Page& page) {
  const Page::Record drawn = page.Drawn();
  return {{drawn.boxes.begin(), drawn.boxes.end()}, {drawn.colors.begin(), drawn.colors.end()}};
}

FrameCircles TypicalHoldFrame(int width, int height) {
  AnimationRun run(width, height, AnimationRun::Pages::kDrawn);
  // Into the second cycle, and some way into its hold.
  for (int frame = 0; frame < 150 + 100 + 20; ++frame) run.animation.NextFrame();
  return CirclesOf(run.display.FrontPage());
}

void BM_FillPage(benchmark::State& state, int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
  std::uint32_t color = 0;
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), color++);
    benchmark::ClobberMemory();
  }
}

// The 360 circles of one frame drawn on a page, as DrawEllipse draws them.
void BM_CircleRaster(benchmark::State& state, int width, int height) {
  const FrameCircles circles = TypicalHoldFrame(width, height);
  Page page;
  page.Resize(width, height);
  page.Fill(0);
  for (auto _ : state) {
    for (std::size_t n = 0; n < circles.boxes.size(); ++n) {
      const Page::Box& box = circles.boxes[n];
      page.DrawEllipse(box.left, box.top, box.right, box.bottom, circles.colors[n]);
    }
    benchmark::ClobberMemory();
  }
  state.counters["circles"] = static_cast<double>(circles.boxes.size());
}

// The same circles by the general raster, which draws any box.
void BM_GeneralRaster(benchmark::State& state, int width, int height) {
  const FrameCircles circles = TypicalHoldFrame(width, height);
  PagePixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const PixelRows rows{pixels.data(), width, height, width};
  for (auto _ : state) {
    for (std::size_t n = 0; n < circles.boxes.size(); ++n) {
      DrawGeneralOutline(rows, circles.boxes[n], static_cast<std::uint32_t>(circles.colors[n]));
    }
    benchmark::ClobberMemory();
  }
}

// A frame as the window shows it: noted on its page, whose drawing is deferred, then brought to
// a window buffer of the same size by drawing the changes there. Counts the rects a window system
// would be sent.
void BM_ShownFrame(benchmark::State& state, FramePhase phase, int width, int height) {
  AnimationRun run(width, height, AnimationRun::Pages::kDeferred);
  Animation& animation = run.animation;
  const PhaseTracker& tracker = run.tracker;
  const MemoryDisplay& display = run.display;
  PagePixels window(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const TargetBuffer target{window.data(), width, height, width * 4, {16, 8, 0, 0}};
  BufferChain chain{
      TileGrid{PageDamage::kTileWidth, PageDamage::kTileHeight, PageDamage::kMostRects}};
  chain.Resize(width, height, 1);
  double rects = 0;
  double area = 0;
  for (auto _ : state) {
    if (!tracker.NextIs(phase)) {
      state.PauseTiming();
      const bool found = SkipToPhase(animation, tracker, phase);
      chain.Bring(0, display.FrontPage(), target);
      state.ResumeTiming();
      if (!found) {
        state.SkipWithError("the animation never reached the phase");
        break;
      }
    }
    animation.NextFrame();
    const std::span<const PixelRect> shown = *chain.Bring(0, display.FrontPage(), target);
    rects += static_cast<double>(shown.size());
    for (const PixelRect& rect : shown) area += static_cast<double>(rect.width) * rect.height;
  }
  state.counters["rects"] = benchmark::Counter(rects, benchmark::Counter::kAvgIterations);
  state.counters["pixels"] = benchmark::Counter(area, benchmark::Counter::kAvgIterations);
}

// The same through a BufferChain of two buffers taken in turn, as a compositor gives them back,
// on a screen of width x height whose every page pixel is scale x scale, told apart in the tiles
// of `grid` (a compositor's, or the X server's finer ones).
void BM_ChainedFrame(benchmark::State& state, FramePhase phase, int width, int height, int scale,
                     TileGrid grid) {
  AnimationRun run(width / scale, height / scale, AnimationRun::Pages::kDeferred);
  std::array<PagePixels, 2> buffers{PagePixels(static_cast<std::size_t>(width) * height),
                                    PagePixels(static_cast<std::size_t>(width) * height)};
  BufferChain chain(grid);
  chain.Resize(width / scale, height / scale, scale);
  std::size_t index = 0;
  double rects = 0;
  double area = 0;
  const auto bring = [&] {
    const TargetBuffer target{buffers[index].data(), width, height, width * 4, {16, 8, 0, 0}};
    const std::optional<std::span<const PixelRect>> shown =
        chain.Bring(index, run.display.FrontPage(), target);
    for (const PixelRect& rect : shown.value_or(std::span<const PixelRect>())) {
      ++rects;
      area += static_cast<double>(rect.width) * rect.height;
    }
    index = 1 - index;
  };
  for (auto _ : state) {
    if (!run.tracker.NextIs(phase)) {
      state.PauseTiming();
      const bool found = SkipToPhase(run.animation, run.tracker, phase);
      bring();
      bring();
      state.ResumeTiming();
      if (!found) {
        state.SkipWithError("the animation never reached the phase");
        break;
      }
    }
    run.animation.NextFrame();
    bring();
  }
  state.counters["rects"] = benchmark::Counter(rects, benchmark::Counter::kAvgIterations);
  state.counters["pixels"] = benchmark::Counter(area, benchmark::Counter::kAvgIterations);
}

// Hold frames in a row, from the second cycle on, as the circles their pages received.
std::vector<FrameCircles> SuccessiveHoldFrames(int width, int height, int count) {
  AnimationRun run(width, height, AnimationRun::Pages::kDeferred);
  for (int frame = 0; frame < 250; ++frame) run.animation.NextFrame();
  std::vector<FrameCircles> frames;
  while (static_cast<int>(frames.size()) < count) {
    const bool hold = run.tracker.NextIs(FramePhase::kHold);
    run.animation.NextFrame();
    if (hold) frames.push_back(CirclesOf(run.display.FrontPage()));
  }
  return frames;
}

// The cache lines a frame's outlines write to, counting each once: what the frame must bring in.
double CacheLinesOf(const FrameCircles& frame, int width, int height) {
  PagePixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  OutlineRaster raster;
  for (const Page::Box& box : frame.boxes)
    raster.Draw({pixels.data(), width, height, width}, box, 1);
  constexpr std::size_t kPixelsPerLine = 16;
  double lines = 0;
  for (std::size_t first = 0; first < pixels.size(); first += kPixelsPerLine) {
    const auto end = pixels.begin() +
                     static_cast<std::ptrdiff_t>(std::min(first + kPixelsPerLine, pixels.size()));
    lines += std::any_of(pixels.begin() + static_cast<std::ptrdiff_t>(first), end,
                         [](std::uint32_t p) { return p != 0; });
  }
  return lines;
}

// The memory side of a hold frame: on two pages in turn, the circles a page showed two frames
// before are erased and the frame's own drawn, as clearing and drawing a page does at large
// sizes. Draw is the outline raster, or the least that any row-by-row raster must store.
template <typename Draw>
void EraseAndDraw(benchmark::State& state, int width, int height, Draw draw) {
  const std::vector<FrameCircles> frames = SuccessiveHoldFrames(width, height, 64);
  std::array<PagePixels, 2> pages{PagePixels(static_cast<std::size_t>(width) * height),
                                  PagePixels(static_cast<std::size_t>(width) * height)};
  std::size_t f = 2;
  for (auto _ : state) {
    const PixelRows rows{pages[f % 2].data(), width, height, width};
    for (const Page::Box& box : frames[(f - 2) % frames.size()].boxes) draw(rows, box, 0);
    const FrameCircles& now = frames[f % frames.size()];
    for (std::size_t n = 0; n < now.boxes.size(); ++n) {
      draw(rows, now.boxes[n], static_cast<std::uint32_t>(now.colors[n]));
    }
    benchmark::ClobberMemory();
    ++f;
  }
  state.counters["lines"] = CacheLinesOf(frames[0], width, height);
}

void BM_EraseAndDraw(benchmark::State& state, int width, int height) {
  OutlineRaster raster;
  EraseAndDraw(state, width, height,
               [&](const PixelRows& rows, const Page::Box& box, std::uint32_t pixel) {
                 raster.Draw(rows, box, pixel);
               });
}

// Only the first and last pixel of every row of every box, where the box lies on the page: what
// is left of a frame's raster when nothing but its memory traffic counts.
void BM_RowEnds(benchmark::State& state, int width, int height) {
  OutlineRaster raster;
  EraseAndDraw(
      state, width, height, [&](const PixelRows& rows, const Page::Box& box, std::uint32_t pixel) {
        const bool inside =
            box.left >= 0 && box.top >= 0 && box.right <= rows.width && box.bottom <= rows.height;
        if (!inside || box.right <= box.left || box.bottom <= box.top) {
          raster.Draw(rows, box, pixel);
          return;
        }
        std::uint32_t* row = rows.pixels + box.top * rows.stride + box.left;
        const std::ptrdiff_t last = box.right - box.left - 1;
        for (std::int32_t y = box.top; y < box.bottom; ++y, row += rows.stride) {
          row[0] = pixel;
          row[last] = pixel;
        }
      });
}

// Builds into alternate slots, as the cycle does, each from a new seed.
void BM_BuildFigure(benchmark::State& state) {
  FormState form;
  form.CenterY = 220;  // a 448x439 window
  TimeSeededGenerator random(SteppingClock());
  std::int16_t slot = 0;
  for (auto _ : state) {
    slot = static_cast<std::int16_t>(1 - slot);
    BuildFigure(form, slot, random);
    benchmark::ClobberMemory();
  }
}

// One step of one figure's 360 points, which a hold frame takes once and a morph frame twice:
// the part of a frame that its exact arithmetic fixes, whatever the page.
void BM_StepFigure(benchmark::State& state) {
  FormState form;
  form.CenterY = 220;  // a 448x439 window
  TimeSeededGenerator random(SteppingClock());
  BuildFigure(form, 0, random);
  for (auto _ : state) {
    StepFigure(form, 0);
    benchmark::ClobberMemory();
  }
}

void RegisterAll() {
  struct Size {
    int width;
    int height;
  };
  for (const Size size : {Size{448, 439}, Size{1920, 1080}, Size{3840, 2160}}) {
    const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
    benchmark::RegisterBenchmark(("BM_MorphFrame/" + name).c_str(), BM_Frame, FramePhase::kMorph,
                                 size.width, size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_HoldFrame/" + name).c_str(), BM_Frame, FramePhase::kHold,
                                 size.width, size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_ShownHoldFrame/" + name).c_str(), BM_ShownFrame,
                                 FramePhase::kHold, size.width, size.height)
        ->Unit(benchmark::kMicrosecond);
    for (const int scale : {1, 2}) {
      for (const TileGrid grid :
           {BufferChain::kDamageGrid,
            TileGrid{PageDamage::kTileWidth, PageDamage::kTileHeight, PageDamage::kMostRects}}) {
        benchmark::RegisterBenchmark(
            ("BM_ChainedHoldFrame/" + name + "/scale:" + std::to_string(scale) +
             "/tiles:" + std::to_string(grid.tile_width))
                .c_str(),
            BM_ChainedFrame, FramePhase::kHold, size.width, size.height, scale, grid)
            ->Unit(benchmark::kMicrosecond);
      }
    }
    benchmark::RegisterBenchmark(("BM_FillPage/" + name).c_str(), BM_FillPage, size.width,
                                 size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_CircleRaster/" + name).c_str(), BM_CircleRaster, size.width,
                                 size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_GeneralRaster/" + name).c_str(), BM_GeneralRaster, size.width,
                                 size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_EraseAndDraw/" + name).c_str(), BM_EraseAndDraw, size.width,
                                 size.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_RowEnds/" + name).c_str(), BM_RowEnds, size.width,
                                 size.height)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("BM_BuildFigure/448x439", BM_BuildFigure)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_StepFigure/448x439", BM_StepFigure)
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace flakemorph

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  flakemorph::RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
