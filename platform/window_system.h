// What the program needs of a window system, whichever it is: its windows, each with the pages
// an animation draws on, and their events. The window systems live in folders of their own
// beside this header; the program picks one at start-up and never sees its headers.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "display/display.h"

namespace flakemorph {

using Nanoseconds = std::int64_t;
inline constexpr Nanoseconds kSecond = 1'000'000'000;

// One window of the program, of whatever kind.
class ProgramWindow {
 public:
  virtual ~ProgramWindow() = default;
  // What the window's animation draws on. Its ZOrder only marks the page in front and its
  // DoEvents does nothing: the program shows the frames of all windows together and then
  // handles the events of all of them.
  virtual Display& Surfaces() = 0;
  // Puts the page in front on the screen, with the text of ShowText over it.
  virtual void ShowFrame() = 0;
  // Text for a corner of the window from the next frame on (the frame rate of --fps).
  virtual void ShowText(std::string_view text) = 0;
  // True once after the window took a new size (its monitor's mode changed, its owner resized
  // it): Surfaces() has the new size and the program starts the window's animation anew.
  virtual bool TakeResize() { return false; }
};

// The window system's events, for all windows of the program.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles events until every window is on the screen, the moment the animations start.
  // False if an event ended the program meanwhile.
  virtual bool WaitUntilShown() = 0;
  // Handles every pending event; when none is pending, first waits up to `wait` for one, so
  // that the time between frames is spent ready for events. False once an event ended the
  // program: a key or a click on any window, a close request for any of them, SIGINT or
  // SIGTERM.
  virtual bool HandlePending(Nanoseconds wait = 0) = 0;
};

// A window system with the windows it opened for the program.
class WindowSystem : public EventPump {
 public:
  // The windows now. Only the events change them, as monitors come and go; the program gives
  // a new window an animation of its own and drops the animation of a window that went.
  virtual std::span<ProgramWindow* const> Windows() = 0;
  // The refresh rate of the primary display; 0 where it does not say.
  virtual int RefreshHz() const = 0;
};

}  // namespace flakemorph
