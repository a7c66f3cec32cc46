#include "figures/colour.h"

#include <algorithm>
#include <array>

#include "figures/numbers.h"

namespace flakemorph {

namespace {

// One channel of a blend. The difference and the start channel enter as singles (exactly),
// and the product and sum stay in double so that a channel is rounded only once.
std::int16_t BlendChannel(std::int16_t from, std::int16_t to, float t) {
  const std::int16_t difference = Checked16(to - from);
  const double value =
      Widened(static_cast<float>(difference)) * Widened(t) + Widened(static_cast<float>(from));
  return Nearest16(value);
}

std::int32_t ClampChannel(std::int32_t channel) {
  return std::clamp(channel, 0, 255);
}

constexpr ColorValue Pack(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return red + 256 * green + 65536 * blue;
}

// The dark colours use half intensity, the bright ones full, and grey sits between them.
constexpr std::array<ColorValue, 16> kPalette = {
    Pack(0, 0, 0),       Pack(0, 0, 128),   Pack(0, 128, 0),   Pack(0, 128, 128),
    Pack(128, 0, 0),     Pack(128, 0, 128), Pack(128, 128, 0), Pack(192, 192, 192),
    Pack(128, 128, 128), Pack(0, 0, 255),   Pack(0, 255, 0),   Pack(0, 255, 255),
    Pack(255, 0, 0),     Pack(255, 0, 255), Pack(255, 255, 0), Pack(255, 255, 255),
};

}  // namespace

float LerpSingle(float a, float b, float t) {
  return Single((Widened(b) - Widened(a)) * Widened(t) + Widened(a));
}

void SplitColor(ColorValue color, std::int16_t& red, std::int16_t& green, std::int16_t& blue) {
  red = Checked16(color % 256);
  green = Checked16((color / 256) % 256);
  blue = Checked16((color / 256) / 256);
}

ColorValue BlendColor(ColorValue a, ColorValue b, float t) {
  std::int16_t redA = 0;
  std::int16_t greenA = 0;
  std::int16_t blueA = 0;
  std::int16_t redB = 0;
  std::int16_t greenB = 0;
  std::int16_t blueB = 0;
  SplitColor(a, redA, greenA, blueA);
  SplitColor(b, redB, greenB, blueB);
  return RGB(BlendChannel(redA, redB, t), BlendChannel(greenA, greenB, t),
             BlendChannel(blueA, blueB, t));
}

ColorValue RGB(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return Pack(ClampChannel(red), ClampChannel(green), ClampChannel(blue));
}

ColorValue QBColor(std::int16_t n) {
  if (n < 0 || n >= static_cast<std::int16_t>(kPalette.size())) {
    FailRuntime("palette entry %d outside 0..15", n);
  }
  return kPalette[static_cast<std::size_t>(n)];
}

}  // namespace flakemorph
