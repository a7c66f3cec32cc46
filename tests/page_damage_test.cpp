#include "display/page_damage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "display/buffer_chain.h"
#include "display/page.h"

namespace flakemorph {
namespace {

constexpr PixelLayout kBlueLowest{16, 8, 0, 0};
constexpr PixelLayout kBlueLowestOpaque{16, 8, 0, 0xFF000000U};
constexpr PixelLayout kRedLowest{0, 8, 16, 0};
constexpr PixelLayout kRedHighest{24, 16, 8, 0x000000FFU};
constexpr std::uint32_t kGarbage = 0xDEADBEEFU;

bool Covered(int x, int y, std::span<const PixelRect> rects) {
  for (const PixelRect& rect : rects) {
    if (x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height) {
      return true;
    }
  }
  return false;
}

// A window surface stand-in: rows of 32-bit pixels with a few spare ones at each row's end, as
// window surfaces often have.
class Screen {
 public:
  Screen(int width, int height, PixelLayout layout)
      : width_(width),
        height_(height),
        stride_(width + 3),
        layout_(layout),
        pixels_(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), kGarbage) {}

  TargetBuffer Target() { return {pixels_.data(), width_, height_, stride_ * 4, layout_}; }

  std::uint32_t At(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y * stride_ + x)];
  }

  std::vector<std::uint32_t> Snapshot() const { return pixels_; }

  // Empty when every pixel that differs from `before` lies in one of the rects, else the
  // first that does not.
  std::string ChangedOutside(const std::vector<std::uint32_t>& before,
                             std::span<const PixelRect> rects) const {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * stride_ + x);
        if (pixels_[i] == before[i] || Covered(x, y, rects)) continue;
        return "changed outside the rects: x " + std::to_string(x) + " y " + std::to_string(y);
      }
    }
    return "";
  }

  // The colour as the target's layout holds it, worked out channel by channel.
  std::uint32_t Expected(ColorValue color) const {
    const auto value = static_cast<std::uint32_t>(color);
    const std::uint32_t red = value % 256;
    const std::uint32_t green = value / 256 % 256;
    const std::uint32_t blue = value / 65536 % 256;
    return (red << layout_.red_shift) | (green << layout_.green_shift) |
           (blue << layout_.blue_shift) | layout_.opaque_bits;
  }

  // Empty when the screen shows the page exactly, else where it first does not.
  std::string Mismatch(const Page& page) const {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) != Expected(page.Pixel(x, y))) {
          return "differs at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
      }
    }
    return "";
  }

 private:
  int width_;
  int height_;
  int stride_;
  PixelLayout layout_;
  std::vector<std::uint32_t> pixels_;
};

bool IsWhole(std::span<const PixelRect> rects, const Page& page) {
  return rects.size() == 1 && rects[0].x == 0 && rects[0].y == 0 &&
         rects[0].width == page.Width() && rects[0].height == page.Height();
}

std::int64_t Area(std::span<const PixelRect> rects) {
  std::int64_t area = 0;
  for (const PixelRect& rect : rects) area += std::int64_t{rect.width} * rect.height;
  return area;
}

// The tiles a window of one buffer, copied out at once, is brought up to date with.
constexpr TileGrid kFineTiles{PageDamage::kTileWidth, PageDamage::kTileHeight,
                              PageDamage::kMostRects};

// Two pages and a screen, driven the way the window drives them, with random circles and now
// and then one of the things after which the screen's content is no longer known from the
// boxes: a new fill colour, too many circles, a page filled while shown, another buffer.
class Flipbook {
 public:
  Flipbook(int width, int height, PixelLayout layout, unsigned seed)
      : screen_(width, height, layout), other_screen_(width, height, layout), random_(seed) {
    for (Page& page : pages_) {
      page.Resize(width, height);
      page.Fill(fill_);
    }
    chain_.Resize(width, height, 1);
  }

