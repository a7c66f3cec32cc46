#include "figures/quoted_text.h"

#include <gtest/gtest.h>

#include <string>

namespace flakemorph {
namespace {

// Printable ASCII is the space to the tilde; everything else, DEL and the bytes of other
// encodings too, could move a terminal's cursor or start an escape sequence.
TEST(QuotedText, ShowsOnlyPrintableAsciiAsItIs) {
  EXPECT_EQ(QuotedText(" ~az09", "a value"), "\" ~az09\"");
  EXPECT_EQ(QuotedText(std::string("\x1F\x7F\x80\xFF\x00", 5), "a value"),
            R"("\x1F\x7F\x80\xFF\x00")");
  EXPECT_EQ(QuotedText("say \"hi\" \\o/", "a value"), R"("say \"hi\" \\o/")");
}

TEST(QuotedText, CutsALongTextShortAndSaysHowLongItWas) {
  EXPECT_EQ(QuotedText(std::string(40, 'x'), "a line"), "\"" + std::string(40, 'x') + "\"");
  EXPECT_EQ(QuotedText(std::string(41, 'x'), "a line"),
            "\"" + std::string(40, 'x') + "\"... (a line of 41 bytes)");
}

}  // namespace
}  // namespace flakemorph
