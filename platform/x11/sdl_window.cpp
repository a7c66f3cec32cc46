#include "platform/x11/sdl_window.h"

#include <SDL.h>

#include <cstdio>

#include "platform/x11/sdl_session.h"

namespace flakemorph {
namespace {

std::uint32_t ButtonBit(std::uint8_t button) {
  return button >= 1 && button <= 32 ? std::uint32_t{1} << (button - 1) : 0;
}

bool Covers(const SDL_Rect& place, const SDL_Surface& target) {
  const std::int64_t right = std::int64_t{place.x} + place.w;
  const std::int64_t bottom = std::int64_t{place.y} + place.h;
  return place.x <= 0 && place.y <= 0 && right >= target.w && bottom >= target.h;
}

// A window of another program that SDL cannot use may just have been destroyed by its owner,
// which ends the program quietly; otherwise SDL's reason ends it.
[[noreturn]] void FailToOpenUnlessGone(ForeignWindow* foreign) {
  if (foreign != nullptr) foreign->TakeEvents();
  FailToOpen(SDL_GetError());
}

SDL_Window* CreateOrFail(int x, int y, int width, int height, std::uint32_t flags) {
  SDL_Window* window = SDL_CreateWindow("flakemorph", x, y, width, height,
                                        flags | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window == nullptr) FailToOpen(SDL_GetError());
  return window;
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::OverDisplay(int index) {
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(index, &bounds) != 0) FailToOpen(SDL_GetError());
  // Placed and sized as the monitor rather than made full-screen: without a window manager a
  // full-screen window keeps the size it was created with.
  SDL_Window* window = CreateOrFail(bounds.x, bounds.y, bounds.w, bounds.h, SDL_WINDOW_BORDERLESS);
  SDL_ShowCursor(SDL_DISABLE);
  return std::unique_ptr<SdlWindow>(new SdlWindow(window));
}

std::unique_ptr<SdlWindow> SdlWindow::Preview(int width, int height) {
  // Not resizable: the pages keep the size they were given at start-up.
  SDL_Window* window =
      CreateOrFail(SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, 0);
  return std::unique_ptr<SdlWindow>(new SdlWindow(window));
}

// SDL 2.26 can draw into another program's window only through the plain window surface, and
// it announces drag and drop on every window it knows unless told not to: that property is
// not ours to set on someone else's window.
std::unique_ptr<SdlWindow> SdlWindow::Foreign(ForeignWindow& foreign) {
  SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
  SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "0");
  SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(foreign.NativeId()));
  if (window == nullptr) FailToOpenUnlessGone(&foreign);
  std::unique_ptr<SdlWindow> opened(new SdlWindow(window, &foreign));
  // Someone else's window is on the screen already, or will be when its owner wants it.
  opened->shown_ = true;
  return opened;
}

SdlWindow::SdlWindow(SDL_Window* window, ForeignWindow* foreign)
    : MemoryDisplay(0, 0),
      window_(window),
      foreign_(foreign),
      update_rects_(PageDamage::kMostRects + 1) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_, &width, &height);
  SetScaleSize(Single(width), Single(height));
  if (SDL_GetWindowSurface(window_) == nullptr) FailToOpenUnlessGone(foreign_);
  // A page in front is brought to the window by drawing its changes there, so its own pixels
  // are needed only when it must be copied whole.
  DeferDrawing();
}

SdlWindow::~SdlWindow() {
  for (SDL_Surface* surface : page_surfaces_) SDL_FreeSurface(surface);
  overlay_.reset();
  SDL_DestroyWindow(window_);
}

void SdlWindow::AddTextOverlay() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_, &width, &height);
  overlay_ = std::make_unique<TextOverlay>(height);
}

int SdlWindow::RefreshHz() const {
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window_);
  if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
  return mode.refresh_rate;
}

std::uint32_t SdlWindow::Id() const {
  return SDL_GetWindowID(window_);
}

void SdlWindow::Move(std::int16_t k, float left, float top, float width, float height) {
  MemoryDisplay::Move(k, left, top, width, height);
  WrapPage(k);
}

void SdlWindow::WrapPage(std::int16_t k) {
  SDL_FreeSurface(page_surfaces_[k]);
  page_surfaces_[k] = nullptr;
  const Page& source = page(k);
  if (source.Width() == 0 || source.Height() == 0) return;
  // SDL wants a writable pointer for any surface but only reads from the source of a blit.
  void* pixels = const_cast<std::uint32_t*>(source.Pixels());
  page_surfaces_[k] = SDL_CreateRGBSurfaceWithFormatFrom(
      pixels, source.Width(), source.Height(), 32, source.Width() * 4, SDL_PIXELFORMAT_XBGR8888);
  if (page_surfaces_[k] == nullptr) FailRuntime("cannot use page %d: %s", k, SDL_GetError());
  damage_.Resize(source.Width(), source.Height());
}

void SdlWindow::ShowFrame() {
  // Nobody tells SDL what happens to another program's window: what it lost is asked here.
  if (foreign_ != nullptr && foreign_->TakeEvents()) damage_.Forget();
  ShowFrontPage();
}

