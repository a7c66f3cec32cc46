// A real window, of our own or of another program, whose two surfaces are the in-memory pages.
// ShowFrame copies the page in front onto the window, only where it differs from the page shown
// before when that is known, with the frame-rate text over it when asked for. The program shows
// the frames of all its windows and then hands each its events; a key, a click or a close
// request on a window of our own ends the program. A window of another program takes no input
// (its keyboard and pointer belong to its owner); its end ends the program quietly.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "display/memory_display.h"
#include "display/page_damage.h"
#include "platform/window_system.h"
#include "platform/x11/foreign_window.h"
#include "platform/x11/sdl_overlay.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Rect;
struct SDL_WindowEvent;
struct SDL_MouseButtonEvent;
union SDL_Event;

namespace flakemorph {

class SdlWindow final : public MemoryDisplay, public ProgramWindow {
 public:
  // The ways to open one; each ends the program through FailToOpen if the window cannot be
  // opened. An SdlSession must be alive.
  //
  // Each shows every page pixel as scale x scale screen pixels, and its pages are as large as
  // that fits in the window.
  //
  // A borderless window over SDL's display `index`, exactly its bounds, without a pointer.
  static std::unique_ptr<SdlWindow> OverDisplay(int index, int scale);
  // The same over the area x, y, width x height of the screen.
  static std::unique_ptr<SdlWindow> OverArea(int x, int y, int width, int height, int scale);
  // An ordinary, resizable window with the title "flakemorph" and the window manager's frame,
  // its client area large enough for pages of width x height, placed where the window system
  // puts it.
  static std::unique_ptr<SdlWindow> Preview(int width, int height, int scale);
  // Draws into `foreign`, which must outlive the SdlWindow: creates no window, selects no
  // input, leaves the pointer alone. The pages take the window's size, now and whenever its
  // owner gives it a new one.
  static std::unique_ptr<SdlWindow> Foreign(ForeignWindow& foreign, int scale);

  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;
  ~SdlWindow() override;

  void Move(std::int16_t k, float left, float top, float width, float height) override;

  Display& Surfaces() override { return *this; }
  void ShowFrame() override;
  void ShowText(std::string_view text) override;
  bool TakeResize() override;

  // Moves the window and sizes it to cover x, y, width x height of the screen exactly, as its
  // monitor now does.
  void Cover(int x, int y, int width, int height);

  // Shows ShowText's text from now on, in the top-left corner.
  void AddTextOverlay();
  // The refresh rate of the display the window is on; 0 where it does not say.
  int RefreshHz() const;
  // The window's size in screen pixels.
  int PixelWidth() const { return pixel_width_; }
  int PixelHeight() const { return pixel_height_; }
  std::uint32_t Id() const;
  SDL_Window* Native() const { return window_; }
  // Whether the window has been on the screen: the moment of its activation.
  bool Shown() const { return shown_; }
  // An event for this window, told to `input` in the program's words.
  void HandleEvent(const SDL_Event& event, InputSink& input);

 private:
  // `foreign`: the window of another program that `window` is, if it is one.
  SdlWindow(SDL_Window* window, int scale, ForeignWindow* foreign = nullptr);

  bool ReadWindowSize();
  void FollowNewSize();
  void RemakeForeign();
  void ShowBlack();
  void ShowFrontPage();
  std::optional<TargetBuffer> DirectTarget(SDL_Surface& target);
  void ShowChanges(const TargetBuffer& target);
  std::span<const PixelRect> CopyScaledChanges(const TargetBuffer& target);
  void ShowWholePage(SDL_Surface* target);
  std::optional<SDL_Rect> DrawOverlay(SDL_Surface& target);
  void WrapPage(std::int16_t k);

  void HandleWindowEvent(const SDL_WindowEvent& event, InputSink& input);

  SDL_Window* window_ = nullptr;
  ForeignWindow* foreign_ = nullptr;
  // Screen pixels per page pixel, across and down.
  int scale_ = 1;
  // The window's size in screen pixels, as the pages were last sized for it.
  int pixel_width_ = 0;
  int pixel_height_ = 0;
  // The window took a new size that its animation has not yet started anew at: until then it
  // shows black, not the pages of the old size.
  bool resized_ = false;
  // With a scale: the page in front as the window's pixels, which are enlarged from here, and
  // the screen's rects they changed. Sized at start-up.
  std::vector<std::uint32_t> unscaled_;
  std::vector<PixelRect> scaled_rects_;
  // The pages as SDL sees them, to blit from; rebuilt whenever Move gives a page new pixels.
  std::array<SDL_Surface*, 2> page_surfaces_{};
  // Knows what the window surface shows, so that a frame copies and sends only what changed.
  PageDamage damage_;
  // Sized once, at start-up: the changed tiles and the overlay.
  std::vector<SDL_Rect> update_rects_;
  std::unique_ptr<TextOverlay> overlay_;
  bool shown_ = false;
};

}  // namespace flakemorph
