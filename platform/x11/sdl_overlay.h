// A small block of text for a corner of a window (the frame rate of --fps), set in DejaVu Sans
// Mono with SDL_ttf. Every glyph is rendered once, at start-up, into a surface of its own; a new
// text is laid out from them into a box reserved at start-up, and the box is copied onto the
// window every frame. Neither a new text nor a frame allocates anything.
#pragma once

#include <array>
#include <string_view>

struct SDL_Surface;
struct SDL_Rect;
typedef struct _TTF_Font TTF_Font;

namespace flakemorph {

class TextOverlay {
 public:
  // Text to suit a window `window_height` pixels tall. If SDL_ttf or the font cannot be
  // loaded, says so on stderr and exits with status 1.
  explicit TextOverlay(int window_height);
  TextOverlay(const TextOverlay&) = delete;
  TextOverlay& operator=(const TextOverlay&) = delete;
  ~TextOverlay();

  // Printable ASCII; anything else shows as '?'. Text beyond the box's width is cut off.
  void SetText(std::string_view text);
  // Copies the box to the top-left corner of target; gives the part of target it covers,
  // which is empty when nothing of it fits.
  SDL_Rect DrawOnto(SDL_Surface& target);

 private:
  static constexpr char kFirstGlyph = ' ';
  static constexpr char kLastGlyph = '~';
  static constexpr std::size_t kGlyphCount = kLastGlyph - kFirstGlyph + 1;

  void RenderGlyphs();
  void ReserveBox();
  std::size_t GlyphIndex(char c) const;

  TTF_Font* font_ = nullptr;
  std::array<SDL_Surface*, kGlyphCount> glyphs_{};
  std::array<int, kGlyphCount> advances_{};
  SDL_Surface* box_ = nullptr;
  int padding_ = 0;
  int margin_ = 0;
};

}  // namespace flakemorph
