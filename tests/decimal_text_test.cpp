// The stand-in for from_chars that the WebAssembly build reads reals with gives what from_chars
// gives, value, end and error alike, for the texts that trip up strtod.
#include "figures/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <version>

namespace flakemorph {
namespace {

#ifdef __cpp_lib_to_chars

template <typename Real>
void ExpectSameAsFromChars(std::string_view text) {
  const Real untouched = static_cast<Real>(0.125);
  Real expected = untouched;
  Real got = untouched;
  const auto want = std::from_chars(text.data(), text.data() + text.size(), expected);
  const auto have = ReadRealThroughC(text.data(), text.data() + text.size(), got);
  EXPECT_EQ(have.ec, want.ec) << text;
  EXPECT_EQ(have.ptr - text.data(), want.ptr - text.data()) << text;
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(got)) << text;
  } else {
    EXPECT_EQ(got, expected) << text;
  }
}

TEST(DecimalText, ReadsAsFromChars) {
  for (const std::string_view text : {"0.5",
                                      "0.9999999",
                                      "1",
                                      "-0.25",
                                      ".5",
                                      "5.",
                                      "1e-3",
                                      "1E+2",
                                      "2.5e",
                                      "1e+",
                                      "7x",
                                      "0x1p3",
                                      "",
                                      "-",
                                      ".",
                                      "+1",
                                      " 1",
                                      "inf",
                                      "-Infinity",
                                      "nan",
                                      "NaN(1)",
                                      "infx",
                                      "in",
                                      "-.5e1",
                                      "0.30000000000000004",
                                      "0.99999997",
                                      "0.999999999",
                                      "123456789012345678901234567890"}) {
    ExpectSameAsFromChars<float>(text);
    ExpectSameAsFromChars<double>(text);
  }
}

// Beyond the type's range at either end: out of range, and the value is left alone.
TEST(DecimalText, OutOfRangeAsFromChars) {
  for (const std::string_view text :
       {"1e39", "-1e39", "1e-50", "1e400", "1e-400", "1e-40", "1e-310"}) {
    ExpectSameAsFromChars<float>(text);
    ExpectSameAsFromChars<double>(text);
  }
}

#endif

}  // namespace
}  // namespace flakemorph
