#include "platform/x11/x11_window_system.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/fail.h"
#include "figures/quoted_text.h"
#include "platform/desktop_scale.h"
#include "platform/monitor_plan.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_foreign_window.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_visual.h"
#include "platform/x11/x11_window.h"

namespace flakemorph {
namespace {

// How long start-up waits at a time for its windows to be shown, ready for a signal meanwhile.
constexpr Nanoseconds kShownWait = kSecond / 10;

bool InsideAnotherProgram(const WindowRequest& request) {
  return request.mode == WindowMode::kRoot || request.mode == WindowMode::kForeignWindow ||
         request.mode == WindowMode::kWallpaper;
}

// Why there is no display, with `prefix` before it.
[[noreturn]] void FailToReach(const char* prefix) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    Fail(1, "%sno display found (DISPLAY is not set)", prefix);
  }
  Fail(1, "%scannot reach the display %s", prefix, QuotedText(name, "a name").c_str());
}

Cursor InvisibleCursor(::Display* display, Window root) {
  const char nothing[1] = {0};
  const Pixmap blank = XCreateBitmapFromData(display, root, nothing, 1, 1);
  XColor black{};
  const Cursor cursor = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
  XFreePixmap(display, blank);
  return cursor;
}

InputKind KindOfButton(unsigned button) {
  // Buttons 4 to 7 are the wheels' turns, up, down, left and right.
  return button >= 4 && button <= 7 ? InputKind::kWheelTurned : InputKind::kButtonPressed;
}

// RandR's news of the monitors on a connection of its own, opened after the program's: the
// error handlers come first.
std::optional<X11Monitors> OpenMonitors() {
  InstallX11ErrorHandlers();
  return X11Monitors::Open();
}

class X11WindowSystem final : public WindowSystem {
 public:
  X11WindowSystem(const WindowRequest& request, const EventContext& context)
      : context_(context), monitors_(OpenMonitors()) {
    InstallX11ErrorHandlers();
    const bool foreign = InsideAnotherProgram(request);
    connection_.display = XOpenDisplay(nullptr);
    if (connection_.display == nullptr) FailToReach(foreign ? "" : "cannot open a window: ");
    ::Display* display = connection_.display;
    connection_.screen = DefaultScreen(display);
    connection_.shared_memory = X11SharedMemory::Of(display);
    connection_.wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    connection_.wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    scale_ = request.scale > 0 ? request.scale
                               : DesktopScale(std::getenv("GDK_SCALE"),
                                              monitors_ ? monitors_->Resources() : nullptr);
    if (foreign) {
      OpenForeign(request);
    } else {
      OpenOwn(request);
    }
    refresh_hz_ = monitors_ ? monitors_->RefreshHz() : 0;
    ListWindows();
    XFlush(display);
  }

  ~X11WindowSystem() override {
    gone_.clear();
    windows_.clear();
    if (connection_.invisible_cursor != 0) {
      XFreeCursor(connection_.display, connection_.invisible_cursor);
    }
    XCloseDisplay(connection_.display);
  }

  std::span<ProgramWindow* const> Windows() override { return program_windows_; }
  int RefreshHz() const override { return refresh_hz_; }

  bool WaitUntilShown() override {
    const auto shown = [](const std::unique_ptr<X11Window>& window) { return window->Shown(); };
    while (!context_.input.Ended() && !std::all_of(windows_.begin(), windows_.end(), shown)) {
      if (!TakeEvents()) Wait(kShownWait);
    }
    return !context_.input.Ended();
  }

  bool HandlePending(Nanoseconds wait) override {
    // The program has let go of them since it last called.
    gone_.clear();
    if (!TakeEvents() && wait > 0 && !context_.input.Ended()) {
      Wait(wait);
      TakeEvents();
    }
    return !context_.input.Ended();
  }

 private:
  void OpenForeign(const WindowRequest& request) {
    const X11ForeignWindow foreign = OpenForeignWindow(connection_.display, request.window_id);
    windows_.push_back(X11Window::Foreign(connection_, foreign, scale_));
    if (request.stats != nullptr) SayForeignSize(*request.stats, *windows_.back());
  }

  void SayForeignSize(StatsOut& stats, const X11Window& window) const {
    std::array<char, 24> id{};
    std::snprintf(id.data(), id.size(), "0x%lx", window.Id());
    stats.SayWindow({id.data(), "another program's", window.PixelWidth(), window.PixelHeight(),
                     false, 0, 0, scale_});
  }

