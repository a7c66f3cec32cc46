#include "app/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace flakemorph {
namespace {

// Presents timed at start-up to learn whether presenting waits for the display; the first
// few are left out, as a swap chain may take them without waiting.
constexpr int kWarmUpPresents = 3;
constexpr int kTimedPresents = 5;

[[noreturn]] void FailToOpen(const char* reason) {
  std::fprintf(stderr, "flakemorph: cannot open a window: %s\n", reason);
  SDL_Quit();
  std::exit(1);
}

// With no display SDL falls back to a driver that shows nothing: a window nobody can see would
// run, and keep a core busy, until killed. Such a driver counts only when asked for by name.
bool OnlyAnInvisibleDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  const bool invisible = std::strcmp(driver, "offscreen") == 0 ||
                         std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "evdev") == 0;
  return invisible && (requested == nullptr || SDL_strcasecmp(requested, driver) != 0);
}

std::array<char, 256> NoDisplayReason() {
  std::array<char, 256> reason{};
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    std::snprintf(reason.data(), reason.size(), "no display found (DISPLAY is not set)");
  } else {
    std::snprintf(reason.data(), reason.size(), "cannot reach the display \"%s\"", display);
  }
  return reason;
}

bool StatsWanted() {
  const char* value = std::getenv("FLAKEMORPH_STATS");
  return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

std::uint32_t ButtonBit(std::uint8_t button) {
  return button >= 1 && button <= 32 ? std::uint32_t{1} << (button - 1) : 0;
}

bool Covers(const SDL_Rect& place, const SDL_Surface& target) {
  const std::int64_t right = std::int64_t{place.x} + place.w;
  const std::int64_t bottom = std::int64_t{place.y} + place.h;
  return place.x <= 0 && place.y <= 0 && right >= target.w && bottom >= target.h;
}

}  // namespace

SdlWindow::SdlWindow() : MemoryDisplay(0, 0), update_rects_(PageDamage::kMostRects) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) FailToOpen(SDL_GetError());
  if (OnlyAnInvisibleDriver()) FailToOpen(NoDisplayReason().data());
  if (StatsWanted()) stats_.emplace(stderr);
  // A page in front is brought to the window by drawing its changes there, so its own pixels
  // are needed only when it must be copied whole.
  DeferDrawing();
  OpenWindow();
}

SdlWindow::~SdlWindow() {
  for (SDL_Surface* surface : page_surfaces_) SDL_FreeSurface(surface);
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

void SdlWindow::OpenWindow() {
  SDL_DisplayMode desktop{};
  SDL_Rect bounds{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || SDL_GetDisplayBounds(0, &bounds) != 0) {
    FailToOpen(SDL_GetError());
  }
  // Placed and sized as the whole screen rather than made full-screen: without a window
  // manager a full-screen window keeps the size it was created with.
  window_ = SDL_CreateWindow("flakemorph", bounds.x, bounds.y, desktop.w, desktop.h,
                             SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window_ == nullptr) FailToOpen(SDL_GetError());
  SDL_ShowCursor(SDL_DISABLE);
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_, &width, &height);
  SetScaleSize(Single(width), Single(height));
  // On X11 the window surface otherwise goes through an OpenGL texture, which costs ten times
  // as much per page where OpenGL is software; shared-memory images are the cheap way.
  if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  if (SDL_GetWindowSurface(window_) == nullptr) FailToOpen(SDL_GetError());
  ChoosePacing(desktop.refresh_rate);
}

void SdlWindow::ChoosePacing(int refresh_hz) {
  const Nanoseconds period = RefreshPeriod(refresh_hz);
  TimePresents(kWarmUpPresents);
  const bool waits = PresentationWaits(TimePresents(kTimedPresents), 1, period);
  if (!waits) pacer_.emplace(clock_, period);
  if (stats_) {
    std::fprintf(stderr, "flakemorph: refresh %.2f Hz, frames paced by %s\n",
                 static_cast<double>(kSecond) / static_cast<double>(period),
                 waits ? "the display" : "the program");
  }
}

// The shortest of the presents: a busy machine can make presents slow, so that they look as if
// they waited for the display, but never makes one that waits return early.
Nanoseconds SdlWindow::TimePresents(int count) {
  Nanoseconds shortest = std::numeric_limits<Nanoseconds>::max();
  for (int i = 0; i < count; ++i) {
    const Nanoseconds start = clock_.Now();
    ShowFrontPage();
    shortest = std::min(shortest, clock_.Now() - start);
  }
  return shortest;
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

void SdlWindow::ZOrder(std::int16_t k) {
  MemoryDisplay::ZOrder(k);
  if (pacer_) pacer_->WaitForFrame();
  ShowFrontPage();
  if (stats_) stats_->CountFrame(clock_.Now(), ProcessCpuTime());
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
  if (SDL_UpdateWindowSurfaceRects(window_, update_rects_.data(), static_cast<int>(rects.size())) !=
      0) {
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
  if (SDL_UpdateWindowSurface(window_) != 0) {
    FailRuntime("cannot show the page: %s", SDL_GetError());
  }
}

void SdlWindow::DoEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) HandleEvent(event);
}

void SdlWindow::WaitUntilShown() {
  constexpr int kWaitMilliseconds = 100;
  while (!shown_) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kWaitMilliseconds) != 0) HandleEvent(event);
  }
}

void SdlWindow::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      // SDL reports keys that were already held when the window got the focus (the
      // modifiers of a shortcut that started the program, Alt of an Alt+Tab back) as
      // presses for no window; only a press made on the window counts.
      if (event.key.windowID != 0) pb_KeyDown();
      break;
    case SDL_MOUSEBUTTONDOWN:
      pressed_buttons_ |= ButtonBit(event.button.button);
      break;
    case SDL_MOUSEBUTTONUP:
      HandleButtonUp(event.button);
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(event.window);
      break;
    case SDL_QUIT:
      Form_CloseRequest();
    default:
      break;
  }
}

void SdlWindow::HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      shown_ = true;
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      // The window system lost what the window showed: all of it goes again.
      shown_ = true;
      damage_.Forget();
      ShowFrontPage();
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // SDL makes a new window surface, whose pixels are not yet the page's.
      damage_.Forget();
      break;
    case SDL_WINDOWEVENT_CLOSE:
      Form_CloseRequest();
    default:
      break;
  }
}

// A click is a button pressed on the window and released on it.
void SdlWindow::HandleButtonUp(const SDL_MouseButtonEvent& event) {
  const std::uint32_t bit = ButtonBit(event.button);
  const bool pressed_here = (pressed_buttons_ & bit) != 0;
  pressed_buttons_ &= ~bit;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &width, &height);
  if (pressed_here && event.x >= 0 && event.y >= 0 && event.x < width && event.y < height) {
    pb_Click();
  }
}

void SdlWindow::pb_KeyDown() {
  EndProgram();
}

void SdlWindow::pb_Click() {
  EndProgram();
}

void SdlWindow::Form_CloseRequest() {
  EndProgram();
}

void SdlWindow::EndProgram() {
  SDL_Quit();
  std::exit(0);
}

}  // namespace flakemorph
