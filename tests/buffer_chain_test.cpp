#include "display/buffer_chain.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "animation/animation.h"
#include "display/memory_display.h"
#include "figures/random_source.h"

namespace flakemorph {
namespace {

constexpr PixelLayout kXrgb{16, 8, 0, 0xFF000000U};

// A buffer shared with a compositor stand-in: it keeps what it was last shown.
class Buffer {
 public:
  Buffer(int width, int height)
      : width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>(width * height), 0x123456) {}
  TargetBuffer Target() { return {pixels_.data(), width_, height_, width_ * 4, kXrgb}; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

// The real animation on pages in memory, at a fixed time of day so that runs repeat.
class Run {
 public:
  Run(int width, int height)
      : display_(static_cast<float>(width), static_cast<float>(height)),
        random_([] { return std::uint64_t{43'200'000'000'000}; }),
        animation_(display_, random_) {
    display_.DeferDrawing();
    animation_.StartUp();
  }
  const Page& Next() {
    animation_.NextFrame();
    return display_.FrontPage();
  }

 private:
  MemoryDisplay display_;
  TimeSeededGenerator random_;
  Animation animation_;
};

// Each page pixel in a scale x scale square of the buffer.
void ExpectShows(const Buffer& buffer, const Page& page, int scale, int frame) {
  for (int y = 0; y < page.Height() * scale; ++y) {
    for (int x = 0; x < page.Width() * scale; ++x) {
      const std::uint32_t expected = InLayout(page.Pixel(x / scale, y / scale), kXrgb);
      if (buffer.At(x, y) != expected) {
        FAIL() << "frame " << frame << ": pixel " << x << "," << y << " is " << std::hex
               << buffer.At(x, y) << ", not " << expected;
      }
    }
  }
}

bool Inside(std::span<const PixelRect> rects, int x, int y) {
  for (const PixelRect& r : rects) {
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
  }
  return false;
}

// Whatever differs from the buffer brought before lies inside the damage.
void ExpectDamageCovers(const Buffer& before, const Buffer& now, std::span<const PixelRect> rects,
                        int width, int height, int frame) {
  ASSERT_FALSE(rects.empty());
  ASSERT_LE(rects.size(), BufferChain::kDamageGrid.most_rects);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (before.At(x, y) != now.At(x, y) && !Inside(rects, x, y)) {
        FAIL() << "frame " << frame << ": pixel " << x << "," << y << " changed, undamaged";
      }
    }
  }
}

// Buffers taken in the order a compositor might give them back: in turn, the same one twice
// (a frame it asked for no other), a third while it holds two.
constexpr std::array<std::size_t, 24> kOrder{0, 1, 0, 1, 1, 0, 2, 1, 0, 2, 2, 1,
                                             0, 1, 0, 2, 0, 1, 0, 1, 2, 0, 1, 0};

void RunThroughBuffers(int scale) {
  constexpr int kWidth = 200;
  constexpr int kHeight = 150;
  Run run(kWidth, kHeight);
  BufferChain chain;
  chain.Resize(kWidth, kHeight, scale);
  std::vector<Buffer> buffers(BufferChain::kMostBuffers, Buffer(kWidth * scale, kHeight * scale));
  std::size_t last = BufferChain::kMostBuffers;
  // Through the end of a morph and the start of a hold and the next morph.
  for (int frame = 0; frame < 260; ++frame) {
    const Page& page = run.Next();
    if (frame < 80) continue;
    const std::size_t index = kOrder[static_cast<std::size_t>(frame) % kOrder.size()];
    const std::span<const PixelRect> damage =
        chain.Bring(index, page, buffers[index].Target()).value();
    ExpectShows(buffers[index], page, scale, frame);
    if (last < buffers.size()) {
      ExpectDamageCovers(buffers[last], buffers[index], damage, kWidth * scale, kHeight * scale,
                         frame);
    } else {
      ASSERT_EQ(damage.size(), 1U);
      EXPECT_EQ(damage[0].width, kWidth * scale);
    }
    if (::testing::Test::HasFailure()) return;
    last = index;
  }
}

TEST(BufferChain, EveryBufferShowsTheFrontPageAndTheDamageCoversTheChanges) {
  RunThroughBuffers(1);
}

TEST(BufferChain, ScaledBuffersShowEachPagePixelAsASquare) {
  RunThroughBuffers(2);
  RunThroughBuffers(3);
}

// The damage of a page of width x height on buffers `scale` times larger, brought with one
// circle in `before` and then with one in `now`.
std::vector<PixelRect> DamageBetween(int width, int height, int scale, const Page::Box& before,
                                     const Page::Box& now) {
  Page page;
  page.Resize(width, height);
  BufferChain chain;
  chain.Resize(width, height, scale);
  Buffer first(width * scale, height * scale);
  Buffer second(width * scale, height * scale);
  page.Fill(0);
  page.DrawEllipse(before.left, before.top, before.right, before.bottom, 255);
  chain.Bring(0, page, first.Target());
  page.Fill(0);
  page.DrawEllipse(now.left, now.top, now.right, now.bottom, 255);
  const std::optional<std::span<const PixelRect>> damage = chain.Bring(1, page, second.Target());
  if (!damage) return {};
  return {damage->begin(), damage->end()};
}

TEST(BufferChain, TheDamageIsTilesAroundTheCircles) {
  const std::vector<PixelRect> damage =
      DamageBetween(640, 480, 1, {10, 10, 30, 30}, {300, 200, 320, 220});
  ASSERT_EQ(damage.size(), 2U);
  EXPECT_EQ(damage[0].x, 0);
  EXPECT_EQ(damage[0].width, 64);
  EXPECT_EQ(damage[1].x, 256);
  EXPECT_EQ(damage[1].y, 192);
}

// The window system pays for the pixels it is told of: on a scaled buffer the tiles are still
// its pixels, not page pixels enlarged.
TEST(BufferChain, TheTilesAreTheBuffersPixelsAtEveryScale) {
  const std::vector<PixelRect> damage =
      DamageBetween(320, 240, 2, {10, 10, 30, 30}, {150, 100, 160, 110});
  ASSERT_EQ(damage.size(), 2U);
  EXPECT_EQ(damage[0].x, 0);
  EXPECT_EQ(damage[0].width, 64);
  EXPECT_EQ(damage[0].height, 64);
  EXPECT_EQ(damage[1].x, 256);
  EXPECT_EQ(damage[1].y, 192);
  EXPECT_EQ(damage[1].width, 64);
}

TEST(BufferChain, APageOfAnotherSizeWaitsAndAForgottenBufferIsCopiedWhole) {
  Page page;
  page.Resize(100, 80);
  page.Fill(0x0000FF);
  BufferChain chain;
  chain.Resize(120, 80, 1);
  Buffer buffer(120, 80);
  EXPECT_FALSE(chain.Bring(0, page, buffer.Target()));
  EXPECT_EQ(buffer.At(0, 0), 0x123456U);
  chain.Resize(100, 80, 1);
  Buffer fitting(100, 80);
  chain.Bring(0, page, fitting.Target());
  EXPECT_EQ(fitting.At(99, 79), InLayout(0x0000FF, kXrgb));
  fitting = Buffer(100, 80);
  chain.Forget(0);
  page.Fill(0x0000FF);
  chain.Bring(0, page, fitting.Target());
  EXPECT_EQ(fitting.At(50, 40), InLayout(0x0000FF, kXrgb));
}

}  // namespace
}  // namespace flakemorph
