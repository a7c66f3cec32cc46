#include "platform/x11/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "display/scaled_copy.h"
#include "platform/x11/sdl_session.h"

namespace flakemorph {
namespace {

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

std::unique_ptr<SdlWindow> SdlWindow::OverDisplay(int index, int scale) {
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(index, &bounds) != 0) FailToOpen(SDL_GetError());
  return OverArea(bounds.x, bounds.y, bounds.w, bounds.h, scale);
}

std::unique_ptr<SdlWindow> SdlWindow::OverArea(int x, int y, int width, int height, int scale) {
  // Placed and sized as the monitor rather than made full-screen: without a window manager a
  // full-screen window keeps the size it was created with.
  SDL_Window* window = CreateOrFail(x, y, width, height, SDL_WINDOW_BORDERLESS);
  SDL_ShowCursor(SDL_DISABLE);
  return std::unique_ptr<SdlWindow>(new SdlWindow(window, scale));
}

std::unique_ptr<SdlWindow> SdlWindow::Preview(int width, int height, int scale) {
  const auto screen_pixels = [scale](int side) {
    return static_cast<int>(std::min<std::int64_t>(std::int64_t{side} * scale, INT32_MAX));
  };
  SDL_Window* window =
      CreateOrFail(SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, screen_pixels(width),
                   screen_pixels(height), SDL_WINDOW_RESIZABLE);
  return std::unique_ptr<SdlWindow>(new SdlWindow(window, scale));
}

// SDL 2.26 can draw into another program's window only through the plain window surface, and
// it announces drag and drop on every window it knows unless told not to: that property is
// not ours to set on someone else's window.
std::unique_ptr<SdlWindow> SdlWindow::Foreign(ForeignWindow& foreign, int scale) {
  SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
  SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "0");
  SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(foreign.NativeId()));
  if (window == nullptr) FailToOpenUnlessGone(&foreign);
  std::unique_ptr<SdlWindow> opened(new SdlWindow(window, scale, &foreign));
  // Someone else's window is on the screen already, or will be when its owner wants it.
  opened->shown_ = true;
  return opened;
}

SdlWindow::SdlWindow(SDL_Window* window, int scale, ForeignWindow* foreign)
    : MemoryDisplay(0, 0),
      window_(window),
      foreign_(foreign),
      scale_(std::clamp(scale, 1, kLargestPixelScale)),
      update_rects_(PageDamage::kMostRects + 1) {
  if (scale_ > 1) scaled_rects_.resize(PageDamage::kMostRects);
  ReadWindowSize();
  if (SDL_GetWindowSurface(window_) == nullptr) FailToOpenUnlessGone(foreign_);
  if (scale_ > 1) ShowBlack();
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

// The pages are as large as fits in the window at the scale; at least a pixel.
bool SdlWindow::ReadWindowSize() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_, &width, &height);
  if (width == pixel_width_ && height == pixel_height_) return false;
  pixel_width_ = width;
  pixel_height_ = height;
  SetScaleSize(Single(std::max(width / scale_, 1)), Single(std::max(height / scale_, 1)));
  return true;
}

// Nothing of the old size is shown again: the window stays black until the program has started
// the window's animation anew at the new size, which it does after this frame's events.
void SdlWindow::FollowNewSize() {
  if (!ReadWindowSize()) return;
  resized_ = true;
  damage_.Forget();
  ShowBlack();
}

bool SdlWindow::TakeResize() {
  return std::exchange(resized_, false);
}

void SdlWindow::Cover(int x, int y, int width, int height) {
  SDL_SetWindowPosition(window_, x, y);
  SDL_SetWindowSize(window_, width, height);
  FollowNewSize();
}

// SDL never hears that another program's window took a new size, and keeps a window surface of
// the old one: a new SDL window over the same X window knows the new size.
void SdlWindow::RemakeForeign() {
  SDL_DestroyWindow(window_);
  window_ = SDL_CreateWindowFrom(reinterpret_cast<const void*>(foreign_->NativeId()));
  if (window_ == nullptr) {
    // The window may be gone, which ends the program quietly; anything else is a fault.
    foreign_->TakeEvents();
    FailRuntime("cannot draw on the window: %s", SDL_GetError());
  }
  FollowNewSize();
}

void SdlWindow::ShowBlack() {
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (target == nullptr) FailRuntime("cannot draw on the window: %s", SDL_GetError());
  SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  if (SDL_UpdateWindowSurface(window_) != 0) {
    FailRuntime("cannot show the page: %s", SDL_GetError());
  }
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
  if (scale_ > 1) {
    unscaled_.assign(static_cast<std::size_t>(source.Width()) * source.Height(), 0);
    damage_.Forget();
  }
}

