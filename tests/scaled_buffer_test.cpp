#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "display/buffer_chain.h"
#include "display/memory_display.h"
#include "figures/random_source.h"

namespace flakemorph {
namespace {

constexpr PixelLayout kBlueLowest{16, 8, 0, 0};
constexpr std::uint32_t kGarbage = 0xDEADBEEFU;

// Rows of 32-bit pixels with spare ones at each row's end, as window surfaces often have.
struct Buffer {
  Buffer(int width, int height)
      : width(width),
        height(height),
        stride(width + 5),
        pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), kGarbage) {}
  TargetBuffer Target() { return {pixels.data(), width, height, stride * 4, kBlueLowest}; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * stride + x)]; }

  int width;
  int height;
  int stride;
  std::vector<std::uint32_t> pixels;
};

// Empty when the screen shows every page pixel as a scale x scale block, and nothing right of or
// below the scaled page was touched; else where it first does not.
std::string Mismatch(const Buffer& screen, const Page& page, int scale) {
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const bool inside = x / scale < page.Width() && y / scale < page.Height();
      const std::uint32_t expected =
          inside ? InLayout(page.Pixel(x / scale, y / scale), kBlueLowest) : kGarbage;
      if (screen.At(x, y) != expected) {
        return "differs at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
      }
    }
  }
  return "";
}

// The animation runs at the smaller size, exactly as the trace tool runs it there; its changes
// reach the scaled screen frame after frame, through morphs and holds, so the screen never shows
// anything but that run's pages, enlarged.
TEST(ScaledBuffer, TheScreenShowsThePagesOfTheSmallerSizeEnlarged) {
  for (const int scale : {2, 3}) {
    // A screen whose size is no multiple of the scale: the spare pixels are left alone.
    const int page_width = 97;
    const int page_height = 61;
    MemoryDisplay pages(page_width, page_height);
    pages.DeferDrawing();
    TimeSeededGenerator random([] { return std::uint64_t{43'200'000'000'000}; });
    Animation animation(pages, random);
    animation.StartUp();
    Buffer screen(page_width * scale + scale - 1, page_height * scale + scale - 1);
    BufferChain chain;
    chain.Resize(page_width, page_height, scale);
    for (int frame = 0; frame < 200; ++frame) {
      animation.NextFrame();
      ASSERT_TRUE(chain.Bring(0, pages.FrontPage(), screen.Target()));
      ASSERT_EQ(Mismatch(screen, pages.FrontPage(), scale), "")
          << "frame " << frame << " at scale " << scale;
    }
  }
}

}  // namespace
}  // namespace flakemorph
