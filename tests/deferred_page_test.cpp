#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "display/buffer_chain.h"
#include "display/memory_display.h"
#include "display/page.h"
#include "display/page_damage.h"

namespace flakemorph {
namespace {

// Where two pages first differ, or empty when they are the same, pixel for pixel.
std::string Difference(const Page& a, const Page& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
  const std::size_t count =
      static_cast<std::size_t>(a.Width()) * static_cast<std::size_t>(a.Height());
  const std::uint32_t* left = a.Pixels();
  const std::uint32_t* right = b.Pixels();
  for (std::size_t i = 0; i < count; ++i) {
    if (left[i] != right[i]) return "differs at pixel " + std::to_string(i);
  }
  return "";
}

class RandomCircles {
 public:
  explicit RandomCircles(unsigned seed) : random_(seed) {}

  int Below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random_); }
  ColorValue Color() { return Below(4) == 0 ? 0 : Below(0x1000000); }

  // Mostly circles, some reaching off the page, a few other boxes.
  Page::Box Box(const Page& page) {
    const int x = Below(page.Width() + 60) - 30;
    const int y = Below(page.Height() + 60) - 30;
    const int w = Below(Below(8) == 0 ? 200 : 40);
    const int h = Below(6) == 0 ? Below(40) : w;
    return {x, y, x + w, y + h};
  }

 private:
  std::mt19937 random_;
};

// Whatever is done to it and whenever it is read, a page whose drawing is deferred reads as
// one that draws at once: fills of the same colour and of another, circles beyond what the
// record holds, a new size.
TEST(DeferredPage, ReadsAsAPageThatDrawsAtOnce) {
  RandomCircles random(7);
  Page deferred;
  Page eager;
  deferred.DeferDrawing();
  for (Page* page : {&deferred, &eager}) page->Resize(160, 120);
  for (int step = 0; step < 3000; ++step) {
    const int what = random.Below(100);
    if (what < 6) {
      const ColorValue fill = random.Below(3) == 0 ? random.Color() : 0;
      deferred.Fill(fill);
      eager.Fill(fill);
    } else if (what < 7) {
      const int count = 1000 + random.Below(100);
      for (int n = 0; n < count; ++n) {
        const Page::Box box = random.Box(eager);
        const ColorValue color = random.Color();
        deferred.DrawEllipse(box.left, box.top, box.right, box.bottom, color);
        eager.DrawEllipse(box.left, box.top, box.right, box.bottom, color);
      }
    } else if (what < 8) {
      const int width = 100 + random.Below(100);
      const int height = 80 + random.Below(60);
      for (Page* page : {&deferred, &eager}) {
        page->Resize(width, height);
        page->Fill(0);
      }
    } else {
      const Page::Box box = random.Box(eager);
      const ColorValue color = random.Color();
      deferred.DrawEllipse(box.left, box.top, box.right, box.bottom, color);
      eager.DrawEllipse(box.left, box.top, box.right, box.bottom, color);
    }
    if (random.Below(25) == 0) {
      ASSERT_EQ(Difference(deferred, eager), "") << "step " << step;
    }
    const int x = random.Below(eager.Width());
    const int y = random.Below(eager.Height());
    ASSERT_EQ(deferred.Pixel(x, y), eager.Pixel(x, y)) << "step " << step;
  }
  EXPECT_EQ(Difference(deferred, eager), "");
}

TEST(DeferredPage, KeepsTheSameRecord) {
  Page deferred;
  Page eager;
  deferred.DeferDrawing();
  for (Page* page : {&deferred, &eager}) {
    page->Resize(40, 30);
    page->Fill(0x102030);
    page->DrawEllipse(3, 4, 13, 14, 0xFF);
    page->DrawEllipse(20, 4, 10, 24, 0xFF00);
  }
  const Page::Record a = deferred.Drawn();
  const Page::Record b = eager.Drawn();
  EXPECT_EQ(a.exact, b.exact);
  EXPECT_EQ(a.fill_color, b.fill_color);
  ASSERT_EQ(a.boxes.size(), 2U);
  ASSERT_EQ(b.colors.size(), 2U);
  EXPECT_EQ(a.boxes[1].left, b.boxes[1].left);
  EXPECT_EQ(a.colors[1], b.colors[1]);
}

// As in the window: deferred pages brought to a screen by drawing their changes there. The
// screen must show what pages that draw at once hold, without the deferred pages ever being
// read; and reading them afterwards gives the same pixels.
TEST(DeferredPage, ShownByItsChangesTheScreenMatchesEagerPages) {
  constexpr int kWidth = 200;
  constexpr int kHeight = 150;
  RandomCircles random(11);
  std::array<Page, 2> deferred;
  std::array<Page, 2> eager;
  for (int k = 0; k < 2; ++k) {
    deferred[k].DeferDrawing();
    for (Page* page : {&deferred[k], &eager[k]}) {
      page->Resize(kWidth, kHeight);
      page->Fill(0);
    }
  }
  std::vector<std::uint32_t> screen(kWidth * kHeight, 0xDEADBEEFU);
  const PixelLayout layout{16, 8, 0, 0xFF000000U};
  const TargetBuffer target{screen.data(), kWidth, kHeight, kWidth * 4, layout};
  BufferChain chain{
      TileGrid{PageDamage::kTileWidth, PageDamage::kTileHeight, PageDamage::kMostRects}};
  chain.Resize(kWidth, kHeight, 1);
  int redrawn = 0;
  for (int frame = 0; frame < 300; ++frame) {
    const int k = frame % 2;
    const ColorValue fill = frame % 97 == 50 ? 0x000080 : 0;
    deferred[k].Fill(fill);
    eager[k].Fill(fill);
    const int count = frame % 89 == 40 ? 1100 : random.Below(60);
    for (int n = 0; n < count; ++n) {
      const Page::Box box = random.Box(eager[k]);
      const ColorValue color = random.Color();
      deferred[k].DrawEllipse(box.left, box.top, box.right, box.bottom, color);
      eager[k].DrawEllipse(box.left, box.top, box.right, box.bottom, color);
    }
    const std::span<const PixelRect> rects = *chain.Bring(0, deferred[k], target);
    if (rects.size() != 1 || rects[0].width != kWidth || rects[0].height != kHeight) ++redrawn;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      ASSERT_EQ(screen[static_cast<std::size_t>(i)],
                InLayout(static_cast<ColorValue>(eager[k].Pixels()[i]), layout))
          << "frame " << frame << " pixel " << i;
    }
  }
  EXPECT_GT(redrawn, 250);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(Difference(deferred[k], eager[k]), "");
}

TEST(DeferredPage, AMemoryDisplayDefersBothPages) {
  MemoryDisplay deferred(64, 48);
  MemoryDisplay eager(64, 48);
  deferred.DeferDrawing();
  for (MemoryDisplay* display : {&deferred, &eager}) {
    for (std::int16_t k = 0; k < 2; ++k) {
      display->Move(k, 0, 0, 64, 48);
      display->BackColor(k, 0);
      display->ForeColor(k, 0x00FF00 + k);
      display->Ellipse(display->hDC(k), 10 + k, 10, 30 + k, 30);
    }
  }
  for (std::int16_t k = 0; k < 2; ++k) EXPECT_EQ(Difference(deferred.page(k), eager.page(k)), "");
}

}  // namespace
}  // namespace flakemorph
