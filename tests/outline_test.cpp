#include "display/outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace flakemorph {
namespace {

constexpr std::uint32_t kPaper = 0x11223344U;
constexpr std::uint32_t kPen = 0x00C08040U;
constexpr std::int32_t kLargest = OutlineStamps::kLargestSide;

// Rows with spare pixels at each row's end, which no outline may touch.
class Canvas {
 public:
  Canvas(std::int32_t width, std::int32_t height)
      : width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>((width + kSpare) * height), kPaper) {}

  PixelRows Rows() { return {pixels_.data(), width_, height_, width_ + kSpare}; }
  // The same memory as rows of scale x scale blocks, drawn on from row `top` on.
  PixelRows Blocks(std::int32_t scale, std::int32_t top) {
    return {pixels_.data(), width_ / scale, height_ / scale, width_ + kSpare, scale, top};
  }
  void Clear() { std::fill(pixels_.begin(), pixels_.end(), kPaper); }
  void ClearRowsAbove(std::int32_t row) {
    std::fill(pixels_.begin(), pixels_.begin() + row * (width_ + kSpare), kPaper);
  }

  // Empty when both hold the same pixels, spare ones included, else where they first differ.
  std::string Difference(const Canvas& other) const {
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
      if (pixels_[i] != other.pixels_[i]) {
        const auto stride = static_cast<std::size_t>(width_ + kSpare);
        return "differs at (" + std::to_string(i % stride) + ", " + std::to_string(i / stride) +
               ")";
      }
    }
    return "";
  }

 private:
  static constexpr std::int32_t kSpare = 3;
  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::uint32_t> pixels_;
};

// Stamps and the general raster draw the same square, wherever it lies on the rows: on them
// whole, across any edge or corner, or just off them.
TEST(OutlineStamps, EverySideAtEveryPlaceAcrossTheEdgesMatchesTheGeneralRaster) {
  OutlineStamps stamps;
  constexpr std::int32_t kWidth = 13;
  constexpr std::int32_t kHeight = 9;
  Canvas stamped(kWidth, kHeight);
  Canvas general(kWidth, kHeight);
  for (std::int32_t side = 1; side <= kLargest; ++side) {
    for (std::int32_t top = -side - 1; top <= kHeight; ++top) {
      for (std::int32_t left = -side - 1; left <= kWidth; ++left) {
        const OutlineBox box{left, top, left + side, top + side};
        stamped.Clear();
        general.Clear();
        ASSERT_TRUE(stamps.Draw(stamped.Rows(), box, kPen));
        DrawGeneralOutline(general.Rows(), box, kPen);
        ASSERT_EQ(stamped.Difference(general), "")
            << "side " << side << " at " << left << ", " << top;
      }
    }
  }
}

TEST(OutlineStamps, EverySideWhollyOnTheRowsMatchesTheGeneralRaster) {
  OutlineStamps stamps;
  for (std::int32_t side = 1; side <= kLargest; ++side) {
    Canvas stamped(side + 5, side + 4);
    Canvas general(side + 5, side + 4);
    for (const auto& [left, top] : {std::pair{0, 0}, std::pair{2, 1}, std::pair{5, 4}}) {
      const OutlineBox box{left, top, left + side, top + side};
      ASSERT_TRUE(stamps.Draw(stamped.Rows(), box, kPen));
      DrawGeneralOutline(general.Rows(), box, kPen);
    }
    ASSERT_EQ(stamped.Difference(general), "") << "side " << side;
  }
}

// Stamps are built on first use: drawing the sides in another order gives the same outlines.
TEST(OutlineStamps, SidesBuiltInAnyOrderGiveTheSameOutlines) {
  OutlineStamps upward;
  OutlineStamps downward;
  for (std::int32_t side = kLargest; side >= 1; --side) {
    Canvas first(kLargest, kLargest);
    Canvas second(kLargest, kLargest);
    ASSERT_TRUE(downward.Draw(first.Rows(), {0, 0, side, side}, kPen));
    for (std::int32_t smaller = 1; smaller <= side; ++smaller) {
      second.Clear();
      ASSERT_TRUE(upward.Draw(second.Rows(), {0, 0, smaller, smaller}, kPen));
    }
    ASSERT_EQ(first.Difference(second), "") << "side " << side;
  }
}

