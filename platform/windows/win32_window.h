// A Win32 window whose two surfaces are the in-memory pages of a PageWindow. The window keeps a
// copy of what it shows in a DIB section of its client size, the one buffer it is shown from:
// a frame goes to the window as BitBlts of the rectangles that changed. Its messages reach the
// program as InputEvents, which decide by the mode of the run whether they end it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string_view>

#include "display/page_window.h"
#include "platform/window_system.h"
#include "platform/windows/message.h"

namespace flakemorph {

// What the windows' messages tell the program, shared by all its windows.
struct WindowEvents {
  InputSink& input;
  // The monitors changed (one came or went, or took another mode): Windows says so to every
  // top-level window.
  bool displays_changed = false;
};

class Win32Window final : public ProgramWindow, private FrameBuffers {
 public:
  // Every page pixel fills scale x scale pixels of the window; a scale of 0 follows the
  // scaling Windows has for the window's monitor (100% is 1, 150% to 249% is 2, ...).
  //
  // A top-most borderless window exactly over `monitor`, without a pointer.
  static std::unique_ptr<Win32Window> OverMonitor(const RECT& monitor, int scale,
                                                  WindowEvents& events);
  // An ordinary window titled "flakemorph", its client area width x height page pixels.
  static std::unique_ptr<Win32Window> Framed(int width, int height, int scale,
                                             WindowEvents& events);
  // A child window filling the client area of `parent`, a window of another program.
  static std::unique_ptr<Win32Window> ChildOf(HWND parent, int scale, WindowEvents& events);

  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  ~Win32Window() override;

  Display& Surfaces() override { return pages_; }
  void ShowFrame() override;
  void ShowText(std::string_view text) override { pages_.ShowText(text); }
  bool TakeResize() override { return pages_.TakeResize(); }

  HWND Handle() const { return window_; }
  // Whether the window of another program it fills is gone (never, for our own windows).
  bool ParentGone() const { return parent_ != nullptr && !IsWindow(parent_); }
  // The window's place on the screen.
  RECT Place() const;
  int Scale() const { return pages_.Scale(); }
  // What kind of window it is, for the stats.
  const char* KindName() const;
  // Puts a window over a monitor over another one, of its size; its pages take the new size,
  // and TakeResize says so once.
  void MoveOver(const RECT& monitor);
  // A child window takes its parent's new size, if it has one; TakeResize says so once.
  void FollowParent();

 private:
  enum class Kind { kMonitor, kFramed, kChild };

  Win32Window(Kind kind, int scale, WindowEvents& events, DWORD style, DWORD extended_style,
              const RECT& place, HWND parent = nullptr);
  int ScaleOf() const;
  void TakeClientSize();
  std::size_t BufferCount() const override { return 1; }
  TargetBuffer Buffer(std::size_t) override { return copy_; }
  bool Held(std::size_t) const override { return false; }
  void Present(std::size_t index, std::span<const PixelRect> rects) override;
  void MakeCopy(int width, int height);
  void DropCopy();

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  BoxUse Box() const { return kind_ == Kind::kChild ? BoxUse::kNone : BoxUse::kShown; }
  void Take(InputKind kind, std::int32_t x = 0, std::int32_t y = 0) {
    events_.input.Take({kind, x, y});
  }
  void PointerAt(LPARAM lparam);
  void Paint();

  Kind kind_;
  int requested_scale_;
  WindowEvents& events_;
  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  HDC window_dc_ = nullptr;  // the class's own DC: taken once, kept for the window's life
  HDC copy_dc_ = nullptr;
  HBITMAP copy_bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  TargetBuffer copy_{};
  PageWindow pages_{*this};
};

}  // namespace flakemorph
