// What Xlib reports of errors and of the loss of the display. Xlib calls its handlers for the
// whole process with no room for a context of ours, so an error waits here until the window
// system, between its events, judges it: drawing into a window its owner has just destroyed
// fails, and only the window system knows whether that was the window of another program.
#pragma once

struct _XDisplay;

namespace flakemorph {

// Installed once, before the first connection. The display going away prints "flakemorph:
// lost the display" and ends the program with status 1; an X error is kept, the first one
// only, for TakeX11Error.
void InstallX11ErrorHandlers();

struct X11Error {
  int error_code = 0;  // 0: none
  int request_code = 0;
  int minor_code = 0;
};

// The first error since the last call, if any came.
X11Error TakeX11Error();
// Keeps `error` again for the next TakeX11Error, unless another one is kept by then: for an
// error that came before what the taker looked for, and that is not its to judge.
void KeepX11Error(const X11Error& error);

// Prints "flakemorph: X error: " with Xlib's text for `error` and exits with status 1.
[[noreturn]] void FailWithX11Error(_XDisplay* display, const X11Error& error);

}  // namespace flakemorph
