#include "display/frame_text.h"

#include <algorithm>

namespace flakemorph {
namespace {

// A glyph: seven rows of five pixels, the leftmost in bit 4.
struct Glyph {
  char character;
  std::array<std::uint8_t, 7> rows;
};

constexpr std::array<Glyph, 19> kGlyphs{{
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}},
    {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {'s', {0x00, 0x00, 0x0F, 0x10, 0x0E, 0x01, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
}};

constexpr std::int32_t kGlyphWidth = 5;
constexpr std::int32_t kGlyphHeight = 7;
constexpr std::int32_t kAdvance = kGlyphWidth + 1;
// Logical pixels per glyph pixel, and around the text.
constexpr std::int32_t kDot = 2;
constexpr std::int32_t kMargin = 4;
// White on rgb(40, 40, 40).
constexpr std::uint32_t kInk = 0xFFFFFF;
constexpr std::uint32_t kBox = 0x282828;

const Glyph* GlyphOf(char character) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.character == character) return &glyph;
  }
  return nullptr;
}

void FillRect(const TargetBuffer& target, const PixelRect& rect, std::uint32_t pixel) {
  const std::int32_t right = std::min(rect.x + rect.width, target.width);
  const std::int32_t bottom = std::min(rect.y + rect.height, target.height);
  for (std::int32_t y = std::max(rect.y, 0); y < bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::byte*>(target.pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * target.pitch);
    for (std::int32_t x = std::max(rect.x, 0); x < right; ++x) row[x] = pixel;
  }
}

}  // namespace

void FrameText::SetText(std::string_view text) {
  length_ = std::min(text.size(), text_.size());
  std::copy_n(text.begin(), length_, text_.begin());
}

std::optional<PixelRect> FrameText::DrawOnto(const TargetBuffer& target, std::int32_t scale) const {
  if (length_ == 0) return std::nullopt;
  const std::int32_t dot = kDot * scale;
  const std::int32_t margin = kMargin * scale;
  const PixelRect box{0, 0, 2 * margin + static_cast<std::int32_t>(kLongestText) * kAdvance * dot,
                      2 * margin + kGlyphHeight * dot};
  // The pixel's top byte is left set, as the page's copies leave it.
  FillRect(target, box, kBox | target.layout.opaque_bits);
  const std::uint32_t ink = kInk | target.layout.opaque_bits;
  for (std::size_t i = 0; i < length_; ++i) {
    const Glyph* glyph = GlyphOf(text_[i]);
    if (glyph == nullptr) continue;
    const std::int32_t left = margin + static_cast<std::int32_t>(i) * kAdvance * dot;
    for (std::int32_t row = 0; row < kGlyphHeight; ++row) {
      for (std::int32_t column = 0; column < kGlyphWidth; ++column) {
        if ((glyph->rows[row] >> (kGlyphWidth - 1 - column) & 1) == 0) continue;
        FillRect(target, {left + column * dot, margin + row * dot, dot, dot}, ink);
      }
    }
  }
  return PixelRect{box.x, box.y, std::min(box.width, target.width),
                   std::min(box.height, target.height)};
}

}  // namespace flakemorph
