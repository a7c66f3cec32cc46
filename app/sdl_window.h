// The real window: one borderless SDL window over the whole screen, or a window of another
// program, whose two surfaces are the in-memory pages. ZOrder copies the page that comes to the
// front onto the window once per display refresh, only where it differs from the page shown
// before when that is known; DoEvents ends the program on any key, a click or a close request
// to a window of our own, and only on SIGINT or SIGTERM or the end of a window of another
// program, whose keyboard and pointer belong to its owner.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/foreign_window.h"
#include "app/frame_pacer.h"
#include "display/memory_display.h"
#include "display/page_damage.h"

struct SDL_Window;
struct SDL_Surface;
struct SDL_Rect;
struct SDL_WindowEvent;
struct SDL_MouseButtonEvent;
union SDL_Event;

namespace flakemorph {

class SdlWindow final : public MemoryDisplay {
 public:
  // Opens the window. If SDL cannot start or no window can be opened, prints
  // "flakemorph: cannot open a window: " and the reason on stderr and exits with status 1.
  SdlWindow();
  // Draws into `foreign` instead, which must outlive this window: creates no window, selects
  // no input, leaves the pointer and the display's screen saver alone. Fails as above.
  explicit SdlWindow(ForeignWindow& foreign);
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;
  ~SdlWindow() override;

  void Move(std::int16_t k, float left, float top, float width, float height) override;
  void ZOrder(std::int16_t k) override;
  void DoEvents() override;

  // Handles events until the window is on the screen: the moment of its activation.
  void WaitUntilShown();

 private:
  void StartVideo();
  void OpenWindow();
  void OpenForeignWindow();
  void UseWindowSurface(int refresh_hz);
  void ChoosePacing(int refresh_hz);
  Nanoseconds TimePresents(int count);
  void ShowFrontPage();
  std::optional<TargetBuffer> DirectTarget(SDL_Surface& target);
  void ShowChanges(const TargetBuffer& target);
  void ShowWholePage(SDL_Surface* target);
  void WrapPage(std::int16_t k);

  void HandleEvent(const SDL_Event& event);
  void HandleWindowEvent(const SDL_WindowEvent& event);
  void HandleButtonUp(const SDL_MouseButtonEvent& event);

  // The end handlers: none of them looks at which key, button or surface it was.
  [[noreturn]] void pb_KeyDown();
  [[noreturn]] void pb_Click();
  // A close request from the window system, or SIGINT or SIGTERM, which SDL reports as a
  // quit event.
  [[noreturn]] void Form_CloseRequest();
  [[noreturn]] static void EndProgram();

  SDL_Window* window_ = nullptr;
  ForeignWindow* foreign_ = nullptr;
  // The pages as SDL sees them, to blit from; rebuilt whenever Move gives a page new pixels.
  std::array<SDL_Surface*, 2> page_surfaces_{};
  // Knows what the window surface shows, so that a frame copies and sends only what changed.
  PageDamage damage_;
  // Sized once, at start-up.
  std::vector<SDL_Rect> update_rects_;
  MonotonicClock clock_;
  std::optional<FramePacer> pacer_;
  std::optional<FrameStats> stats_;
  std::uint32_t pressed_buttons_ = 0;
  bool shown_ = false;
};

}  // namespace flakemorph