  // Shows the next frame, perhaps after a disturbance, and returns the rects it copied.
  std::span<const PixelRect> Step() {
    const int event = Below(100);
    if (event < 4) fill_ = RandomColor();
    if (event >= 4 && event < 8) {
      // More circles on the page in front, shown again.
      DrawCircles(pages_[front_], Below(10));
      return Show();
    }
    if (event >= 8 && event < 11) {
      // The page in front is cleared and drawn on while the screen still shows it.
      pages_[front_].Fill(fill_);
      DrawCircles(pages_[front_], Below(10));
    }
    if (event == 11) chain_.Forget(0);
    if (event == 12) {
      // Another buffer, which the window system says is not the one shown before.
      std::swap(screen_, other_screen_);
      chain_.Forget(0);
    }
    front_ = 1 - front_;
    Page& page = pages_[front_];
    page.Fill(fill_);
    DrawCircles(page, event == 13 ? 1100 : Below(40));
    return Show();
  }

  const Screen& screen() const { return screen_; }
  const Page& front() const { return pages_[front_]; }

 private:
  std::span<const PixelRect> Show() { return *chain_.Bring(0, front(), screen_.Target()); }

  void DrawCircles(Page& page, int count) {
    for (int n = 0; n < count; ++n) {
      // Mostly small circles, some reaching off the page, some boxes inverted or empty.
      const int x = Below(page.Width() + 40) - 20;
      const int y = Below(page.Height() + 40) - 20;
      const int w = Below(16) - 2;
      const int h = Below(4) == 0 ? Below(16) - 2 : w;
      page.DrawEllipse(x, y, x + w, y + h, RandomColor());
    }
  }

  int Below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random_); }
  ColorValue RandomColor() { return Below(0x1000000); }

  Screen screen_;
  Screen other_screen_;
  std::mt19937 random_;
  std::array<Page, 2> pages_;
  BufferChain chain_{kFineTiles};
  int front_ = 0;
  ColorValue fill_ = 0;
};

// Whatever happens between frames, the screen shows the page in front, pixel for pixel; and
// most frames copy only a part of it.
TEST(PageDamage, ScreenAlwaysShowsTheFrontPage) {
  for (const PixelLayout layout : {kBlueLowest, kBlueLowestOpaque, kRedLowest, kRedHighest}) {
    // Sizes that are not whole tiles, and pages wider than one word of tiles.
    for (const auto& [width, height] : {std::pair{101, 67}, std::pair{700, 45}}) {
      Flipbook book(width, height, layout, static_cast<unsigned>(width + layout.red_shift));
      int partial = 0;
      constexpr int kFrames = 400;
      for (int frame = 0; frame < kFrames; ++frame) {
        const std::span<const PixelRect> rects = book.Step();
        if (!IsWhole(rects, book.front())) ++partial;
        ASSERT_EQ(book.screen().Mismatch(book.front()), "")
            << "frame " << frame << " of " << width << "x" << height << ", red at "
            << layout.red_shift;
      }
      EXPECT_GT(partial, kFrames * 3 / 4);
    }
  }
}

// The window system is sent the rects alone: every pixel a frame changes must lie in one of
// them, and none may reach past the page, whose right and bottom edges cut the last tiles.
TEST(PageDamage, RectsHoldEveryChangedPixelAndStayOnThePage) {
  for (const auto& [width, height] : {std::pair{101, 67}, std::pair{700, 45}}) {
    Flipbook book(width, height, kBlueLowest, static_cast<unsigned>(height));
    for (int frame = 0; frame < 400; ++frame) {
      const std::vector<std::uint32_t> before = book.screen().Snapshot();
      const std::span<const PixelRect> rects = book.Step();
      for (const PixelRect& rect : rects) {
        ASSERT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
                    rect.x + rect.width <= width && rect.y + rect.height <= height)
            << "frame " << frame << ": rect " << rect.x << "," << rect.y << " " << rect.width << "x"
            << rect.height << " on a page of " << width << "x" << height;
      }
      ASSERT_EQ(book.screen().ChangedOutside(before, rects), "") << "frame " << frame;
    }
  }
}

struct TwoPages {
  TwoPages(int width, int height) : screen(width, height, kBlueLowest) {
    for (Page& page : pages) {
      page.Resize(width, height);
      page.Fill(0);
    }
    chain.Resize(width, height, 1);
    Show(0);
  }

  std::span<const PixelRect> Show(int k) { return *chain.Bring(0, pages[k], screen.Target()); }

  std::array<Page, 2> pages;
  Screen screen;
  BufferChain chain{kFineTiles};
};

