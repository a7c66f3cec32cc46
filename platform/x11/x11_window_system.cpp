#include "platform/x11/x11_window_system.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/desktop_scale.h"
#include "platform/x11/sdl_session.h"
#include "platform/x11/sdl_window.h"
#include "platform/x11/x11_foreign_window.h"
#include "platform/x11/x11_monitors.h"

namespace flakemorph {
namespace {

bool InsideAnotherProgram(const WindowRequest& request) {
  return request.mode == WindowMode::kRoot || request.mode == WindowMode::kForeignWindow ||
         request.mode == WindowMode::kWallpaper;
}

// The session, the windows and the foreign window's watch, in the order they must end: the
// windows before SDL, and SDL before the watch of the window it draws into. Over every monitor,
// the windows follow the monitors: a monitor that takes a new mode or place has its window moved
// and sized to cover it, a new one gets a window, and a window whose monitor went goes too.
class X11WindowSystem final : public WindowSystem {
 public:
  X11WindowSystem(const WindowRequest& request, const EventContext& context)
      : show_fps_(request.show_fps), monitors_(X11Monitors::Open()) {
    InstallX11ErrorHandlers();
    // The window of another program is watched from before SDL starts.
    if (InsideAnotherProgram(request)) foreign_.emplace(request.window_id);
    scale_ = request.scale > 0 ? request.scale
                               : DesktopScale(std::getenv("GDK_SCALE"),
                                              monitors_ ? monitors_->Resources() : nullptr);
    session_.emplace(foreign_.has_value());
    OpenWindows(request);
    for (const std::unique_ptr<SdlWindow>& window : windows_) {
      if (show_fps_) window->AddTextOverlay();
    }
    ListWindows();
    // Between frames the program also waits for news of the monitors, or of the window of
    // another program: its end ends the program however long the frames are.
    const int also_wake_for = following_ ? monitors_->Connection()
                              : foreign_ ? foreign_->Connection()
                                         : -1;
    events_.emplace(sdl_windows_, context, also_wake_for);
  }

  ~X11WindowSystem() override {
    events_.reset();
    windows_.clear();
    session_.reset();
  }

  std::span<ProgramWindow* const> Windows() override { return program_windows_; }
  int RefreshHz() const override { return windows_.front()->RefreshHz(); }
  bool WaitUntilShown() override { return events_->WaitUntilShown(); }
  bool HandlePending(Nanoseconds wait) override {
    const bool going_on = events_->HandlePending(wait);
    if (going_on && following_ && monitors_->TakeChanges()) FollowMonitors();
    if (foreign_) foreign_->Watch();
    return going_on;
  }

 private:
  void OpenWindows(const WindowRequest& request) {
    switch (request.mode) {
      case WindowMode::kEveryMonitor:
        OpenOverEveryMonitor();
        break;
      case WindowMode::kPreview:
        windows_.push_back(SdlWindow::Preview(request.width, request.height, scale_));
        break;
      case WindowMode::kRoot:
      case WindowMode::kWallpaper:
      case WindowMode::kForeignWindow:
        windows_.push_back(SdlWindow::Foreign(*foreign_, scale_));
        if (request.stats != nullptr) SayForeignSize(request.stats);
        break;
    }
  }

  void SayForeignSize(std::FILE* stats) {
    const SdlWindow& window = *windows_.back();
    std::fprintf(stats, "flakemorph: drawing into window 0x%lx of %dx%d pixels",
                 static_cast<unsigned long>(foreign_->NativeId()), window.PixelWidth(),
                 window.PixelHeight());
    if (scale_ > 1) {
      std::fprintf(stats, ", pages of %dx%d at scale %d", window.PixelWidth() / scale_,
                   window.PixelHeight() / scale_, scale_);
    }
    std::fputc('\n', stats);
  }

  // The monitors as RandR tells them, which it then keeps telling of; where it cannot, the
  // displays SDL knows at start-up.
  void OpenOverEveryMonitor() {
    if (monitors_) areas_ = monitors_->Watch();
    following_ = !areas_.empty();
    for (const MonitorArea& area : areas_) {
      windows_.push_back(SdlWindow::OverArea(area.x, area.y, area.width, area.height, scale_));
    }
    if (following_) return;
    const int displays = SDL_GetNumVideoDisplays();
    if (displays < 1) FailToOpen(SDL_GetError());
    for (int index = 0; index < displays; ++index) {
      windows_.push_back(SdlWindow::OverDisplay(index, scale_));
    }
  }

  // A monitor keeps its RandR name while its mode or place changes; one of a new name is new.
  // While monitors are being switched RandR may briefly tell of none: the windows then wait.
  void FollowMonitors() {
    const std::vector<MonitorArea> now = monitors_->Now();
    if (now.empty()) return;
    for (std::size_t i = windows_.size(); i-- > 0;) {
      const auto same_name = [&](const MonitorArea& area) { return area.name == areas_[i].name; };
      if (std::none_of(now.begin(), now.end(), same_name)) {
        windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(i));
        areas_.erase(areas_.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    for (const MonitorArea& area : now) {
      const auto same_name = [&](const MonitorArea& known) { return known.name == area.name; };
      const auto known = std::find_if(areas_.begin(), areas_.end(), same_name);
      if (known == areas_.end()) {
        windows_.push_back(SdlWindow::OverArea(area.x, area.y, area.width, area.height, scale_));
        if (show_fps_) windows_.back()->AddTextOverlay();
        areas_.push_back(area);
      } else if (*known != area) {
        windows_[static_cast<std::size_t>(known - areas_.begin())]->Cover(area.x, area.y,
                                                                          area.width, area.height);
        *known = area;
      }
    }
    ListWindows();
    events_->SetWindows(sdl_windows_);
  }

  void ListWindows() {
    sdl_windows_.clear();
    program_windows_.clear();
    for (const std::unique_ptr<SdlWindow>& window : windows_) {
      sdl_windows_.push_back(window.get());
      program_windows_.push_back(window.get());
    }
  }

  bool show_fps_;
  std::optional<X11ForeignWindow> foreign_;
  std::optional<X11Monitors> monitors_;
  int scale_ = 1;
  // With following_, the monitor each window covers, in the same order.
  bool following_ = false;
  std::vector<MonitorArea> areas_;
  std::optional<SdlSession> session_;
  std::vector<std::unique_ptr<SdlWindow>> windows_;
  std::vector<SdlWindow*> sdl_windows_;
  std::vector<ProgramWindow*> program_windows_;
  std::optional<SdlEventPump> events_;
};

}  // namespace

std::unique_ptr<WindowSystem> OpenX11WindowSystem(const WindowRequest& request,
                                                  const EventContext& context) {
  return std::make_unique<X11WindowSystem>(request, context);
}

}  // namespace flakemorph
