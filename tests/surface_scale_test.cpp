#include "platform/surface_scale.h"

#include <gtest/gtest.h>

namespace flakemorph {
namespace {

// A layer surface over a 1920x1080 output whose compositor has a viewporter and rounds the
// scale up to a whole one for its clients, as sway 1.7 does.
SurfaceFacts OverOutput(std::int32_t logical_width, std::int32_t logical_height,
                        std::int32_t whole_scale) {
  SurfaceFacts facts;
  facts.logical_width = logical_width;
  facts.logical_height = logical_height;
  facts.output_scale = whole_scale;
  facts.output_width = 1920;
  facts.output_height = 1080;
  facts.viewporter = true;
  return facts;
}

TEST(SurfaceScale, EveryScaleGetsTheOutputsPhysicalPixelsThroughAViewport) {
  const struct {
    std::int32_t width, height, whole, scale_120ths, pixel;
  } cases[] = {
      {1920, 1080, 1, 120, 1},
      {1536, 864, 2, 150, 1},  // 1.25: still one page pixel per screen pixel
      {1280, 720, 2, 180, 2},  // 1.5: from here whole blocks
      {960, 540, 2, 240, 2},
      {640, 360, 3, 360, 3},
  };
  for (const auto& c : cases) {
    const SurfaceBuffers buffers = BuffersFor(OverOutput(c.width, c.height, c.whole));
    EXPECT_EQ(buffers.width, 1920) << c.width;
    EXPECT_EQ(buffers.height, 1080) << c.width;
    EXPECT_TRUE(buffers.viewport);
    EXPECT_EQ(buffers.buffer_scale, 1);
    EXPECT_EQ(buffers.scale_120ths, c.scale_120ths) << c.width;
    EXPECT_EQ(buffers.pixel, c.pixel) << c.width;
    EXPECT_EQ(buffers.page_width, 1920 / c.pixel);
    EXPECT_EQ(buffers.page_height, 1080 / c.pixel);
  }
}

TEST(SurfaceScale, ForcedScaleOneIsNoFollowingOfTheOutput) {
  SurfaceFacts facts = OverOutput(960, 540, 2);
  facts.forced_pixel = 1;
  EXPECT_EQ(BuffersFor(facts).pixel, 1);
  EXPECT_EQ(BuffersFor(facts).page_width, 1920);
  facts.forced_pixel = 3;
  EXPECT_EQ(BuffersFor(facts).pixel, 3);
  EXPECT_EQ(BuffersFor(facts).page_width, 640);
}

TEST(SurfaceScale, AWindowTakesTheFractionalScaleOrElseTheWholeOne) {
  SurfaceFacts window;
  window.logical_width = 640;
  window.logical_height = 481;
  window.output_scale = 2;
  window.viewporter = true;
  window.preferred_120ths = 150;
  SurfaceBuffers buffers = BuffersFor(window);
  EXPECT_EQ(buffers.width, 800);
  EXPECT_EQ(buffers.height, 601);  // 601.25, to the nearest
  EXPECT_TRUE(buffers.viewport);
  EXPECT_EQ(buffers.pixel, 1);
  // No fractional scale told: the whole scale, as the core protocol has it.
  window.preferred_120ths = 0;
  buffers = BuffersFor(window);
  EXPECT_EQ(buffers.width, 1280);
  EXPECT_EQ(buffers.buffer_scale, 2);
  EXPECT_FALSE(buffers.viewport);
  EXPECT_EQ(buffers.pixel, 2);
  // Nor without a viewporter, even over an output.
  SurfaceFacts bare = OverOutput(1536, 864, 2);
  bare.viewporter = false;
  buffers = BuffersFor(bare);
  EXPECT_EQ(buffers.width, 3072);
  EXPECT_EQ(buffers.buffer_scale, 2);
  EXPECT_EQ(buffers.pixel, 2);
}

}  // namespace
}  // namespace flakemorph
