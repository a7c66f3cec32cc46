#include "platform/x11/x11_foreign_window.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "figures/quoted_text.h"

namespace flakemorph {
namespace {

// Xlib calls its handlers with no room for a context of ours, so what they report waits here
// until the watched window looks at it.
XErrorHandler xlib_error_handler = nullptr;
std::atomic<bool> watching{false};
std::atomic<int> kept_error_code{0};
std::atomic<int> kept_request_code{0};

int OnXError(Display* display, XErrorEvent* error) {
  if (!watching.load()) return xlib_error_handler(display, error);
  if (kept_error_code.load() == 0) {
    kept_request_code.store(error->request_code);
    kept_error_code.store(error->error_code);
  }
  return 0;
}

// Xlib ends the process itself if this returns, after a message of its own.
int OnXIOError(Display* /*display*/) {
  std::fputs("flakemorph: lost the display\n", stderr);
  std::fflush(stderr);
  _exit(1);
}

// False, and no error kept, if the window does not exist.
bool ReadAttributes(Display* display, Window window, XWindowAttributes& attributes) {
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  if (!exists) kept_error_code.store(0);
  return exists;
}

[[noreturn]] void FailToReach() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    std::fputs("flakemorph: no display found (DISPLAY is not set)\n", stderr);
  } else {
    std::fprintf(stderr, "flakemorph: cannot reach the display %s\n",
                 QuotedText(name, "a name").c_str());
  }
  std::exit(1);
}

}  // namespace

void InstallX11ErrorHandlers() {
  static const bool installed = [] {
    xlib_error_handler = XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    return true;
  }();
  static_cast<void>(installed);
}

X11ForeignWindow::X11ForeignWindow(WindowId target) {
  InstallX11ErrorHandlers();
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) FailToReach();
  window_ = target == 0 ? DefaultRootWindow(display_) : target;
  watching.store(true);
  // Selected before the window is looked at, so that it cannot go unseen in between. Both
  // masks may be selected by any number of clients, unlike keys and buttons.
  XSelectInput(display_, window_, StructureNotifyMask | ExposureMask);
  XWindowAttributes attributes{};
  if (!ReadAttributes(display_, window_, attributes)) {
    // A daemon may destroy the window it gave us before we look at it: its owner is done with
    // the picture, as when the window goes later.
    if (OwnerConnected()) EndQuietly();
    FailWith("no window 0x%lx on the display");
  }
  if (attributes.c_class == InputOnly) {
    FailWith("window 0x%lx cannot be drawn on: it is an input-only window");
  }
  // The pixels SDL can draw into; a window of 30-bit colour, say, is not among them.
  const int depth = attributes.depth;
  if (depth != 15 && depth != 16 && depth != 24 && depth != 32) {
    FailWith("window 0x%lx cannot be drawn on: its colour depth of %d bits is not 15, 16, 24 or 32",
             depth);
  }
}

void X11ForeignWindow::FailWith(const char* format, int number) const {
  std::fputs("flakemorph: ", stderr);
  std::fprintf(stderr, format, window_, number);
  std::fputc('\n', stderr);
  std::exit(1);
}

// Whether a client connected now, other than the server itself, makes ids such as the
// window's: a window of such a client that does not exist was destroyed. Without the
// X-Resource extension nobody can tell.
bool X11ForeignWindow::OwnerConnected() const {
  int event_base = 0;
  int error_base = 0;
  if (!XResQueryExtension(display_, &event_base, &error_base)) return false;
  int count = 0;
  XResClient* clients = nullptr;
  if (XResQueryClients(display_, &count, &clients) == 0) return false;
  bool connected = false;
  for (int i = 0; i < count; ++i) {
    const XResClient& client = clients[i];
    connected = connected || (client.resource_base != 0 &&
                              (window_ & ~client.resource_mask) == client.resource_base);
  }
  XFree(clients);
  return connected;
}

X11ForeignWindow::~X11ForeignWindow() {
  watching.store(false);
  XCloseDisplay(display_);
}

bool X11ForeignWindow::WindowExists() {
  XWindowAttributes attributes{};
  return ReadAttributes(display_, window_, attributes);
}

bool X11ForeignWindow::TakeEvents() {
  Watch();
  return std::exchange(lost_pixels_, false);
}

int X11ForeignWindow::Connection() const {
  return ConnectionNumber(display_);
}

// An error is judged before the events: whether the window still exists decides, whatever
// the queue holds.
void X11ForeignWindow::Watch() {
  const int error_code = kept_error_code.load();
  if (error_code != 0) JudgeError(error_code, kept_request_code.load());
  lost_pixels_ = TakeQueuedEvents() || lost_pixels_;
}

bool X11ForeignWindow::TakeQueuedEvents() {
  bool lost_pixels = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == window_) EndOnceDestroyed();
    if (event.type == Expose && event.xexpose.window == window_) lost_pixels = true;
    if (event.type == ConfigureNotify && event.xconfigure.window == window_) {
      configured_ = true;
      width_ = event.xconfigure.width;
      height_ = event.xconfigure.height;
    }
  }
  return lost_pixels;
}

bool X11ForeignWindow::TakeNewSize(int& width, int& height) {
  if (!configured_) return false;
  configured_ = false;
  width = width_;
  height = height_;
  return true;
}

// Drawing into a window that its owner has just destroyed fails; that is the owner being done,
// not a fault. Any other error is one.
void X11ForeignWindow::JudgeError(int error_code, int request_code) {
  if (!WindowExists()) EndQuietly();
  char text[256] = {};
  XGetErrorText(display_, error_code, text, sizeof text);
  std::fprintf(stderr, "flakemorph: X error: %s (request %d)\n", text, request_code);
  std::exit(1);
}

// A server that is shutting down destroys every window, ours among them, before it closes our
// connection: the display going away must not pass for the owner being done. A round trip
// tells them apart, as a server that shuts down answers no more requests.
void X11ForeignWindow::EndOnceDestroyed() {
  XSync(display_, False);
  EndQuietly();
}

void X11ForeignWindow::EndQuietly() {
  std::fflush(stdout);
  std::fflush(stderr);
  // Nothing of ours is left to tidy: the server frees what a client leaves, and SDL would
  // only try again to use the window that is gone.
  _exit(0);
}

}  // namespace flakemorph
