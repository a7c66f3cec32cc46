#include "platform/windows/windows_window_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/windows/message.h"
#include "platform/windows/waitable_timer.h"
#include "platform/windows/win32_window.h"

namespace flakemorph {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM monitors) {
  reinterpret_cast<std::vector<RECT>*>(monitors)->push_back(*bounds);
  return TRUE;
}

// The monitors in the system's order, in their real pixels: the manifest declares the program
// aware of each monitor's scaling.
std::vector<RECT> Monitors() {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    monitors.push_back(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }
  return monitors;
}

class WindowsWindowSystem final : public WindowSystem {
 public:
  WindowsWindowSystem(const WindowRequest& request, const EventContext& context)
      : every_monitor_(request.mode == WindowMode::kEveryMonitor),
        primary_monitor_only_(every_monitor_ && request.primary_monitor_only),
        scale_(request.scale),
        stats_(request.stats),
        events_{context.input} {
    OpenWindows(request);
    ListProgramWindows();
    if (request.screen_saver) {
      // The pointer is hidden over the saver's windows; where it rests now is where a move
      // counts from.
      POINT pointer{};
      if (GetCursorPos(&pointer))
        events_.input.Take({InputKind::kPointerMoved, pointer.x, pointer.y});
      SetForegroundWindow(windows_.front()->Handle());
    }
    TellWindows("");
  }

  std::span<ProgramWindow* const> Windows() override { return program_windows_; }

  int RefreshHz() const override {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    // 0 and 1 stand for the hardware's default rate, which Windows does not say.
    return mode.dmDisplayFrequency > 1 ? static_cast<int>(mode.dmDisplayFrequency) : 0;
  }

  bool WaitUntilShown() override { return HandlePending(0); }

  bool HandlePending(Nanoseconds wait) override {
    timer_.WaitForMessage(wait);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) events_.input.Take({InputKind::kCloseRequested});
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      if (window->ParentGone()) events_.input.Take({InputKind::kCloseRequested});
      window->FollowParent();
    }
    if (!events_.input.Ended() && (events_.displays_changed || desktop_ != Desktop::Now())) {
      FollowMonitors();
    }
    return !events_.input.Ended();
  }

 private:
  void OpenWindows(const WindowRequest& request) {
    switch (request.mode) {
      case WindowMode::kEveryMonitor:
        for (const RECT& monitor : Monitors()) {
          windows_.push_back(Win32Window::OverMonitor(monitor, scale_, events_));
        }
        ShowCursor(FALSE);
        break;
      case WindowMode::kPreview:
        windows_.push_back(Win32Window::Framed(request.width, request.height, scale_, events_));
        break;
      case WindowMode::kForeignWindow:
        windows_.push_back(Win32Window::ChildOf(
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.window_id)), scale_, events_));
        break;
      case WindowMode::kRoot:
      case WindowMode::kWallpaper:
        FailWithMessage("the screen saver runs with /s, not --root or --wallpaper", 2);
    }
  }

  // A window stays over a monitor that stays; a window whose monitor went takes over a new
  // monitor (or one of another size) where there is one, and goes otherwise; a monitor left
  // over gets a new window.
  void FollowMonitors() {
    events_.displays_changed = false;
    desktop_ = Desktop::Now();
    if (!every_monitor_) return;
    std::vector<RECT> monitors = Monitors();
    std::vector<Win32Window*> moving;
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      const RECT place = window->Place();
      const auto same = [&place](const RECT& monitor) { return EqualRect(&monitor, &place); };
      const auto kept = std::find_if(monitors.begin(), monitors.end(), same);
      if (kept == monitors.end()) {
        moving.push_back(window.get());
      } else {
        monitors.erase(kept);
      }
    }
    for (Win32Window* window : moving) {
      if (monitors.empty()) {
        std::erase_if(windows_, [window](const auto& owned) { return owned.get() == window; });
        continue;
      }
      window->MoveOver(monitors.front());
      monitors.erase(monitors.begin());
    }
    for (const RECT& monitor : monitors) {
      windows_.push_back(Win32Window::OverMonitor(monitor, scale_, events_));
    }
    ListProgramWindows();
    TellWindows("the monitors changed: ");
  }

  // The windows with an animation. With "on the primary monitor only", the windows over the
  // other monitors stay black (and still take the input that ends the saver).
  void ListProgramWindows() {
    program_windows_.clear();
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      if (!primary_monitor_only_ || OverPrimaryMonitor(*window)) {
        program_windows_.push_back(window.get());
      }
    }
    if (program_windows_.empty() && !windows_.empty()) {
      program_windows_.push_back(windows_.front().get());
    }
  }

  // The primary monitor is the one whose top-left corner is the desktop's origin.
  static bool OverPrimaryMonitor(const Win32Window& window) {
    const RECT place = window.Place();
    return place.left == 0 && place.top == 0;
  }

  // With FLAKEMORPH_STATS, says which windows there are and where.
  void TellWindows(const char* why) {
    if (stats_ == nullptr) return;
    std::fprintf(stats_, "flakemorph: %s%zu window%s\n", why, windows_.size(),
                 windows_.size() == 1 ? "" : "s");
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      const RECT place = window->Place();
      std::fprintf(stats_, "flakemorph: window %ldx%ld at %ld,%ld%s", place.right - place.left,
                   place.bottom - place.top, place.left, place.top,
                   Animated(*window) ? "" : ", black");
      if (window->Scale() > 1) {
        std::fprintf(stats_, ", pages of %gx%g at scale %d",
                     static_cast<double>(window->Surfaces().ScaleWidth()),
                     static_cast<double>(window->Surfaces().ScaleHeight()), window->Scale());
      }
      std::fputc('\n', stats_);
    }
    std::fflush(stats_);
  }

  bool Animated(const Win32Window& window) const {
    return std::find(program_windows_.begin(), program_windows_.end(), &window) !=
           program_windows_.end();
  }

  // What the system says of all monitors together, cheaply enough to ask after every frame:
  // not every change of a monitor comes with a WM_DISPLAYCHANGE to every program.
  struct Desktop {
    int monitors, left, top, width, height;
    static Desktop Now() {
      return {GetSystemMetrics(SM_CMONITORS), GetSystemMetrics(SM_XVIRTUALSCREEN),
              GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
              GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    bool operator==(const Desktop&) const = default;
  };

  Desktop desktop_ = Desktop::Now();
  bool every_monitor_;
  bool primary_monitor_only_;
  int scale_;  // 0: each window's monitor's
  std::FILE* stats_;
  WindowEvents events_;
  WaitableTimer timer_;
  std::vector<std::unique_ptr<Win32Window>> windows_;
  std::vector<ProgramWindow*> program_windows_;
};

bool Usable(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseParentConsole() {
  if (Usable(STD_OUTPUT_HANDLE) && Usable(STD_ERROR_HANDLE)) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!Usable(STD_OUTPUT_HANDLE)) std::freopen("CONOUT$", "w", stdout);
  if (!Usable(STD_ERROR_HANDLE)) std::freopen("CONOUT$", "w", stderr);
}

std::unique_ptr<WindowSystem> OpenWindowsWindowSystem(const WindowRequest& request,
                                                      const EventContext& context) {
  return std::make_unique<WindowsWindowSystem>(request, context);
}

}  // namespace flakemorph
