#include "platform/windows/windows_window_system.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/monitor_plan.h"
#include "platform/windows/message.h"
#include "platform/windows/win32_window.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace flakemorph {
namespace {

constexpr Nanoseconds kNanosecondsPerTimerUnit = 100;
constexpr Nanoseconds kNanosecondsPerMillisecond = 1'000'000;

// A high-resolution waitable timer, to wait for the next frame and for messages at once.
// Windows 10 (1803) and later time a high-resolution timer to well under a millisecond; older
// systems (and Wine) give an ordinary one, which then needs the system's timer at 1 ms.
class WaitableTimer {
 public:
  WaitableTimer()
      : timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                      TIMER_ALL_ACCESS)),
        coarse_(timer_ == nullptr) {
    if (coarse_) {
      timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
      timeBeginPeriod(1);
    }
  }
  ~WaitableTimer() {
    if (timer_ != nullptr) CloseHandle(timer_);
    if (coarse_) timeEndPeriod(1);
  }
  WaitableTimer(const WaitableTimer&) = delete;
  WaitableTimer& operator=(const WaitableTimer&) = delete;

  // Waits until `wait` has passed or a message has come, whichever is first.
  void WaitForMessage(Nanoseconds wait) {
    if (wait <= 0) return;
    LARGE_INTEGER due;
    due.QuadPart = -(wait / kNanosecondsPerTimerUnit);  // negative: from now
    if (timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
      // MWMO_INPUTAVAILABLE: messages already queued end the wait too, not only new ones.
      MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } else {
      MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait / kNanosecondsPerMillisecond),
                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }

 private:
  HANDLE timer_;
  bool coarse_;  // an ordinary timer, with the system's timer resolution raised to 1 ms
};

// A monitor by the name Windows gives its device, which stays while its mode changes, and where
// it lies, in its real pixels: the manifest declares the program aware of each monitor's scaling.
struct WindowsMonitor {
  std::wstring name;
  RECT place;

  bool operator==(const WindowsMonitor& other) const {
    return name == other.name && EqualRect(&place, &other.place);
  }
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM monitors) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  std::wstring name = GetMonitorInfoW(monitor, &info) ? info.szDevice : L"";
  reinterpret_cast<std::vector<WindowsMonitor>*>(monitors)->push_back({std::move(name), *bounds});
  return TRUE;
}

// The monitors in the system's order.
std::vector<WindowsMonitor> Monitors() {
  std::vector<WindowsMonitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    monitors.push_back(
        {L"", RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}});
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
      if (GetCursorPos(&pointer)) {
        events_.input.Take({InputKind::kPointerMoved, pointer.x, pointer.y});
      }
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
        for (const WindowsMonitor& monitor : Monitors()) Cover(monitor);
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

  // A window can cover any monitor: one whose monitor went takes over a new one.
  void FollowMonitors() {
    events_.displays_changed = false;
    desktop_ = Desktop::Now();
    if (!every_monitor_) return;
    const std::vector<WindowsMonitor> now = Monitors();
    const MonitorPlan<WindowsMonitor> plan = PlanWindows<WindowsMonitor>(covered_, now, true);
    for (const auto& move : plan.moves) {
      windows_[move.window]->MoveOver(move.monitor.place);
      covered_[move.window] = move.monitor;
    }
    for (const std::size_t gone : plan.gone) {
      windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(gone));
      covered_.erase(covered_.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    for (const WindowsMonitor& monitor : plan.added) Cover(monitor);
    ListProgramWindows();
    TellWindows("the monitors changed: ");
  }

  void Cover(const WindowsMonitor& monitor) {
    windows_.push_back(Win32Window::OverMonitor(monitor.place, scale_, events_));
    covered_.push_back(monitor);
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
    stats_->Line("flakemorph: %s%zu window%s", why, windows_.size(),
                 windows_.size() == 1 ? "" : "s");
    for (std::size_t i = 0; i < windows_.size(); ++i) {
      const RECT place = windows_[i]->Place();
      const std::string name = std::to_string(i + 1);
      stats_->SayWindow({name.c_str(), windows_[i]->KindName(), place.right - place.left,
                         place.bottom - place.top, true, place.left, place.top,
                         windows_[i]->Scale(), Animated(*windows_[i]) ? nullptr : "black"});
    }
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
  StatsOut* stats_;
  WindowEvents events_;
  WaitableTimer timer_;
  std::vector<std::unique_ptr<Win32Window>> windows_;
  // Over every monitor, the monitor each window covers, in the same order.
  std::vector<WindowsMonitor> covered_;
  std::vector<ProgramWindow*> program_windows_;
};

}  // namespace

std::unique_ptr<WindowSystem> OpenWindowsWindowSystem(const WindowRequest& request,
                                                      const EventContext& context) {
  return std::make_unique<WindowsWindowSystem>(request, context);
}

}  // namespace flakemorph