void SdlWindow::ShowText(std::string_view text) {
  if (overlay_) overlay_->SetText(text);
}

void SdlWindow::ShowFrontPage() {
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) FailRuntime("cannot draw on the window: %s", SDL_GetError());
  const std::optional<TargetBuffer> buffer = DirectTarget(*target);
  if (buffer) {
    ShowChanges(*buffer);
  } else {
    damage_.Forget();
    ShowWholePage(target);
  }
}

// The usual window surface, which the pages are copied to by our own code: 32-bit pixels of
// 8-bit channels, exactly as large as the page in front, which lies at its top left. Anything
// else is left to SDL, whole.
std::optional<TargetBuffer> SdlWindow::DirectTarget(SDL_Surface& target) {
  const SDL_PixelFormat& format = *target.format;
  const bool eight_bit_channels =
      format.BytesPerPixel == 4 && format.Rloss == 0 && format.Gloss == 0 && format.Bloss == 0;
  const std::int16_t k = FrontIndex();
  const bool page_fits =
      Left(k) == 0 && Top(k) == 0 && page(k).Width() == target.w && page(k).Height() == target.h;
  if (!eight_bit_channels || !page_fits || SDL_MUSTLOCK(&target)) return std::nullopt;
  const PixelLayout layout{format.Rshift, format.Gshift, format.Bshift, format.Amask};
  return TargetBuffer{target.pixels, target.w, target.h, target.pitch, layout};
}

void SdlWindow::ShowChanges(const TargetBuffer& target) {
  const std::span<const PixelRect> rects = damage_.CopyChanges(FrontPage(), target);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    update_rects_[i] = {rects[i].x, rects[i].y, rects[i].width, rects[i].height};
  }
  std::size_t count = rects.size();
  if (const std::optional<SDL_Rect> place = DrawOverlay(*SDL_GetWindowSurface(window_))) {
    update_rects_[count++] = *place;
  }
  if (SDL_UpdateWindowSurfaceRects(window_, update_rects_.data(), static_cast<int>(count)) != 0) {
    FailRuntime("cannot show the page: %s", SDL_GetError());
  }
}

// The blit turns the pages' red-lowest pixels into the window's format; SDL keeps the
// conversion it worked out for each page, so a frame allocates nothing.
void SdlWindow::ShowWholePage(SDL_Surface* target) {
  const std::int16_t k = FrontIndex();
  SDL_Rect place{Left(k), Top(k), page(k).Width(), page(k).Height()};
  if (!Covers(place, *target)) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  SDL_Surface* source = page_surfaces_[k];
  page(k).Pixels();  // does the page's deferred drawing
  if (source != nullptr && SDL_BlitSurface(source, nullptr, target, &place) != 0) {
    FailRuntime("cannot copy page %d: %s", k, SDL_GetError());
  }
  DrawOverlay(*target);
  if (SDL_UpdateWindowSurface(window_) != 0) {
    FailRuntime("cannot show the page: %s", SDL_GetError());
  }
}

// Drawn onto the window, never into the pages: the animation is the same with or without it.
// The text goes over whatever the copy of the page left there, every frame.
std::optional<SDL_Rect> SdlWindow::DrawOverlay(SDL_Surface& target) {
  if (!overlay_) return std::nullopt;
  return overlay_->DrawOnto(target);
}

bool SdlWindow::HandleEvent(const SDL_Event& event) {
  if (foreign_ != nullptr) return true;
  switch (event.type) {
    case SDL_KEYDOWN:
      return pb_KeyDown();
    case SDL_MOUSEBUTTONDOWN:
      pressed_buttons_ |= ButtonBit(event.button.button);
      return true;
    case SDL_MOUSEBUTTONUP:
      return HandleButtonUp(event.button);
    case SDL_WINDOWEVENT:
      return HandleWindowEvent(event.window);
    default:
      return true;
  }
}

bool SdlWindow::HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      shown_ = true;
      return true;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      // The window system lost what the window showed: all of it goes again.
      shown_ = true;
      damage_.Forget();
      ShowFrontPage();
      return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // SDL makes a new window surface, whose pixels are not yet the page's.
      damage_.Forget();
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      return Form_CloseRequest();
    default:
      return true;
  }
}

// A click is a button pressed on the window and released on it.
bool SdlWindow::HandleButtonUp(const SDL_MouseButtonEvent& event) {
  const std::uint32_t bit = ButtonBit(event.button);
  const bool pressed_here = (pressed_buttons_ & bit) != 0;
  pressed_buttons_ &= ~bit;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  if (pressed_here && event.x >= 0 && event.y >= 0 && event.x < width && event.y < height) {
    return pb_Click();
  }
  return true;
}

bool SdlWindow::pb_KeyDown() {
  return false;
}

bool SdlWindow::pb_Click() {
  return false;
}

bool SdlWindow::Form_CloseRequest() {
  return false;
}

}  // namespace flakemorph