// What is not a square they have, they leave to the general raster, drawing nothing.
TEST(OutlineStamps, DeclineBoxesTheyHaveNoStampFor) {
  OutlineStamps stamps;
  Canvas canvas(300, 300);
  const Canvas blank(300, 300);
  for (const OutlineBox& box : {OutlineBox{0, 0, 10, 11}, OutlineBox{0, 0, 1, 2},
                                OutlineBox{0, 0, kLargest + 1, kLargest + 1},
                                OutlineBox{5, 5, 5, 5}, OutlineBox{5, 5, 5, 9}}) {
    EXPECT_FALSE(stamps.Draw(canvas.Rows(), box, kPen)) << box.left << " " << box.right;
  }
  EXPECT_EQ(canvas.Difference(blank), "");
}

TEST(OutlineStamps, InvertedSquaresAreDrawnTheRightWayRound) {
  OutlineStamps stamps;
  for (const OutlineBox& box :
       {OutlineBox{27, 3, 3, 27}, OutlineBox{3, 27, 27, 3}, OutlineBox{27, 27, 3, 3}}) {
    Canvas inverted(30, 30);
    Canvas upright(30, 30);
    ASSERT_TRUE(stamps.Draw(inverted.Rows(), box, kPen));
    DrawGeneralOutline(upright.Rows(), {3, 3, 27, 27}, kPen);
    EXPECT_EQ(inverted.Difference(upright), "");
  }
}

// Squares at the far ends of the coordinates lie off the rows and must not overflow on the way.
TEST(OutlineStamps, FarSquaresDrawNothing) {
  OutlineStamps stamps;
  Canvas canvas(20, 20);
  const Canvas blank(20, 20);
  constexpr std::int32_t kMin = INT32_MIN;
  constexpr std::int32_t kMax = INT32_MAX;
  for (const OutlineBox& box :
       {OutlineBox{kMin, kMin, kMin + 7, kMin + 7}, OutlineBox{kMax - 7, kMax - 7, kMax, kMax},
        OutlineBox{kMax - 7, 0, kMax, 7}, OutlineBox{0, kMin, 7, kMin + 7},
        OutlineBox{kMin, kMax - kLargest, kMin + kLargest, kMax}}) {
    EXPECT_TRUE(stamps.Draw(canvas.Rows(), box, kPen));
  }
  EXPECT_EQ(canvas.Difference(blank), "");
}

// A large buffer is brought up to date a band of rows at a time: drawn from a row on, every
// outline leaves the rows above as they were and draws on the others what it draws whole, at
// every scale, whether a stamp draws it or the general raster.
TEST(OutlineRaster, DrawnFromARowOnLeavesTheRowsAboveAndDrawsTheRestAsWhole) {
  OutlineRaster raster;
  for (const std::int32_t scale : {1, 2, 3}) {
    constexpr std::int32_t kWidth = 40;
    constexpr std::int32_t kHeight = 30;
    Canvas banded(kWidth * scale, kHeight * scale);
    Canvas whole(kWidth * scale, kHeight * scale);
    for (const auto& [width, height] : {std::pair{9, 9}, std::pair{24, 24}, std::pair{17, 6}}) {
      for (std::int32_t top = -height; top <= kHeight; top += 2) {
        for (const auto& [left, band] : {std::pair{-3, 1}, std::pair{5, 10}, std::pair{2, 17}}) {
          const OutlineBox box{left, top, left + width, top + height};
          banded.Clear();
          whole.Clear();
          raster.Draw(banded.Blocks(scale, band), box, kPen);
          raster.Draw(whole.Blocks(scale, 0), box, kPen);
          whole.ClearRowsAbove(band * scale);
          ASSERT_EQ(banded.Difference(whole), "") << "scale " << scale << ", " << width << "x"
                                                  << height << " at " << top << ", band " << band;
        }
      }
    }
  }
}

// The raster the pages use: a stamp where there is one, the general raster elsewhere.
TEST(OutlineRaster, DrawsEveryBoxAsTheGeneralRasterDoes) {
  OutlineRaster raster;
  Canvas fast(50, 40);
  Canvas general(50, 40);
  for (std::int32_t w = 0; w <= 30; ++w) {
    for (std::int32_t h = 0; h <= 30; h += 3) {
      for (const std::int32_t left : {-4, 17, 36}) {
        const OutlineBox box{left, 31 - h, left + w, 31};
        raster.Draw(fast.Rows(), box, kPen + static_cast<std::uint32_t>(w));
        DrawGeneralOutline(general.Rows(), box, kPen + static_cast<std::uint32_t>(w));
      }
    }
  }
  EXPECT_EQ(fast.Difference(general), "");
}

}  // namespace
}  // namespace flakemorph
