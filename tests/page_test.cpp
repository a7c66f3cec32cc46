#include "display/page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace flakemorph {
namespace {

constexpr ColorValue kPen = 0x00C08040;
constexpr ColorValue kPaper = 0x00102030;

// The part [left, left + width) x [top, top + height) of a page, one text line per row:
// '#' for the pen, '.' for the paper and '?' for anything else.
std::string Picture(const Page& page, int left, int top, int width, int height) {
  std::string picture;
  for (int y = top; y < top + height; ++y) {
    if (y > top) picture += '\n';
    for (int x = left; x < left + width; ++x) {
      const ColorValue pixel = page.Pixel(x, y);
      picture += pixel == kPen ? '#' : pixel == kPaper ? '.' : '?';
    }
  }
  return picture;
}

std::string Picture(const Page& page) {
  return Picture(page, 0, 0, page.Width(), page.Height());
}

Page PaperPage(int width, int height) {
  Page page;
  page.Resize(width, height);
  page.Fill(kPaper);
  return page;
}

// A w x h ellipse on a page that fits its box exactly.
std::string EllipseAlone(int w, int h) {
  Page page = PaperPage(w, h);
  page.DrawEllipse(0, 0, w, h, kPen);
  return Picture(page);
}

// The outline by its definition, pixel by pixel: a pixel is in the filled ellipse when its
// centre lies in the ellipse inscribed in the box, or on the box's middle row or column; it is
// on the outline when one of its four neighbours is not.
class ReferenceEllipse {
 public:
  ReferenceEllipse(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
      : left_(left), top_(top), w_(right - left), h_(bottom - top) {}

  bool OnOutline(std::int64_t x, std::int64_t y) const {
    return Inside(x, y) &&
           (!Inside(x - 1, y) || !Inside(x + 1, y) || !Inside(x, y - 1) || !Inside(x, y + 1));
  }

 private:
  __extension__ typedef unsigned __int128 Wide;

  bool Inside(std::int64_t x, std::int64_t y) const {
    if (x < left_ || y < top_ || x >= left_ + w_ || y >= top_ + h_) return false;
    const std::uint64_t u = HalfPixelsFromMiddle(x - left_, w_);
    const std::uint64_t v = HalfPixelsFromMiddle(y - top_, h_);
    if (u <= 1 || v <= 1) return true;
    const auto w = static_cast<std::uint64_t>(w_);
    const auto h = static_cast<std::uint64_t>(h_);
    return Wide{u * u} * (h * h) <= Wide{w * w} * (h * h - v * v);
  }

  static std::uint64_t HalfPixelsFromMiddle(std::int64_t offset, std::int64_t side) {
    const std::int64_t doubled = 2 * offset + 1 - side;
    return static_cast<std::uint64_t>(doubled < 0 ? -doubled : doubled);
  }

  std::int64_t left_;
  std::int64_t top_;
  std::int64_t w_;
  std::int64_t h_;
};

std::string ReferencePicture(const ReferenceEllipse& ellipse, int width, int height) {
  std::string picture;
  for (int y = 0; y < height; ++y) {
    if (y > 0) picture += '\n';
    for (int x = 0; x < width; ++x) picture += ellipse.OnOutline(x, y) ? '#' : '.';
  }
  return picture;
}

using Pixels = std::vector<std::pair<int, int>>;

Pixels PenPixels(const Page& page) {
  Pixels pixels;
  for (int y = 0; y < page.Height(); ++y) {
    for (int x = 0; x < page.Width(); ++x) {
      if (page.Pixel(x, y) == kPen) pixels.emplace_back(x, y);
    }
  }
  return pixels;
}

// Marks the pixels reachable from `start` over pen pixels (or over the others), stepping to
// the 8 neighbours or only to the 4 beside.
std::vector<char> Reach(const Page& page, std::pair<int, int> start, bool over_pen, bool diagonal) {
  std::vector<char> seen(static_cast<std::size_t>(page.Width() * page.Height()), 0);
  std::vector<std::pair<int, int>> stack{start};
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    if (x < 0 || y < 0 || x >= page.Width() || y >= page.Height()) continue;
    char& mark = seen[static_cast<std::size_t>(y * page.Width() + x)];
    if (mark != 0 || (page.Pixel(x, y) == kPen) != over_pen) continue;
    mark = 1;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if ((dx != 0 || dy != 0) && (diagonal || dx == 0 || dy == 0)) {
          stack.emplace_back(x + dx, y + dy);
        }
      }
    }
  }
  return seen;
}

