// The web page as a window system, run natively: what it puts on the canvas is the trace
// tool's picture, its changed rectangles bring a canvas up to date, a new size starts afresh
// once it has settled, and input takes it into full screen and out as the end policy says.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/animation.h"
#include "display/memory_display.h"
#include "figures/random_source.h"
#include "platform/web/web_page.h"

namespace flakemorph::web {
namespace {

constexpr std::uint64_t kNoon = 43'200'000'000'000ULL;

std::unique_ptr<WebPage> MakePage(const char* query) {
  auto page = std::make_unique<WebPage>([] { return kNoon; }, [] { return 0.0; });
  EXPECT_EQ(page->Configure(query), "");
  return page;
}

// What flakemorph-trace --clock 43200 --frames N shows at that size.
std::vector<std::uint32_t> TracePicture(std::int32_t width, std::int32_t height, int frames) {
  MemoryDisplay pages(static_cast<float>(width), static_cast<float>(height));
  TimeSeededGenerator random([] { return kNoon; });
  Animation animation(pages, random);
  animation.StartUp();
  for (int frame = 0; frame < frames; ++frame) animation.NextFrame();
  const std::uint32_t* pixels = pages.FrontPage().Pixels();
  return {pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height)};
}

// A canvas that is only ever given the rectangles the page says changed.
class Canvas {
 public:
  void Put(const WebPage& page) {
    const CanvasBuffer& buffer = page.Canvas();
    if (buffer.Width() != width_ || buffer.Height() != height_) {
      width_ = buffer.Width();
      height_ = buffer.Height();
      pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
    }
    for (const PixelRect& rect : page.Changes()) {
      for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y) {
        for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x) {
          const std::size_t at = static_cast<std::size_t>(y) * width_ + x;
          pixels_[at] = buffer.Pixels()[at];
        }
      }
    }
  }
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
  }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

void ExpectTracePicture(const Canvas& canvas, std::int32_t scale, int frames) {
  const std::int32_t width = canvas.Width() / scale;
  const std::int32_t height = canvas.Height() / scale;
  const std::vector<std::uint32_t> want = TracePicture(width, height, frames);
  int differing = 0;
  for (std::int32_t y = 0; y < height * scale; ++y) {
    for (std::int32_t x = 0; x < width * scale; ++x) {
      const std::uint32_t pixel = want[static_cast<std::size_t>(y / scale) * width + x / scale];
      if (canvas.At(x, y) != (pixel | 0xFF000000U)) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
  // Beyond the last whole block, opaque black.
  for (std::int32_t y = height * scale; y < canvas.Height(); ++y) {
    for (std::int32_t x = 0; x < canvas.Width(); ++x) EXPECT_EQ(canvas.At(x, y), 0xFF000000U);
  }
}

// A still of N frames, drawn a second of the animation at each callback and shown through the
// changed rectangles alone, is the trace's picture; on a screen of ratio 2 every page pixel is
// 2 x 2 of the canvas's.
TEST(WebPage, StillIsTheTracePicture) {
  for (const double ratio : {1.0, 2.0}) {
    const auto owned = MakePage("?clock=43200&frames=200");
    WebPage& page = *owned;
    Canvas canvas;
    for (int tick = 0; tick < 5; ++tick) {
      page.Tick(tick * 16.0, 333 * static_cast<std::int32_t>(ratio), 201, ratio);
      canvas.Put(page);
    }
    ASSERT_EQ(page.FramesDrawn(), 200);
    EXPECT_EQ(page.MillisecondsUntilDue(100), -1) << "a still wants no more callbacks";
    ExpectTracePicture(canvas, static_cast<std::int32_t>(ratio), 200);
  }
}

// Live, at 144 callbacks a second, 60 frames a second; the canvas given only the changed
// rectangles (a few of them, not the whole) shows what the page drew.
TEST(WebPage, LiveFramesReachTheCanvasThroughTheirRectangles) {
  const auto owned = MakePage("?clock=43200");
  WebPage& page = *owned;
  Canvas canvas;
  std::size_t most_rects = 0;
  for (int call = 0; call < 144 * 2; ++call) {
    const std::size_t rects = page.Tick(call * 1000.0 / 144, 448, 439, 1);
    if (call > 0) most_rects = std::max(most_rects, rects);
    canvas.Put(page);
  }
  EXPECT_NEAR(page.FramesDrawn(), 120, 1);
  EXPECT_GT(most_rects, 1U);
  ExpectTracePicture(canvas, 1, static_cast<int>(page.FramesDrawn()));
}

// While a window is dragged to new sizes the animation goes on at the old one; once a size has
// held for a quarter of a second a fresh animation starts at it.
TEST(WebPage, NewSizeStartsAfreshOnceSettled) {
  const auto owned = MakePage("");
  WebPage& page = *owned;
  double now = 0;
  const auto run = [&](std::int32_t width, std::int32_t height, double milliseconds) {
    for (const double end = now + milliseconds; now < end; now += 1000.0 / 60) {
      page.Tick(now, width, height, 1);
    }
  };
  run(640, 360, 500);
  const std::int64_t before = page.FramesDrawn();
  run(700, 400, 100);
  run(800, 450, 200);
  EXPECT_EQ(page.Canvas().Width(), 640);
  EXPECT_GT(page.FramesDrawn(), before);
  run(800, 450, 100);
  EXPECT_EQ(page.Canvas().Width(), 800);
  EXPECT_EQ(page.Canvas().Height(), 450);
  EXPECT_LT(page.FramesDrawn(), 10);
}

TEST(WebPage, InputTakesItIntoFullScreenAndOut) {
  const auto owned = MakePage("");
  WebPage& page = *owned;
  page.Tick(0, 320, 200, 1);
  EXPECT_EQ(page.Take({InputKind::kPointerMoved, 50, 50}), PageAction::kNothing);
  EXPECT_EQ(page.Take({InputKind::kPointerMoved, 500, 50}), PageAction::kNothing);
  EXPECT_EQ(page.Take({InputKind::kKeyPressed}), PageAction::kEnterFullScreen);
  page.FullScreenChanged(true);
  // In full screen, as a screen saver: a hand on the mouse leaves it, jitter does not.
  EXPECT_EQ(page.Take({InputKind::kPointerMoved, 100, 100}), PageAction::kNothing);
  EXPECT_EQ(page.Take({InputKind::kPointerMoved, 102, 99}), PageAction::kNothing);
  EXPECT_EQ(page.Take({InputKind::kPointerMoved, 120, 100}), PageAction::kLeaveFullScreen);
  EXPECT_EQ(page.Take({InputKind::kWheelTurned}), PageAction::kLeaveFullScreen);
  page.FullScreenChanged(false);
  EXPECT_EQ(page.Take({InputKind::kButtonPressed}), PageAction::kEnterFullScreen);

  const auto wallpaper = MakePage("?wallpaper");
  for (const InputKind kind : {InputKind::kKeyPressed, InputKind::kButtonPressed,
                               InputKind::kTouched, InputKind::kWheelTurned}) {
    EXPECT_EQ(wallpaper->Take({kind}), PageAction::kNothing);
  }
}

// A wrong option from a host's settings leaves the page as it was.
TEST(WebPage, WrongOptionsChangeNothing) {
  const auto owned = MakePage("?clock=43200&frames=10");
  WebPage& page = *owned;
  page.Tick(0, 64, 64, 1);
  EXPECT_NE(page.Configure("?clock=43200&frames=10&rate=0"), "");
  page.Tick(16, 64, 64, 1);
  EXPECT_EQ(page.FramesDrawn(), 10);
}

}  // namespace
}  // namespace flakemorph::web