void SdlWindow::ShowFrame() {
  // Nobody tells SDL what happens to another program's window: what it lost, and its size, are
  // asked here.
  if (foreign_ != nullptr) {
    if (foreign_->TakeEvents()) damage_.Forget();
    int width = 0;
    int height = 0;
    if (foreign_->TakeNewSize(width, height) &&
        (width != pixel_width_ || height != pixel_height_)) {
      return RemakeForeign();
    }
  }
  ShowFrontPage();
}

void SdlWindow::ShowText(std::string_view text) {
  if (overlay_) overlay_->SetText(text);
}

void SdlWindow::ShowFrontPage() {
  if (resized_) return ShowBlack();
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
// 8-bit channels, exactly as large as the page in front at the scale (or up to a page pixel
// larger: those few rows and columns stay black), which lies at its top left. Anything else is
// left to SDL, whole.
std::optional<TargetBuffer> SdlWindow::DirectTarget(SDL_Surface& target) {
  const SDL_PixelFormat& format = *target.format;
  const bool eight_bit_channels =
      format.BytesPerPixel == 4 && format.Rloss == 0 && format.Gloss == 0 && format.Bloss == 0;
  const std::int16_t k = FrontIndex();
  const std::int64_t width = std::int64_t{page(k).Width()} * scale_;
  const std::int64_t height = std::int64_t{page(k).Height()} * scale_;
  const bool page_fits = Left(k) == 0 && Top(k) == 0 && width <= target.w &&
                         target.w < width + scale_ && height <= target.h &&
                         target.h < height + scale_;
  if (!eight_bit_channels || !page_fits || SDL_MUSTLOCK(&target)) return std::nullopt;
  const PixelLayout layout{format.Rshift, format.Gshift, format.Bshift, format.Amask};
  return TargetBuffer{target.pixels, target.w, target.h, target.pitch, layout};
}

void SdlWindow::ShowChanges(const TargetBuffer& target) {
  const std::span<const PixelRect> rects =
      scale_ > 1 ? CopyScaledChanges(target) : damage_.CopyChanges(FrontPage(), target);
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

// The changes go to a page-sized buffer of the window's pixels first, whose changed rects are
// then enlarged onto the window.
std::span<const PixelRect> SdlWindow::CopyScaledChanges(const TargetBuffer& target) {
  const Page& front = FrontPage();
  const TargetBuffer unscaled{unscaled_.data(), front.Width(), front.Height(), front.Width() * 4,
                              target.layout};
  const std::span<const PixelRect> rects = damage_.CopyChanges(front, unscaled);
  CopyScaled(unscaled, rects, scale_, target);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    scaled_rects_[i] = ScaledRect(rects[i], scale_, target);
  }
  return std::span<const PixelRect>(scaled_rects_).first(rects.size());
}

// The blit turns the pages' red-lowest pixels into the window's format; SDL keeps the
// conversion it worked out for each page, so a frame allocates nothing.
void SdlWindow::ShowWholePage(SDL_Surface* target) {
  const std::int16_t k = FrontIndex();
  SDL_Rect place{Left(k) * scale_, Top(k) * scale_, page(k).Width() * scale_,
                 page(k).Height() * scale_};
  if (!Covers(place, *target)) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
  SDL_Surface* source = page_surfaces_[k];
  page(k).Pixels();  // does the page's deferred drawing
  // The enlarging blit takes the nearest pixel, which at a whole scale is every page pixel as a
  // block of its own.
  const int copied = source == nullptr ? 0
                     : scale_ > 1      ? SDL_BlitScaled(source, nullptr, target, &place)
                                       : SDL_BlitSurface(source, nullptr, target, &place);
  if (copied != 0) FailRuntime("cannot copy page %d: %s", k, SDL_GetError());
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

// A window of another program takes no input: its keyboard and pointer are its owner's.
void SdlWindow::HandleEvent(const SDL_Event& event, InputSink& input) {
  if (foreign_ != nullptr) return;
  switch (event.type) {
    case SDL_KEYDOWN:
      return input.Take({InputKind::kKeyPressed});
    case SDL_MOUSEBUTTONDOWN:
      return input.Take({InputKind::kButtonPressed});
    case SDL_MOUSEWHEEL:
      return input.Take({InputKind::kWheelTurned});
    case SDL_WINDOWEVENT:
      return HandleWindowEvent(event.window, input);
    default:
      return;
  }
}

void SdlWindow::HandleWindowEvent(const SDL_WindowEvent& event, InputSink& input) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      shown_ = true;
      return;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      // The window system lost what the window showed: all of it goes again.
      shown_ = true;
      damage_.Forget();
      ShowFrontPage();
      return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // SDL makes a new window surface, whose pixels are not yet the page's.
      damage_.Forget();
      FollowNewSize();
      return;
    case SDL_WINDOWEVENT_CLOSE:
      return input.Take({InputKind::kCloseRequested});
    default:
      return;
  }
}

}  // namespace flakemorph
