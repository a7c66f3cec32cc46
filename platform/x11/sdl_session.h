// SDL's video for the life of the program, and the event pump that serves all its windows:
// SDL has one queue of events for all of them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/window_system.h"

union SDL_Event;

namespace flakemorph {

class SdlWindow;

// Prints "flakemorph: cannot open a window: " and the reason on stderr and exits with status 1.
[[noreturn]] void FailToOpen(const char* reason);

// Starts SDL's video, or ends the program through FailToOpen when there is no display to show
// anything on; SDL_Quit when it goes.
class SdlSession {
 public:
  // `inside_another_program`: the windows will be X windows of other programs, so SDL must use
  // X11 whatever else it could. In every mode the display's screen saver stays free to start.
  explicit SdlSession(bool inside_another_program);
  SdlSession(const SdlSession&) = delete;
  SdlSession& operator=(const SdlSession&) = delete;
  ~SdlSession();
};

// Hands every event to the window it is for, which tells the program's input of it; waits
// through the program's waiter, which sees SIGINT and SIGTERM.
class SdlEventPump final : public EventPump {
 public:
  // `also_wake_for`: a file descriptor whose news the program waits for as for events, -1 for
  // none.
  SdlEventPump(std::span<SdlWindow* const> windows, const EventContext& context,
               int also_wake_for = -1);

  // The windows now, after some came or went.
  void SetWindows(std::span<SdlWindow* const> windows);

  bool WaitUntilShown() override;
  bool HandlePending(Nanoseconds wait) override;

 private:
  void Wait(Nanoseconds wait);
  static int ConnectionOf(SdlWindow* window);
  void Handle(const SDL_Event& event);
  SdlWindow* WindowOf(std::uint32_t window_id) const;

  std::vector<SdlWindow*> windows_;
  EventContext context_;
  int connection_ = -1;
  int also_wake_for_ = -1;
};

}  // namespace flakemorph
