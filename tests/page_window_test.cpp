#include "display/page_window.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace flakemorph {
namespace {

constexpr PixelLayout kXrgb{16, 8, 0, 0xFF000000U};

// A window system's buffers as the tests hold them: which are held, and what was presented.
class FakeBuffers final : public FrameBuffers {
 public:
  FakeBuffers(std::size_t count, int width, int height)
      : held_(count, false),
        width_(width),
        height_(height),
        pixels_(count, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))) {}

  std::size_t BufferCount() const override { return pixels_.size(); }
  TargetBuffer Buffer(std::size_t index) override {
    return {pixels_[index].data(), width_, height_, width_ * 4, kXrgb};
  }
  bool Held(std::size_t index) const override { return held_[index]; }
  TileGrid DamageGrid() const override { return grid_; }
  void Present(std::size_t index, std::span<const PixelRect> rects) override {
    presented_.push_back(index);
    rects_.assign(rects.begin(), rects.end());
  }

  std::uint32_t At(std::size_t index, int x, int y) const {
    return pixels_[index][static_cast<std::size_t>(y * width_ + x)];
  }
  std::vector<bool> held_;
  std::vector<std::size_t> presented_;
  std::vector<PixelRect> rects_;
  TileGrid grid_ = BufferChain::kDamageGrid;

 private:
  int width_;
  int height_;
  std::vector<std::vector<std::uint32_t>> pixels_;
};

// A frame as the animation draws one: the page behind cleared, a circle, then to the front.
void DrawFrame(PageWindow& window, std::int16_t k, int left) {
  window.Move(k, 0, 0, window.ScaleWidth(), window.ScaleHeight());
  window.BackColor(k, 0);
  window.ForeColor(k, 0x00FF00);
  window.Ellipse(ContextOfSurface(k), left, 60, left + 20, 80);
  window.ZOrder(k);
}

bool Inside(std::span<const PixelRect> rects, int x, int y) {
  for (const PixelRect& r : rects) {
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
  }
  return false;
}

TEST(PageWindow, AFrameGoesToABufferThatIsNotHeldOrNowhere) {
  FakeBuffers buffers(2, 200, 100);
  PageWindow window(buffers);
  window.Resize(200, 100, 1);
  EXPECT_FALSE(window.TakeResize());  // the first size is no new one
  DrawFrame(window, 1, 10);
  buffers.held_[0] = true;
  ASSERT_TRUE(window.ShowFrame());
  EXPECT_EQ(buffers.presented_, std::vector<std::size_t>{1});
  buffers.held_[1] = true;
  EXPECT_FALSE(window.HasFreeBuffer());
  EXPECT_FALSE(window.ShowFrame());
  EXPECT_EQ(buffers.presented_.size(), 1U);
}

// On a scaled buffer every page pixel is a block, the text's box lies over the page, and what
// changed since the buffer presented before is inside the rects presented.
TEST(PageWindow, TheBufferIsThePageEnlargedWithTheTextOverIt) {
  constexpr int kScale = 2;
  FakeBuffers buffers(1, 200 * kScale, 100 * kScale);
  PageWindow window(buffers);
  window.Resize(200 * kScale + 1, 100 * kScale + 1, kScale);
  EXPECT_EQ(window.ScaleWidth(), 200.0F);
  window.ShowText("60 fps");
  DrawFrame(window, 1, 120);
  ASSERT_TRUE(window.ShowFrame());
  std::vector<std::uint32_t> before;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 400; ++x) before.push_back(buffers.At(0, x, y));
  }
  DrawFrame(window, 0, 150);
  ASSERT_TRUE(window.ShowFrame());
  const PixelRect text = buffers.rects_.back();
  EXPECT_EQ(text.x, 0);
  EXPECT_GT(text.width, 100);
  const Page& page = window.FrontPage();
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 400; ++x) {
      const std::uint32_t now = buffers.At(0, x, y);
      if (!Inside(std::span(&text, 1), x, y)) {
        ASSERT_EQ(now, InLayout(page.Pixel(x / kScale, y / kScale), kXrgb)) << x << "," << y;
      }
      if (now != before[static_cast<std::size_t>(y * 400 + x)]) {
        ASSERT_TRUE(Inside(buffers.rects_, x, y)) << "undamaged " << x << "," << y;
      }
    }
  }
}

TEST(PageWindow, ANewSizeIsToldOnceAndFramesOfTheOldOneAreNotShown) {
  FakeBuffers buffers(1, 300, 100);
  PageWindow window(buffers);
  window.Resize(200, 100, 1);
  DrawFrame(window, 1, 10);
  window.Resize(300, 100, 1);
  EXPECT_TRUE(window.TakeResize());
  EXPECT_FALSE(window.TakeResize());
  EXPECT_FALSE(window.ShowFrame());
  DrawFrame(window, 0, 10);
  EXPECT_TRUE(window.ShowFrame());
}

// A window system that pays for the pixels it copies rather than for each rect asks for fine
// tiles, and is then given less to copy for the same change.
TEST(PageWindow, FinerTilesPresentLessOfTheSameChange) {
  const auto presented_area = [](const TileGrid& grid) {
    FakeBuffers buffers(1, 400, 300);
    buffers.grid_ = grid;
    PageWindow window(buffers);
    window.Resize(400, 300, 1);
    DrawFrame(window, 1, 10);
    window.ShowFrame();
    DrawFrame(window, 0, 14);
    window.ShowFrame();
    std::int64_t area = 0;
    for (const PixelRect& rect : buffers.rects_) area += std::int64_t{rect.width} * rect.height;
    return area;
  };
  const std::int64_t coarse = presented_area(BufferChain::kDamageGrid);
  const std::int64_t fine = presented_area(TileGrid{8, 8, 1024});
  EXPECT_GT(fine, 0);
  EXPECT_LT(fine * 4, coarse);
}

}  // namespace
}  // namespace flakemorph
