#include "platform/x11/sdl_overlay.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace flakemorph {
namespace {

// Debian's fonts-dejavu-core; the bold face reads better over a moving picture.
constexpr std::array<const char*, 2> kFontFiles = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
};

// The widest text the box must hold, in characters: "9999 fps  CPU 999.9%".
constexpr int kBoxCharacters = 20;

constexpr SDL_Color kTextColour{235, 235, 235, 255};
constexpr Uint8 kBoxGrey = 40;

[[noreturn]] void FailToShowText(const char* what, const char* reason) {
  std::fprintf(stderr, "flakemorph: cannot show the frame rate: %s: %s\n", what, reason);
  std::exit(1);
}

// About a fiftieth of the window's height, so the text is as easy to read on a large monitor
// as on a small one, and never smaller than a menu's.
int PointSizeFor(int window_height) {
  return std::clamp(window_height / 50, 12, 48);
}

}  // namespace

TextOverlay::TextOverlay(int window_height) {
  if (TTF_Init() != 0) FailToShowText("SDL_ttf", TTF_GetError());
  const int size = PointSizeFor(window_height);
  for (const char* file : kFontFiles) {
    font_ = TTF_OpenFont(file, size);
    if (font_ != nullptr) break;
  }
  if (font_ == nullptr) FailToShowText(kFontFiles.back(), TTF_GetError());
  padding_ = std::max(2, size / 3);
  margin_ = padding_;
  RenderGlyphs();
  ReserveBox();
}

TextOverlay::~TextOverlay() {
  SDL_FreeSurface(box_);
  for (SDL_Surface* glyph : glyphs_) SDL_FreeSurface(glyph);
  TTF_CloseFont(font_);
  TTF_Quit();
}

void TextOverlay::RenderGlyphs() {
  for (std::size_t i = 0; i < kGlyphCount; ++i) {
    const auto c = static_cast<Uint32>(kFirstGlyph + static_cast<int>(i));
    int advance = 0;
    if (TTF_GlyphMetrics32(font_, c, nullptr, nullptr, nullptr, nullptr, &advance) != 0) {
      FailToShowText("glyph metrics", TTF_GetError());
    }
    advances_[i] = advance;
    // A space has nothing to draw, and SDL_ttf makes no surface for it.
    if (c != ' ') {
      glyphs_[i] = TTF_RenderGlyph32_Blended(font_, c, kTextColour);
      if (glyphs_[i] == nullptr) FailToShowText("glyph", TTF_GetError());
    }
  }
}

// Every glyph is laid out once here, so that SDL works out now, and keeps, how each one is
// blended onto the box: later texts reuse that and allocate nothing.
void TextOverlay::ReserveBox() {
  const int width = advances_[GlyphIndex('0')] * kBoxCharacters + 2 * padding_;
  const int height = TTF_FontHeight(font_) + 2 * padding_;
  box_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
  if (box_ == nullptr) FailToShowText("text box", SDL_GetError());
  std::array<char, kGlyphCount> every_glyph{};
  for (std::size_t i = 0; i < kGlyphCount; ++i) {
    every_glyph[i] = static_cast<char>(kFirstGlyph + static_cast<int>(i));
  }
  SetText(std::string_view(every_glyph.data(), every_glyph.size()));
  SetText("");
}

std::size_t TextOverlay::GlyphIndex(char c) const {
  if (c < kFirstGlyph || c > kLastGlyph) c = '?';
  return static_cast<std::size_t>(c - kFirstGlyph);
}

void TextOverlay::SetText(std::string_view text) {
  SDL_FillRect(box_, nullptr, SDL_MapRGB(box_->format, kBoxGrey, kBoxGrey, kBoxGrey));
  int x = padding_;
  for (const char c : text) {
    const std::size_t i = GlyphIndex(c);
    if (glyphs_[i] != nullptr) {
      SDL_Rect place{x, padding_, glyphs_[i]->w, glyphs_[i]->h};
      SDL_BlitSurface(glyphs_[i], nullptr, box_, &place);
    }
    x += advances_[i];
  }
}

SDL_Rect TextOverlay::DrawOnto(SDL_Surface& target) {
  SDL_Rect place{margin_, margin_, box_->w, box_->h};
  const SDL_Rect whole{0, 0, target.w, target.h};
  SDL_Rect covered{};
  if (SDL_IntersectRect(&place, &whole, &covered) == SDL_FALSE) return {};
  SDL_BlitSurface(box_, nullptr, &target, &place);
  return covered;
}

}  // namespace flakemorph
