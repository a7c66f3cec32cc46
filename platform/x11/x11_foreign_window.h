// The Xlib side of drawing into a window of another program: checking that the window exists,
// reading its size, and seeing it go. Also the answers to X errors and to the loss of the
// display, which Xlib keeps for the whole process and so for SDL's connection too.
#pragma once

#include <cstdint>

#include "platform/window_request.h"
#include "platform/x11/foreign_window.h"

struct _XDisplay;

namespace flakemorph {

// Installed once, before SDL starts, so that SDL's own handler hands on to these. The display
// going away prints "flakemorph: lost the display" and ends the program with status 1. An X
// error while a window of another program is watched is kept for that window to judge (it is
// what drawing into a window that was just destroyed gives); otherwise Xlib's own handler
// reports it and ends the program.
void InstallX11ErrorHandlers();

class X11ForeignWindow final : public ForeignWindow {
 public:
  // Opens a connection of its own and starts watching the window (0: the root window). If the
  // display cannot be reached or no such window exists, prints why and exits with status 1.
  explicit X11ForeignWindow(WindowId target);
  X11ForeignWindow(const X11ForeignWindow&) = delete;
  X11ForeignWindow& operator=(const X11ForeignWindow&) = delete;
  ~X11ForeignWindow() override;

  std::uintptr_t NativeId() const override { return window_; }
  bool TakeEvents() override;
  bool TakeNewSize(int& width, int& height) override;

  // The connection's file descriptor, readable when there are events to watch.
  int Connection() const;
  // Takes what happened to the window, as TakeEvents does, but keeps the news of lost pixels
  // for TakeEvents.
  void Watch();

 private:
  bool TakeQueuedEvents();
  bool WindowExists();
  bool OwnerConnected() const;
  // Prints format, which names the window with %lx and may give `number` with %d after it,
  // and exits with status 1.
  [[noreturn]] void FailWith(const char* format, int number = 0) const;
  void JudgeError(int error_code, int request_code);
  [[noreturn]] void EndOnceDestroyed();
  [[noreturn]] static void EndQuietly();

  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  bool lost_pixels_ = false;
  bool configured_ = false;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace flakemorph
