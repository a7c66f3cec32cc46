// A Win32 window whose two surfaces are the in-memory pages. The window keeps a copy of what it
// shows in a DIB section; ShowFrame brings the page in front into that copy by changing only
// what differs from the page shown before, and sends the window only the rectangles it changed,
// with the frame-rate text over them when asked for. A key, a button or a close request ends
// the program, except in a window of another program (a preview), whose input is its owner's.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

#include "display/memory_display.h"
#include "display/page_damage.h"
#include "platform/window_system.h"
#include "platform/windows/message.h"

namespace flakemorph {

// What the windows' messages tell the program, shared by all its windows.
struct WindowEvents {
  bool ended = false;
  // In a screen saver's run the pointer's first place on the screen, to see it move.
  bool screen_saver = false;
  bool pointer_seen = false;
  POINT first_pointer{};
  // The monitors changed (one came or went, or took another mode): Windows says so to every
  // top-level window.
  bool displays_changed = false;
};

class Win32Window final : public MemoryDisplay, public ProgramWindow {
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

  void Move(std::int16_t k, float left, float top, float width, float height) override;

  Display& Surfaces() override { return *this; }
  void ShowFrame() override;
  void ShowText(std::string_view text) override;
  bool TakeResize() override;

  // Shows ShowText's text from now on, in the top-left corner.
  void AddTextOverlay();
  HWND Handle() const { return window_; }
  // Whether the window of another program it fills is gone (never, for our own windows).
  bool ParentGone() const { return parent_ != nullptr && !IsWindow(parent_); }
  // The window's place on the screen.
  RECT Place() const;
  int Scale() const { return scale_; }
  // Puts a window over a monitor over another one, of its size; its pages take the new size,
  // and TakeResize says so once.
  void MoveOver(const RECT& monitor);
  // A child window takes its parent's new size, if it has one; TakeResize says so once.
  void FollowParent();

 private:
  enum class Kind { kMonitor, kFramed, kChild };

  Win32Window(Kind kind, int scale, WindowEvents& events);
  int ScaleOf() const;
  void TakeClientSize();
  void TakeNewSize();
  void Present(const PixelRect& rect);
  void Create(DWORD style, DWORD extended_style, const RECT& place, HWND parent);
  void MakeCopy(int width, int height);
  void DropCopy();

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool TakesInput() const { return kind_ != Kind::kChild; }
  BoxUse Box() const { return kind_ == Kind::kChild ? BoxUse::kNone : BoxUse::kShown; }
  void End() { events_.ended = true; }
  void PointerAt(LPARAM lparam);
  void Paint();
  void DrawFrameRate();

  Kind kind_;
  int requested_scale_;
  int scale_ = 1;
  int client_height_ = 0;
  WindowEvents& events_;
  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  HDC window_dc_ = nullptr;  // the class's own DC: taken once, kept for the window's life
  HDC copy_dc_ = nullptr;
  HBITMAP copy_bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  TargetBuffer copy_{};
  PageDamage damage_;
  // The frame-rate text: a font and a box reserved at start-up, so a frame allocates nothing.
  HFONT font_ = nullptr;
  RECT text_box_{};
  std::array<char, 40> text_{};
  int text_length_ = 0;
  bool resized_ = false;
};

}  // namespace flakemorph
