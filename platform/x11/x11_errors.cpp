#include "platform/x11/x11_errors.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "common/fail.h"

namespace flakemorph {
namespace {

std::atomic<int> kept_error_code{0};
std::atomic<int> kept_request_code{0};
std::atomic<int> kept_minor_code{0};

int OnXError(Display* /*display*/, XErrorEvent* error) {
  KeepX11Error({error->error_code, error->request_code, error->minor_code});
  return 0;
}

// Xlib ends the process itself if this returns, after a message of its own.
int OnXIOError(Display* /*display*/) {
  std::fputs("flakemorph: lost the display\n", stderr);
  std::fflush(stderr);
  _exit(1);
}

}  // namespace

void InstallX11ErrorHandlers() {
  static const bool installed = [] {
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    return true;
  }();
  static_cast<void>(installed);
}

X11Error TakeX11Error() {
  X11Error error;
  error.error_code = kept_error_code.load();
  if (error.error_code == 0) return error;
  error.request_code = kept_request_code.load();
  error.minor_code = kept_minor_code.load();
  kept_error_code.store(0);
  return error;
}

void KeepX11Error(const X11Error& error) {
  if (error.error_code == 0 || kept_error_code.load() != 0) return;
  kept_request_code.store(error.request_code);
  kept_minor_code.store(error.minor_code);
  kept_error_code.store(error.error_code);
}

void FailWithX11Error(Display* display, const X11Error& error) {
  char text[256] = {};
  XGetErrorText(display, error.error_code, text, sizeof text);
  Fail(1, "X error: %s (request %d.%d)", text, error.request_code, error.minor_code);
}

}  // namespace flakemorph
