#include "platform/x11/sdl_session.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "figures/quoted_text.h"
#include "platform/x11/sdl_window.h"
#include "platform/x11/x11_visual.h"

namespace flakemorph {
namespace {

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
    std::snprintf(reason.data(), reason.size(), "cannot reach the display %s",
                  QuotedText(display, "a name").c_str());
  }
  return reason;
}

// The window an event happened on; 0 for none, as for keys that were already held when a
// window got the focus.
std::uint32_t WindowIdOf(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    default:
      return 0;
  }
}

}  // namespace

void FailToOpen(const char* reason) {
  std::fprintf(stderr, "flakemorph: cannot open a window: %s\n", reason);
  SDL_Quit();
  std::exit(1);
}

SdlSession::SdlSession(bool inside_another_program) {
  // This is the X11 window system: where there is no X display, SDL would otherwise turn to
  // its Wayland driver, which draws every frame through OpenGL. SDL_VIDEODRIVER still wins.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  // SDL asks D-Bus for input methods; with no session bus, libdbus would start one of its own
  // (dbus-launch, with a window of its own on the display) and leave it running after we end.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", /*overwrite=*/0);
  // A screen saver must never keep the display awake: SDL would otherwise suspend the display's
  // screen saver and reset its idle timer every 30 s, so that neither power saving nor an idle
  // locker ever starts, whether we run on our own or inside a screen saver.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // SIGINT and SIGTERM are the program's own, seen in its wait.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    FailToOpen(std::getenv("SDL_VIDEODRIVER") == nullptr ? NoDisplayReason().data()
                                                         : SDL_GetError());
  }
  if (OnlyAnInvisibleDriver()) FailToOpen(NoDisplayReason().data());
  if (!inside_another_program && std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
    ChooseWindowVisual();
  }
  // On X11 a window surface otherwise goes through an OpenGL texture, which costs ten times as
  // much per page where OpenGL is software; shared-memory images are the cheap way.
  if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
}

SdlSession::~SdlSession() {
  SDL_Quit();
}

SdlEventPump::SdlEventPump(std::span<SdlWindow* const> windows, const EventContext& context,
                           int also_wake_for)
    : windows_(windows.begin(), windows.end()),
      context_(context),
      connection_(ConnectionOf(windows_.empty() ? nullptr : windows_.front())),
      also_wake_for_(also_wake_for) {}

void SdlEventPump::SetWindows(std::span<SdlWindow* const> windows) {
  windows_.assign(windows.begin(), windows.end());
}

bool SdlEventPump::WaitUntilShown() {
  constexpr Nanoseconds kWait = kSecond / 10;
  const auto shown = [](const SdlWindow* window) { return window->Shown(); };
  while (!std::all_of(windows_.begin(), windows_.end(), shown)) {
    if (!HandlePending(kWait)) return false;
  }
  return !context_.input.Ended();
}

bool SdlEventPump::HandlePending(Nanoseconds wait) {
  SDL_PumpEvents();
  const bool pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
  Wait(pending ? 0 : wait);
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Handle(event);
  return !context_.input.Ended();
}

// Waits on the display's connection itself, through the program's wait: SDL's own counts in
// whole milliseconds and sees no signal. SDL_PumpEvents has read everything the connection had,
// so what wakes the wait is new.
void SdlEventPump::Wait(Nanoseconds wait) {
  std::array<WatchedDescriptor, 2> watched{{{connection_}, {also_wake_for_}}};
  const std::size_t count = connection_ < 0 ? 0 : also_wake_for_ >= 0 ? 2 : 1;
  context_.waiter.WaitFor(std::span(watched).first(count), std::max<Nanoseconds>(wait, 0));
}

// The file descriptor of the X connection the windows are on; -1 for another video driver.
int SdlEventPump::ConnectionOf(SdlWindow* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window->Native(), &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return -1;
  }
  return ConnectionNumber(info.info.x11.display);
}

// SDL's quit event comes when the last of its windows is asked to close.
void SdlEventPump::Handle(const SDL_Event& event) {
  if (event.type == SDL_QUIT) return context_.input.Take({InputKind::kCloseRequested});
  if (SdlWindow* window = WindowOf(WindowIdOf(event))) window->HandleEvent(event, context_.input);
}

SdlWindow* SdlEventPump::WindowOf(std::uint32_t window_id) const {
  if (window_id == 0) return nullptr;
  for (SdlWindow* window : windows_) {
    if (window->Id() == window_id) return window;
  }
  return nullptr;
}

}  // namespace flakemorph