TEST(PageEllipse, SmallBoxesGiveTheseOutlines) {
  EXPECT_EQ(EllipseAlone(1, 1), "#");
  EXPECT_EQ(EllipseAlone(2, 2), "##\n##");
  EXPECT_EQ(EllipseAlone(3, 3),
            "###\n"
            "#.#\n"
            "###");
  EXPECT_EQ(EllipseAlone(6, 6),
            ".####.\n"
            "#....#\n"
            "#....#\n"
            "#....#\n"
            "#....#\n"
            ".####.");
  EXPECT_EQ(EllipseAlone(7, 5),
            ".#####.\n"
            "#.....#\n"
            "#.....#\n"
            "#.....#\n"
            ".#####.");
  EXPECT_EQ(EllipseAlone(8, 5),
            "..####..\n"
            "##....##\n"
            "#......#\n"
            "##....##\n"
            "..####..");
}

TEST(PageEllipse, ThinBoxesStillReachAllFourSides) {
  EXPECT_EQ(EllipseAlone(1, 4), "#\n#\n#\n#");
  EXPECT_EQ(EllipseAlone(4, 1), "####");
  EXPECT_EQ(EllipseAlone(7, 2), "#######\n#######");
  EXPECT_EQ(EllipseAlone(9, 3),
            ".#######.\n"
            "#.......#\n"
            ".#######.");
  EXPECT_EQ(EllipseAlone(3, 7),
            ".#.\n"
            "#.#\n"
            "#.#\n"
            "#.#\n"
            "#.#\n"
            "#.#\n"
            ".#.");
}

// The other three quarters follow by symmetry, which the next test checks.
TEST(PageEllipse, ACircleOfSixtyHasThisQuarter) {
  Page page = PaperPage(60, 60);
  page.DrawEllipse(0, 0, 60, 60, kPen);
  EXPECT_EQ(Picture(page, 0, 0, 30, 30),
            ".........................#####\n"
            ".....................####.....\n"
            "..................###.........\n"
            "................##............\n"
            "..............##..............\n"
            ".............#................\n"
            "...........##.................\n"
            "..........#...................\n"
            ".........#....................\n"
            "........#.....................\n"
            ".......#......................\n"
            "......#.......................\n"
            "......#.......................\n"
            ".....#........................\n"
            "....#.........................\n"
            "....#.........................\n"
            "...#..........................\n"
            "...#..........................\n"
            "..#...........................\n"
            "..#...........................\n"
            "..#...........................\n"
            ".#............................\n"
            ".#............................\n"
            ".#............................\n"
            ".#............................\n"
            "#.............................\n"
            "#.............................\n"
            "#.............................\n"
            "#.............................\n"
            "#.............................");
}

