#include "platform/x11/x11_window_system.h"

#include <SDL.h>

#include <optional>
#include <vector>

#include "platform/x11/sdl_session.h"
#include "platform/x11/sdl_window.h"
#include "platform/x11/x11_foreign_window.h"

namespace flakemorph {
namespace {

bool InsideAnotherProgram(const WindowRequest& request) {
  return request.mode == WindowMode::kRoot || request.mode == WindowMode::kForeignWindow;
}

// The session, the windows and the foreign window's watch, in the order they must end: the
// windows before SDL, and SDL before the watch of the window it draws into.
class X11WindowSystem final : public WindowSystem {
 public:
  explicit X11WindowSystem(const WindowRequest& request) {
    InstallX11ErrorHandlers();
    // The window of another program is watched from before SDL starts.
    if (InsideAnotherProgram(request)) foreign_.emplace(request.window_id);
    session_.emplace(foreign_.has_value());
    OpenWindows(request);
    for (const std::unique_ptr<SdlWindow>& window : windows_) {
      if (request.show_fps) window->AddTextOverlay();
      sdl_windows_.push_back(window.get());
      program_windows_.push_back(window.get());
    }
    events_.emplace(sdl_windows_, foreign_ ? foreign_->Connection() : -1);
  }

  ~X11WindowSystem() override {
    events_.reset();
    windows_.clear();
    session_.reset();
  }

  std::span<ProgramWindow* const> Windows() override { return program_windows_; }
  int RefreshHz() const override { return windows_.front()->RefreshHz(); }
  bool WaitUntilShown() override { return events_->WaitUntilShown(); }
  // The end of a window of another program is seen between frames too, however long they are.
  bool HandlePending(Nanoseconds wait) override {
    const bool going_on = events_->HandlePending(wait);
    if (foreign_) foreign_->Watch();
    return going_on;
  }

 private:
  void OpenWindows(const WindowRequest& request) {
    switch (request.mode) {
      case WindowMode::kEveryMonitor: {
        const int monitors = SDL_GetNumVideoDisplays();
        if (monitors < 1) FailToOpen(SDL_GetError());
        for (int index = 0; index < monitors; ++index) {
          windows_.push_back(SdlWindow::OverDisplay(index));
        }
        break;
      }
      case WindowMode::kPreview:
        windows_.push_back(SdlWindow::Preview(request.width, request.height));
        break;
      case WindowMode::kRoot:
      case WindowMode::kForeignWindow:
        windows_.push_back(SdlWindow::Foreign(*foreign_));
        if (request.stats != nullptr) {
          std::fprintf(request.stats, "flakemorph: drawing into window 0x%lx of %gx%g pixels\n",
                       static_cast<unsigned long>(foreign_->NativeId()),
                       static_cast<double>(windows_.back()->ScaleWidth()),
                       static_cast<double>(windows_.back()->ScaleHeight()));
        }
        break;
    }
  }

  std::optional<X11ForeignWindow> foreign_;
  std::optional<SdlSession> session_;
  std::vector<std::unique_ptr<SdlWindow>> windows_;
  std::vector<SdlWindow*> sdl_windows_;
  std::vector<ProgramWindow*> program_windows_;
  std::optional<SdlEventPump> events_;
};

}  // namespace

std::unique_ptr<WindowSystem> OpenX11WindowSystem(const WindowRequest& request) {
  return std::make_unique<X11WindowSystem>(request);
}

}  // namespace flakemorph
