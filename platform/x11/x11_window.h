// A window the animation is shown in: one of our own (borderless over a monitor, or the
// preview window) or one of another program, all on the program's one connection and all alike
// from here on: the pages are PageWindow's, the one buffer is an X11Image, and a new size of
// the window, whoever gave it, is followed. The window system hands each window the events of
// its structure; the user's input is the window system's to turn into the program's words.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "display/page_window.h"
#include "platform/window_system.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_visual.h"

namespace flakemorph {

struct MonitorArea;
struct X11ForeignWindow;

// What the windows of one connection share.
struct X11Connection {
  ::Display* display = nullptr;
  int screen = 0;  // the screen DISPLAY names
  X11SharedMemory shared_memory;
  unsigned long wm_protocols = 0;  // atoms
  unsigned long wm_delete_window = 0;
  unsigned long invisible_cursor = 0;
};

class X11Window final : public ProgramWindow, public FrameBuffers {
 public:
  // A borderless window exactly over `area`, above every other window, without a pointer.
  static std::unique_ptr<X11Window> OverArea(X11Connection& connection, const X11Visual& visual,
                                             const MonitorArea& area, int scale);
  // An ordinary window titled "flakemorph", with the window manager's frame, width x height
  // screen pixels, placed where the window manager puts it; without one, in the middle of
  // `area`, the primary monitor.
  static std::unique_ptr<X11Window> Preview(X11Connection& connection, const X11Visual& visual,
                                            const MonitorArea& area, int width, int height,
                                            int scale);
  // Draws into `foreign`: creates no window, selects no input beyond what OpenForeignWindow
  // did, leaves the pointer alone.
  static std::unique_ptr<X11Window> Foreign(X11Connection& connection,
                                            const X11ForeignWindow& foreign, int scale);

  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;
  ~X11Window() override;

  Display& Surfaces() override { return page_; }
  void ShowFrame() override {
    if (shown_) page_.ShowFrame();
  }
  void ShowText(std::string_view text) override { page_.ShowText(text); }
  bool TakeResize() override { return page_.TakeResize(); }

  std::size_t BufferCount() const override { return 1; }
  TargetBuffer Buffer(std::size_t /*index*/) override { return image_.Buffer(); }
  bool Held(std::size_t /*index*/) const override { return image_.Held(); }
  void Present(std::size_t index, std::span<const PixelRect> rects) override;
  TileGrid DamageGrid() const override;

  unsigned long Id() const { return id_; }
  bool IsForeign() const { return foreign_; }
  // Whether the window has been on the screen, the moment the animations may start.
  bool Shown() const { return shown_; }
  int PixelWidth() const { return width_; }
  int PixelHeight() const { return height_; }

  // Moves the window and sizes it to cover `area` exactly, as its monitor now does; the new
  // size is followed once the server says so.
  void Cover(const MonitorArea& area);

  // The events of the window's structure.
  void Mapped() { shown_ = true; }
  void Configured(int width, int height);
  void Exposed();
  // The server copied a shared image of `segment`.
  void Completed(unsigned long segment) { image_.Completed(segment); }

 private:
  X11Window(X11Connection& connection, unsigned long id, Visual* visual, int depth, int width,
            int height, int scale, bool foreign);
  static unsigned long Create(X11Connection& connection, const X11Visual& visual, int x, int y,
                              int width, int height, bool override_redirect);
  void Resize(int width, int height);

  X11Connection& connection_;
  unsigned long id_;
  bool foreign_;
  GC gc_ = nullptr;
  int scale_;
  int width_ = 0;
  int height_ = 0;
  bool shown_ = false;
  X11Image image_;
  PageWindow page_{*this};
};

}  // namespace flakemorph
