// Shared by the figure tests: comparing with printed digits and scripting a build's draws.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace flakemorph::testing_support {

// True when value, printed with as many decimals as `printed` has, reads exactly `printed`.
inline ::testing::AssertionResult ReadsAs(double value, const std::string& printed) {
  const std::size_t point = printed.find('.');
  const int decimals =
      point == std::string::npos ? 0 : static_cast<int>(printed.size() - point - 1);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  if (printed == text) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "value " << text << " (" << value << ") printed as " << printed;
}

// A low-discrepancy stream of exact singles in [0, 1) that owes nothing to the program's own
// generator, for golden values that must not move when the generator does.
inline std::vector<float> WeylDraws(std::size_t count) {
  std::vector<float> draws;
  for (std::size_t n = 1; n <= count; ++n) {
    const double fraction = std::fmod(static_cast<double>(n) * 0.6180339887498949, 1.0);
    draws.push_back(std::min(static_cast<float>(fraction), 0.99999994F));
  }
  return draws;
}

// FNV-1a over the bit patterns of the values added, so that a change in the last bit of any
// value changes the fingerprint.
class Fingerprint {
 public:
  template <typename T>
  Fingerprint& Add(T value) {
    const auto bits = std::bit_cast<std::array<unsigned char, sizeof(T)>>(value);
    for (const unsigned char byte : bits) hash_ = (hash_ ^ byte) * 0x100000001B3ULL;
    return *this;
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xCBF29CE484222325ULL;
};

// Builds a figure's draws: every draw `fill`, except the first, which selects the arm count.
// Draw numbers are counted from 1, as a build takes them.
class BuildScript {
 public:
  BuildScript(int armCount, float fill)
      : armCount_(armCount),
        ringCount_(180 / armCount - 12),
        draws_(14 + 2 * ringCount_ + 4 * (360 - ArmPointCount()), fill) {
    draws_[0] = armCount == 8 ? 0.99F : static_cast<float>(armCount - 2) / 6.0F;
  }

  int RingCount() const { return ringCount_; }
  int ArmPointCount() const { return 2 * ringCount_ * armCount_; }

  BuildScript& Draw(int number, float value) {
    draws_.at(static_cast<std::size_t>(number - 1)) = value;
    return *this;
  }
  BuildScript& CoreDraws(float red, float green, float blue, float red2, float green2,
                         float blue2) {
    return Draw(2, red).Draw(3, green).Draw(4, blue).Draw(5, red2).Draw(6, green2).Draw(7, blue2);
  }
  // The offset draw e and the radius jitter draw j of ring i.
  BuildScript& Ring(int i, float e, float j) { return Draw(13 + 2 * i, e).Draw(14 + 2 * i, j); }
  BuildScript& AllRings(float e, float j) {
    for (int i = 1; i <= ringCount_; ++i) Ring(i, e, j);
    return *this;
  }
  // The four draws of halo point n: angle, radius, size, colour.
  BuildScript& Halo(int n, float angle, float radius, float size, float colour) {
    const int first = 15 + 2 * ringCount_ + 4 * (n - ArmPointCount() - 1);
    return Draw(first, angle).Draw(first + 1, radius).Draw(first + 2, size).Draw(first + 3, colour);
  }

  const std::vector<float>& Draws() const { return draws_; }

 private:
  int armCount_;
  int ringCount_;
  std::vector<float> draws_;
};

}  // namespace flakemorph::testing_support
