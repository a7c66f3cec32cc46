#include "platform/desktop_scale.h"

#include <gtest/gtest.h>

namespace flakemorph {
namespace {

TEST(DesktopScale, GdkScaleWhenItIsAWholeScale) {
  EXPECT_EQ(DesktopScale("2", nullptr), 2);
  EXPECT_EQ(DesktopScale(" 3 ", "Xft.dpi:\t96\n"), 3);
  EXPECT_EQ(DesktopScale("4", nullptr), 4);
  // Nothing a whole scale from 1 to 4: the X resources say instead.
  for (const char* junk : {"", "0", "5", "1.5", "2x", "-2", "99999999999"}) {
    EXPECT_EQ(DesktopScale(junk, "Xft.dpi:\t192\n"), 2) << junk;
    EXPECT_EQ(DesktopScale(junk, nullptr), 1) << junk;
  }
}

TEST(DesktopScale, XftDpiOf144OrMoreIsScaled) {
  const auto with_dpi = [](const char* dpi) {
    const std::string resources =
        std::string("Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t") + dpi + "\n*.foo: bar\n";
    return DesktopScale(nullptr, resources.c_str());
  };
  EXPECT_EQ(with_dpi("96"), 1);
  EXPECT_EQ(with_dpi("120"), 1);
  EXPECT_EQ(with_dpi("143"), 1);
  EXPECT_EQ(with_dpi("144"), 2);
  EXPECT_EQ(with_dpi("192"), 2);
  EXPECT_EQ(with_dpi("196.5"), 2);
  EXPECT_EQ(with_dpi("240"), 3);
  EXPECT_EQ(with_dpi("288"), 3);
  EXPECT_EQ(with_dpi("384"), 4);
  EXPECT_EQ(with_dpi("1000"), 4);
  EXPECT_EQ(with_dpi("lots"), 1);
  EXPECT_EQ(with_dpi("-192"), 1);
  EXPECT_EQ(DesktopScale(nullptr, ""), 1);
  EXPECT_EQ(DesktopScale(nullptr, "Xft.dpix:\t192\nmyXft.dpi: 192\n"), 1);
  EXPECT_EQ(DesktopScale(nullptr, "Xft.dpi: 96\nXft.dpi: 192"), 2);
}

}  // namespace
}  // namespace flakemorph
