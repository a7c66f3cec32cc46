// The web page's own logic: its options from the address, its page pixels on the device's, and
// its pace whatever the display calls it back at.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/web/page_options.h"
#include "platform/web/page_pacer.h"

namespace flakemorph::web {
namespace {

TEST(PageQuery, ReadsEveryOption) {
  const ParsedQuery parsed =
      ParsePageQuery("?fps&rate=30&scale=2&wallpaper=1&clock=43200.25&frames=451");
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.options.show_fps);
  EXPECT_EQ(parsed.options.rate_hz, 30);
  EXPECT_EQ(parsed.options.scale, 2);
  EXPECT_TRUE(parsed.options.wallpaper);
  EXPECT_EQ(parsed.options.clock_nanoseconds, 43'200'250'000'000ULL);
  EXPECT_EQ(parsed.options.still_frames, 451);
}

// Nothing asked is the plain page; names of others, empty pairs and switched-off switches leave
// it so.
TEST(PageQuery, PlainPage) {
  for (const char* query : {"", "?", "fps=0&wallpaper=false", "?&utm_source=x&&lively=1"}) {
    const ParsedQuery parsed = ParsePageQuery(query);
    EXPECT_EQ(parsed.error, "") << query;
    EXPECT_EQ(parsed.options, PageOptions{}) << query;
  }
}

TEST(PageQuery, NamesWhatIsWrong) {
  EXPECT_EQ(ParsePageQuery("?rate=0").error,
            "bad rate \"0\" for ?rate (frames per second, 1 to 240)");
  for (const char* query :
       {"?rate=241", "?rate=", "?rate", "?rate=6O", "?scale=5", "?scale=1.5", "?clock=86400",
        "?clock=-1", "?frames=36001", "?frames=-1", "?fps=yes", "?fps=1&rate=x"}) {
    EXPECT_NE(ParsePageQuery(query).error, "") << query;
  }
}

TEST(PagePixels, OneBelowHalfAgainThenTheNearestWholeBlock) {
  const double ratios[] = {0, NAN, 0.5, 1, 1.25, 1.49, 1.5, 1.75, 2, 2.49, 2.5, 3, 4, 6};
  const int scales[] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 4, 4};
  for (std::size_t i = 0; i < std::size(ratios); ++i) {
    EXPECT_EQ(PagePixelScale(ratios[i]), scales[i]) << ratios[i];
  }
}

// Frames drawn in `seconds` by a display that calls back `hz` times a second, each call up to
// `jitter_ms` early or late in turn.
int FramesAt(double hz, int rate_hz, double seconds, double jitter_ms = 0) {
  PagePacer pacer(rate_hz);
  int frames = 0;
  const int calls = static_cast<int>(hz * seconds);
  for (int call = 0; call < calls; ++call) {
    const double jitter = call % 2 == 0 ? -jitter_ms : jitter_ms;
    if (pacer.FrameDue(call * 1000.0 / hz + jitter)) ++frames;
  }
  return frames;
}

TEST(PagePacer, SixtyFramesASecondWhateverTheDisplay) {
  for (const double hz : {60.0, 59.94, 75.0, 90.0, 120.0, 144.0, 165.0, 240.0}) {
    EXPECT_NEAR(FramesAt(hz, 0, 10), 600, 1) << hz << " Hz";
  }
  EXPECT_NEAR(FramesAt(60, 0, 10, 2), 600, 1) << "jittery 60 Hz";
  EXPECT_NEAR(FramesAt(144, 30, 10), 300, 1) << "?rate=30";
  // A display slower than the rate: one frame at every call, never two.
  EXPECT_EQ(FramesAt(50, 0, 10), 500);
  EXPECT_EQ(FramesAt(30, 0, 10), 300);
}

// After a pause (a hidden page, a timer held back) the next call draws one frame and the
// rhythm starts again from it: no burst of frames catches up.
TEST(PagePacer, NoBurstAfterAPause) {
  PagePacer pacer;
  EXPECT_TRUE(pacer.FrameDue(0));
  EXPECT_TRUE(pacer.FrameDue(16.7));
  EXPECT_TRUE(pacer.FrameDue(5000));
  EXPECT_FALSE(pacer.FrameDue(5001));
  EXPECT_DOUBLE_EQ(pacer.MillisecondsUntilDue(5001), 5000 + 1000.0 / 60 * 0.75 - 5001);
  EXPECT_TRUE(pacer.FrameDue(5000 + 1000.0 / 60));
}

}  // namespace
}  // namespace flakemorph::web