  void OpenOwn(const WindowRequest& request) {
    ::Display* display = connection_.display;
    const std::optional<X11Visual> visual = ChooseWindowVisual(display, connection_.screen);
    if (!visual) {
      Fail(1,
           "cannot open a window: the display's colour depth of %d bits cannot be shown (it "
           "offers no visual of 8-bit red, green and blue)",
           DefaultDepth(display, connection_.screen));
    }
    visual_ = *visual;
    const Window root = RootWindow(display, connection_.screen);
    connection_.invisible_cursor = InvisibleCursor(display, root);
    if (request.mode == WindowMode::kPreview) {
      const auto screen_pixels = [&](int side) {
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{side} * scale_, 32767));
      };
      windows_.push_back(X11Window::Preview(connection_, visual_, PrimaryMonitor(),
                                            screen_pixels(request.width),
                                            screen_pixels(request.height), scale_));
    } else {
      OpenOverEveryMonitor();
    }
  }

  MonitorArea WholeScreen() const {
    ::Display* display = connection_.display;
    return MonitorArea{0, 0, 0, DisplayWidth(display, connection_.screen),
                       DisplayHeight(display, connection_.screen)};
  }

  MonitorArea PrimaryMonitor() {
    const std::vector<MonitorArea> now = monitors_ ? monitors_->Now() : std::vector<MonitorArea>{};
    return now.empty() ? WholeScreen() : now.front();
  }

  // The monitors of the screen as RandR tells them, which it then keeps telling of; where it
  // cannot, the whole screen.
  void OpenOverEveryMonitor() {
    if (monitors_) areas_ = monitors_->Watch();
    following_ = !areas_.empty();
    if (!following_) areas_.push_back(WholeScreen());
    for (const MonitorArea& area : areas_) {
      windows_.push_back(X11Window::OverArea(connection_, visual_, area, scale_));
    }
  }

  // A monitor keeps its RandR name while its mode or place changes; one of a new name is new.
  // While monitors are being switched RandR may briefly tell of none: the windows then wait.
  void FollowMonitors() {
    const std::vector<MonitorArea> now = monitors_->Now();
    if (now.empty()) return;
    const MonitorPlan<MonitorArea> plan = PlanWindows<MonitorArea>(areas_, now, false);
    for (const auto& move : plan.moves) {
      windows_[move.window]->Cover(move.monitor);
      areas_[move.window] = move.monitor;
    }
    for (const std::size_t gone : plan.gone) {
      gone_.push_back(std::move(windows_[gone]));
      windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(gone));
      areas_.erase(areas_.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    for (const MonitorArea& area : plan.added) {
      windows_.push_back(X11Window::OverArea(connection_, visual_, area, scale_));
      areas_.push_back(area);
    }
    ListWindows();
    XFlush(connection_.display);
  }

  void ListWindows() {
    program_windows_.clear();
    for (const std::unique_ptr<X11Window>& window : windows_) {
      program_windows_.push_back(window.get());
    }
  }

  // Until an event comes on either connection, a signal, or `wait` has passed.
  void Wait(Nanoseconds wait) {
    XFlush(connection_.display);
    std::array<WatchedDescriptor, 2> watched{{{ConnectionNumber(connection_.display)}, {}}};
    std::size_t count = 1;
    if (following_) watched[count++].descriptor = monitors_->Connection();
    context_.waiter.WaitFor(std::span(watched).first(count), wait);
  }

  // Handles every event that came; whether any did.
  bool TakeEvents() {
    bool any = false;
    JudgeErrors();
    while (XPending(connection_.display) > 0) {
      XEvent event;
      XNextEvent(connection_.display, &event);
      Handle(event);
      any = true;
    }
    if (following_ && monitors_->TakeChanges()) {
      FollowMonitors();
      any = true;
    }
    JudgeErrors();
    return any;
  }

  X11Window* WindowOf(unsigned long id) const {
    for (const std::unique_ptr<X11Window>& window : windows_) {
      if (window->Id() == id) return window.get();
    }
    return nullptr;
  }

  void Handle(XEvent& event) {
    if (event.type == connection_.shared_memory.completion_event &&
        connection_.shared_memory.completion_event != 0) {
      const auto& completion = reinterpret_cast<const XShmCompletionEvent&>(event);
      if (X11Window* window = WindowOf(completion.drawable)) window->Completed(completion.shmseg);
      return;
    }
    X11Window* window = WindowOf(event.xany.window);
    if (window == nullptr) return;
    switch (event.type) {
      case MapNotify:
        window->Mapped();
        TakeKeyboard(*window);
        break;
      case Expose:
        window->Exposed();
        break;
      case ConfigureNotify:
        window->Configured(event.xconfigure.width, event.xconfigure.height);
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == window->Id()) Destroyed(*window);
        break;
      default:
        // A window of another program takes no input: its keyboard and pointer are its owner's.
        if (!window->IsForeign()) HandleInput(event);
        break;
    }
  }

  // The user's input, in the program's words, for the program to judge.
  void HandleInput(XEvent& event) {
    InputSink& input = context_.input;
    switch (event.type) {
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        input.Take({IsModifierKey(key) ? InputKind::kModifierPressed : InputKind::kKeyPressed});
        break;
      }
      case ButtonPress:
        input.Take(
            {KindOfButton(event.xbutton.button), event.xbutton.x_root, event.xbutton.y_root});
        break;
      case MotionNotify:
        input.Take({InputKind::kPointerMoved, event.xmotion.x_root, event.xmotion.y_root});
        break;
      case FocusOut:
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            FocusWentToAnother()) {
          input.Take({InputKind::kFocusLost});
        }
        break;
      case ClientMessage:
        if (event.xclient.message_type == connection_.wm_protocols && event.xclient.format == 32 &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == connection_.wm_delete_window) {
          input.Take({InputKind::kCloseRequested});
        }
        break;
      default:
        break;
    }
  }

  // Whether the keyboard now belongs to a window of another program: not one of ours, and not
  // the root, nobody's, nor none at all.
  bool FocusWentToAnother() const {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(connection_.display, &focus, &revert);
    return focus != None && focus != PointerRoot &&
           focus != RootWindow(connection_.display, connection_.screen) &&
           WindowOf(focus) == nullptr;
  }

  // No window manager gives a window that bypasses it the keyboard: it takes it once it is
  // shown, the first of them (the primary monitor's).
  void TakeKeyboard(const X11Window& window) {
    if (keyboard_taken_ || window.IsForeign()) return;
    keyboard_taken_ = true;
    XSetInputFocus(connection_.display, window.Id(), RevertToParent, CurrentTime);
  }

  // A server that is shutting down destroys every window, that of another program among them,
  // before it closes our connection: the display going away must not pass for the owner being
  // done with the window. A round trip tells them apart, as a server that shuts down answers
  // no more requests.
  void Destroyed(const X11Window& window) {
    if (!window.IsForeign()) return;
    XSync(connection_.display, False);
    context_.input.Take({InputKind::kCloseRequested});
  }

  // Drawing into a window that its owner has just destroyed fails; that is the owner being
  // done, not a fault. Any other error is one.
  void JudgeErrors() {
    const X11Error error = TakeX11Error();
    if (error.error_code == 0) return;
    // The keyboard asked for by a window that its monitor took away again at once: no harm.
    if (error.request_code == X_SetInputFocus) return;
    for (const std::unique_ptr<X11Window>& window : windows_) {
      if (window->IsForeign() && !WindowExists(connection_.display, window->Id())) {
        context_.input.Take({InputKind::kCloseRequested});
        return;
      }
    }
    FailWithX11Error(connection_.display, error);
  }

  EventContext context_;
  std::optional<X11Monitors> monitors_;
  X11Connection connection_;
  X11Visual visual_;
  int scale_ = 1;
  int refresh_hz_ = 0;
  bool keyboard_taken_ = false;
  // With following_, the monitor each window covers, in the same order.
  bool following_ = false;
  std::vector<MonitorArea> areas_;
  std::vector<std::unique_ptr<X11Window>> windows_;
  // Windows whose monitor went, kept until the program has seen them gone and let go of them:
  // a window made meanwhile never takes the place in memory of one that it still holds.
  std::vector<std::unique_ptr<X11Window>> gone_;
  std::vector<ProgramWindow*> program_windows_;
};

}  // namespace

std::unique_ptr<WindowSystem> OpenX11WindowSystem(const WindowRequest& request,
                                                  const EventContext& context) {
  return std::make_unique<X11WindowSystem>(request, context);
}

}  // namespace flakemorph