// Every box from 1 x 1 to 61 x 61, drawn with a margin of 2 around it.
TEST(PageEllipse, EveryOutlineUpTo61IsClosedSymmetricAndInItsBox) {
  for (int w = 1; w <= 61; ++w) {
    for (int h = 1; h <= 61; ++h) {
      SCOPED_TRACE(testing::Message() << w << " x " << h);
      Page page = PaperPage(w + 4, h + 4);
      page.DrawEllipse(2, 2, 2 + w, 2 + h, kPen);
      ASSERT_EQ(Picture(page),
                ReferencePicture(ReferenceEllipse(2, 2, 2 + w, 2 + h), w + 4, h + 4));
      const Pixels pen = PenPixels(page);
      int left = w + 4, right = -1, top = h + 4, bottom = -1;
      for (const auto& [x, y] : pen) {
        ASSERT_EQ(page.Pixel(w + 3 - x, y), kPen) << "mirror of " << x << "," << y;
        ASSERT_EQ(page.Pixel(x, h + 3 - y), kPen) << "mirror of " << x << "," << y;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
      ASSERT_EQ(std::vector<int>({left, top, right, bottom}),
                std::vector<int>({2, 2, w + 1, h + 1}));
      const std::vector<char> piece = Reach(page, pen.front(), true, true);
      ASSERT_EQ(std::count(piece.begin(), piece.end(), 1), static_cast<long>(pen.size()));
      if (w >= 3 && h >= 3) {
        // A 4-connected walk from outside the box never slips through to the middle.
        const std::vector<char> outside = Reach(page, {0, 0}, false, false);
        ASSERT_EQ(page.Pixel(2 + w / 2, 2 + h / 2), kPaper);
        ASSERT_EQ(outside[static_cast<std::size_t>((2 + h / 2) * (w + 4) + 2 + w / 2)], 0);
      }
    }
  }
}

TEST(PageEllipse, ZeroBoxesDrawNothingAndInvertedOnesAreSwapped) {
  const std::string blank = Picture(PaperPage(30, 20));
  for (const auto& [right, bottom] : {std::pair{5, 12}, std::pair{17, 4}, std::pair{5, 4}}) {
    Page page = PaperPage(30, 20);
    page.DrawEllipse(5, 4, right, bottom, kPen);
    EXPECT_EQ(Picture(page), blank);
  }
  Page upright = PaperPage(30, 20);
  upright.DrawEllipse(5, 4, 17, 12, kPen);
  for (const auto& box :
       {std::vector{17, 12, 5, 4}, std::vector{17, 4, 5, 12}, std::vector{5, 12, 17, 4}}) {
    Page page = PaperPage(30, 20);
    page.DrawEllipse(box[0], box[1], box[2], box[3], kPen);
    EXPECT_EQ(Picture(page), Picture(upright));
  }
}

// A page of 40 x 30 must show exactly its window onto the same ellipse on a page big enough
// to hold it whole.
TEST(PageEllipse, ClippingAtEveryEdgeCropsTheWholeOutline) {
  constexpr int kMargin = 40;
  for (const auto& [w, h] :
       {std::pair{13, 9}, std::pair{21, 21}, std::pair{6, 33}, std::pair{1, 1}, std::pair{2, 5}}) {
    for (int left = -w - 1; left <= 41; left += 2) {
      for (int top = -h - 1; top <= 31; top += 3) {
        SCOPED_TRACE(testing::Message() << w << " x " << h << " at " << left << "," << top);
        Page big = PaperPage(40 + 2 * kMargin, 30 + 2 * kMargin);
        big.DrawEllipse(left + kMargin, top + kMargin, left + kMargin + w, top + kMargin + h, kPen);
        Page page = PaperPage(40, 30);
        page.DrawEllipse(left, top, left + w, top + h, kPen);
        ASSERT_EQ(Picture(page), Picture(big, kMargin, kMargin, 40, 30));
      }
    }
  }
}

TEST(PageEllipse, HugeAndFarBoxesAreClippedExactly) {
  constexpr std::int32_t kMin = INT32_MIN;
  constexpr std::int32_t kMax = INT32_MAX;
  // The last five need every bit of their 128-bit products. In each of the last four, a row's
  // span starts from a floating-point estimate that is a pixel off on each side: too short in
  // the first two, too long in the others.
  const std::vector<std::vector<std::int32_t>> boxes = {
      {kMin, kMin, kMax, kMax},
      {kMax, kMax, kMin, kMin},
      {0, 0, kMax, kMax},
      {kMin, -1000, 64, 1048},
      {-20, kMin, 40, 30},
      {kMin, 0, kMax, 48},
      {-1000000, -7, 1000064, 40},
      {kMin, kMin, kMin + 5, 5},
      {kMax - 3, 0, kMax, kMax},
      {-3, -1073741824, 70, 1073741870},
      {kMin, kMin, 1, 1},
      {kMin, 3, kMax, 4},
      {5, -1073741800, kMax, 1073741848},
      {-1171301, -1834368242, 2109160954, 2015730009},
      {-108497046, -261266191, 1747919572, 94400454},
      {-120163469, -46262093, 974382932, 200627454},
      {-909890629, -24180015, 1466312922, 1715206203},
  };
  for (const auto& box : boxes) {
    SCOPED_TRACE(testing::Message() << box[0] << " " << box[1] << " " << box[2] << " " << box[3]);
    Page page = PaperPage(64, 48);
    page.DrawEllipse(box[0], box[1], box[2], box[3], kPen);
    const ReferenceEllipse ellipse(std::min(box[0], box[2]), std::min(box[1], box[3]),
                                   std::max(box[0], box[2]), std::max(box[1], box[3]));
    EXPECT_EQ(Picture(page), ReferencePicture(ellipse, 64, 48));
  }
}

TEST(PageEllipse, HugeBoxesLookAsExpectedNearTheirEdges) {
  Page page = PaperPage(64, 48);
  page.DrawEllipse(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, kPen);
  EXPECT_TRUE(PenPixels(page).empty()) << "the page lies deep inside the ellipse";
  // Much wider than the page: its top and bottom cross the page as straight lines.
  page.DrawEllipse(INT32_MIN, 0, INT32_MAX, 48, kPen);
  const std::string line(64, '#');
  const std::string empty(64, '.');
  EXPECT_EQ(Picture(page, 0, 0, 64, 3), line + "\n" + empty + "\n" + empty);
  EXPECT_EQ(Picture(page, 0, 45, 64, 3), empty + "\n" + empty + "\n" + line);
}

TEST(PageFill, FillsEveryPixelAndResizeTakesTheNewSize) {
  Page page;
  for (const ColorValue color : {0x00FFFFFF, 0, 0x00010203}) {
    page.Resize(37, 23);
    page.Fill(color);
    ASSERT_EQ(page.Width(), 37);
    ASSERT_EQ(page.Height(), 23);
    for (int i = 0; i < 37 * 23; ++i)
      ASSERT_EQ(page.Pixels()[i], static_cast<std::uint32_t>(color));
  }
  page.Resize(-5, 10);
  EXPECT_EQ(page.Width(), 0);
  EXPECT_EQ(page.Height(), 10);
  page.Fill(kPaper);
  page.DrawEllipse(-3, -3, 8, 8, kPen);  // nothing to draw on, and no harm done
  EXPECT_EQ(page.Pixel(0, 0), 0);
}

// A large page is cleared by drawing its circles again; the page must end up as a full fill
// would leave it, whether the circles overlap, leave the page, or are too many to remember.
TEST(PageFill, ClearingAfterCirclesLeavesNothingBehind) {
  for (const int circles : {1, 360, 1500}) {
    for (const auto& [width, height] : {std::pair{64, 48}, std::pair{1280, 720}}) {
      Page page;
      page.Resize(width, height);
      page.Fill(kPaper);
      std::uint32_t seed = 12345;
      const auto next = [&seed](int range) {
        seed = seed * 1664525U + 1013904223U;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
      };
      for (int n = 0; n < circles; ++n) {
        const int size = 1 + next(30);
        const int x = next(width + 80) - 40;
        const int y = next(height + 80) - 40;
        page.DrawEllipse(x - size, y - size, x + size, y + size, kPen);
      }
      page.Fill(kPaper);
      const std::uint32_t* pixels = page.Pixels();
      for (int i = 0; i < width * height; ++i) {
        ASSERT_EQ(pixels[i], static_cast<std::uint32_t>(kPaper))
            << circles << " circles on " << width << "x" << height << " at " << i;
      }
      page.Fill(0x00FF0000);  // another colour can only be a full fill
      ASSERT_EQ(page.Pixel(width / 2, height / 2), 0x00FF0000);
    }
  }
}

// What the page says it holds is what a window relies on to copy only the changes.
TEST(PageRecord, ListsTheBoxesSinceTheLastFillWhileItKeepsThemAll) {
  Page page;
  page.Resize(40, 30);
  EXPECT_FALSE(page.Drawn().exact) << "nothing is known before the first fill";
  page.Fill(kPaper);
  const std::uint64_t fills = page.Drawn().fills;
  EXPECT_TRUE(page.Drawn().exact);
  EXPECT_EQ(page.Drawn().fill_color, kPaper);
  EXPECT_TRUE(page.Drawn().boxes.empty());

  page.DrawEllipse(9, 8, 1, 2, kPen);
  page.DrawEllipse(50, 50, 60, 60, kPen);
  ASSERT_EQ(page.Drawn().boxes.size(), 2U);
  EXPECT_EQ(page.Drawn().boxes[0].left, 9) << "kept as given, inverted";
  EXPECT_EQ(page.Drawn().boxes[0].bottom, 2);
  EXPECT_EQ(page.Drawn().fills, fills) << "drawing is no fill";

  for (int n = 0; n < 1100; ++n) page.DrawEllipse(0, 0, 3, 3, kPen);
  EXPECT_FALSE(page.Drawn().exact) << "more than it remembers";
  page.Fill(kPen);
  EXPECT_TRUE(page.Drawn().exact);
  EXPECT_EQ(page.Drawn().fill_color, kPen);
  EXPECT_NE(page.Drawn().fills, fills);
  const std::uint64_t refilled = page.Drawn().fills;
  page.Resize(40, 30);
  EXPECT_FALSE(page.Drawn().exact);
  EXPECT_NE(page.Drawn().fills, refilled);
}

}  // namespace
}  // namespace flakemorph