// Boxes become whole 8 x 8 tiles, those of the page shown before as well as those of the new
// one; the tiles of a row make one rect, and rows of the same columns one taller rect.
TEST(PageDamage, CopiesTheTilesOfBothPagesBoxes) {
  TwoPages two(64, 48);
  two.pages[0].DrawEllipse(10, 10, 20, 20, 0xFFFFFF);
  std::span<const PixelRect> rects = two.Show(0);
  ASSERT_EQ(rects.size(), 1U);
  EXPECT_EQ(Area(rects), 16 * 16);
  EXPECT_EQ(rects[0].x, 8);
  EXPECT_EQ(rects[0].y, 8);

  two.pages[1].DrawEllipse(33, 42, 31, 30, 0xFFFFFF);  // inverted: columns 31..32, rows 30..41
  rects = two.Show(1);
  ASSERT_EQ(rects.size(), 2U);
  EXPECT_EQ(rects[0].x, 8);
  EXPECT_EQ(rects[0].width, 16);
  EXPECT_EQ(rects[0].height, 16);
  EXPECT_EQ(rects[1].x, 24);
  EXPECT_EQ(rects[1].y, 24);
  EXPECT_EQ(rects[1].width, 16);
  EXPECT_EQ(rects[1].height, 24);
  EXPECT_EQ(two.screen.Mismatch(two.pages[1]), "");

  // Clearing a page drawn on before copies the tiles of the circles still shown, then nothing.
  two.pages[0].Fill(0);
  rects = two.Show(0);
  ASSERT_EQ(rects.size(), 1U);
  EXPECT_EQ(rects[0].x, 24);
  EXPECT_EQ(Area(rects), 16 * 24);
  two.pages[1].Fill(0);
  EXPECT_TRUE(two.Show(1).empty());
  EXPECT_EQ(two.screen.Mismatch(two.pages[1]), "");
}

// Each of these leaves the difference between the screen and the page unknown, so the page is
// copied whole, which also puts right a screen whose pixels were spoilt meanwhile.
TEST(PageDamage, CopiesWholeWhenTheDifferenceIsUnknown) {
  TwoPages two(64, 48);
  two.pages[1].Fill(0x0000FF);
  EXPECT_TRUE(IsWhole(two.Show(1), two.pages[1])) << "another fill colour";

  two.pages[0].Fill(0x0000FF);
  for (int n = 0; n < 1100; ++n) two.pages[0].DrawEllipse(n % 60, 0, n % 60 + 3, 3, 0xFF00);
  EXPECT_TRUE(IsWhole(two.Show(0), two.pages[0])) << "more circles than a page remembers";

  two.pages[1].Fill(0x0000FF);
  EXPECT_TRUE(IsWhole(two.Show(1), two.pages[1])) << "the page shown before forgot some";
  EXPECT_FALSE(IsWhole(two.Show(1), two.pages[1]));

  two.chain.Forget(0);
  EXPECT_TRUE(IsWhole(two.Show(1), two.pages[1])) << "forgotten";

  two.chain.Resize(64, 48, 1);
  EXPECT_TRUE(IsWhole(two.Show(0), two.pages[0])) << "resized";
  EXPECT_EQ(two.screen.Mismatch(two.pages[0]), "");
}

// Scattered circles make more rects than the window system should be sent one by one.
TEST(PageDamage, CopiesWholeRatherThanTooManyRects) {
  TwoPages two(640, 480);
  for (int y = 0; y < 480; y += 16) {
    for (int x = 0; x < 640; x += 16) {
      two.pages[(x / 16 + y / 16) % 2].DrawEllipse(x, y, x + 4, y + 4, 0xFFFFFF);
    }
  }
  two.Show(1);
  EXPECT_TRUE(IsWhole(two.Show(0), two.pages[0]));
  EXPECT_EQ(two.screen.Mismatch(two.pages[0]), "");
}

// Only the pixels inside both the page and the target are copied; the rest is left alone.
TEST(CopyRects, ClipsToThePageAndTheTarget) {
  Page page;
  page.Resize(20, 10);
  page.Fill(0x123456);
  Screen screen(16, 12, kRedLowest);
  const PixelRect rects[] = {{-5, -5, 10, 10}, {12, 6, 100, 100}, {3, 3, 0, 5}, {3, 3, 5, -2}};
  CopyRects(page, rects, screen.Target());
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool copied = (x < 5 && y < 5) || (x >= 12 && y >= 6 && y < 10);
      EXPECT_EQ(screen.At(x, y), copied ? 0x123456U : kGarbage) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace flakemorph
