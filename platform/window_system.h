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

// What the user or the system did, in the program's words. Each window system turns its own
// events into these and hands them to the program's InputSink, which alone decides, by the
// mode of the run, which of them end it.
enum class InputKind : std::uint8_t {
  kKeyPressed,       // a key other than a modifier, on its press (never on its release)
  kModifierPressed,  // Shift, Ctrl, Alt, Super and the like alone, on a press: not one that was
                     // already held when the window got the keyboard
  kButtonPressed,    // a pointer button, on its press
  kWheelTurned,      // a wheel or a scroll of a touchpad
  kTouched,          // a finger down on a touch screen
  kPointerMoved,     // the pointer is now at (x, y): screen pixels where the window system knows
                     // them, else the window's own
  kFocusLost,        // the keyboard went to a window of another program
  kCloseRequested,   // the window system asks for a window to be closed
  kEndingSignal,     // SIGINT, SIGTERM, or the end of the session
};

struct InputEvent {
  InputKind kind;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void Take(const InputEvent& event) = 0;
  // Whether what was taken so far ends the program.
  virtual bool Ended() const = 0;
  // For a window system that shows its windows only now and then (the idle saver): whether what
  // was taken since the windows were last shown takes them away again. Where every showing is
  // the whole run, whatever ends the one ends the other.
  virtual bool ShowingEnded() const { return Ended(); }
  // The windows are shown anew: what ended the last showing is forgotten.
  virtual void NewShowing() {}
};

// A descriptor a window system must be woken for (its connection to the display server), and
// whether the last wait found it readable.
struct WatchedDescriptor {
  int descriptor = -1;
  bool readable = false;
};

// The program's one wait, which the program owns together with the ending signals: a window
// system waits only through it, so that SIGINT and SIGTERM are seen in any wait, start-up's
// included.
class Waiter {
 public:
  virtual ~Waiter() = default;
  // Waits until one of `watched` is readable, an ending signal came (handed to the sink as
  // kEndingSignal before this returns) or `wait` passed; a negative wait has no end. Sets each
  // one's `readable`; gives whether any is.
  virtual bool WaitFor(std::span<WatchedDescriptor> watched, Nanoseconds wait) = 0;
};

// What the program lends a window system for as long as it is open.
struct EventContext {
  InputSink& input;
  Waiter& waiter;
};

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
  // False if the run ended meanwhile.
  virtual bool WaitUntilShown() = 0;
  // Handles every pending event, handing the input to the EventContext's sink; when none is
  // pending, first waits up to `wait` for one (through the context's waiter), so that the time
  // between frames is spent ready for events. Gives whether the run goes on: false once the
  // sink says it Ended() (it alone decides which input ends it), or once the window system has
  // no window left to show.
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
  // Whether it shows no window for now but will again (the idle saver between two idle
  // periods): the program then keeps running without windows, waiting in HandlePending.
  virtual bool Resting() const { return false; }
};

}  // namespace flakemorph
