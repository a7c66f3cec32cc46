#include "platform/windows/windows_window_system.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

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
  explicit WindowsWindowSystem(const WindowRequest& request) {
    events_.screen_saver = request.screen_saver;
    OpenWindows(request);
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      if (request.show_fps) window->AddTextOverlay();
      program_windows_.push_back(window.get());
    }
    if (request.screen_saver) {
      // The pointer is hidden over the saver's windows; where it rests now is where a move
      // counts from.
      events_.pointer_seen = GetCursorPos(&events_.first_pointer) != FALSE;
      SetForegroundWindow(windows_.front()->Handle());
    }
    if (request.stats != nullptr) {
      std::fprintf(request.stats, "flakemorph: %zu window%s\n", windows_.size(),
                   windows_.size() == 1 ? "" : "s");
      for (const std::unique_ptr<Win32Window>& window : windows_) {
        RECT place{};
        GetWindowRect(window->Handle(), &place);
        std::fprintf(request.stats, "flakemorph: window %gx%g at %ld,%ld\n",
                     static_cast<double>(window->ScaleWidth()),
                     static_cast<double>(window->ScaleHeight()), place.left, place.top);
      }
      std::fflush(request.stats);
    }
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
      if (message.message == WM_QUIT) events_.ended = true;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    for (const std::unique_ptr<Win32Window>& window : windows_) {
      if (window->ParentGone()) events_.ended = true;
    }
    return !events_.ended;
  }

 private:
  void OpenWindows(const WindowRequest& request) {
    switch (request.mode) {
      case WindowMode::kEveryMonitor:
        for (const RECT& monitor : Monitors()) {
          windows_.push_back(Win32Window::OverMonitor(monitor, events_));
        }
        ShowCursor(FALSE);
        break;
      case WindowMode::kPreview:
        windows_.push_back(Win32Window::Framed(request.width, request.height, events_));
        break;
      case WindowMode::kForeignWindow:
        windows_.push_back(Win32Window::ChildOf(
            reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.window_id)), events_));
        break;
      case WindowMode::kRoot:
        std::fputs("flakemorph: --root is for X11 screen savers; on Windows use /s\n", stderr);
        std::exit(2);
    }
  }

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

std::unique_ptr<WindowSystem> OpenWindowsWindowSystem(const WindowRequest& request) {
  return std::make_unique<WindowsWindowSystem>(request);
}

}  // namespace flakemorph
