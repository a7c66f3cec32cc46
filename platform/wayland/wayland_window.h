// One surface of the program on a Wayland compositor: a layer-shell surface over one output
// (above every window, or beneath them as the wallpaper), a full-screen toplevel on one output
// where the compositor has no layer shell, or an ordinary toplevel. Its two pages are the
// in-memory ones of a PageWindow, shown from two or three shared-memory buffers; a frame is
// committed once the compositor has asked for one, with the changed tiles as damage.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "display/page_window.h"
#include "platform/stats_out.h"
#include "platform/surface_scale.h"
#include "platform/wayland/frame_turn.h"
#include "platform/wayland/outputs.h"
#include "platform/wayland/protocols.h"
#include "platform/wayland/shm_buffer.h"
#include "platform/wayland/toplevel.h"
#include "platform/window_system.h"

namespace flakemorph {

enum class SurfaceRole {
  kOverlay,     // layer shell, overlay layer, the keyboard all its own
  kWallpaper,   // layer shell, background layer, no input
  kFullScreen,  // xdg toplevel, full screen on its output
  kPreview,     // xdg toplevel of a size of its own
};

struct WaylandGlobals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layer_shell = nullptr;
  xdg_wm_base* wm_base = nullptr;
  // Where offered: buffers of any size shown at the surface's size, and the fractional scale.
  wp_viewporter* viewporter = nullptr;
  wp_fractional_scale_manager_v1* fractional_scale = nullptr;
  // A window's frame: the compositor's (xdg-decoration) where it draws one, else libdecor's,
  // made only for the ordinary window.
  zxdg_decoration_manager_v1* decorations = nullptr;
  FrameLibrary* frames = nullptr;
};

class WaylandWindow;

// What a window needs of the connection it lives on: the scales and modes of the outputs, and
// a way to handle events until the compositor asks the window for its next frame, for a while
// at most, which tells whether it did and changes no window's place among the program's.
struct WindowHost {
  const Outputs& outputs;
  std::function<bool(const WaylandWindow& window)> await_frame;
};

class WaylandWindow final : public ProgramWindow, private FrameBuffers {
 public:
  // The surface for `output` (none for kPreview), asking for its first configure. `width` x
  // `height` is the logical size used when the compositor leaves the choice to us: the
  // output's, or the preview's.
  WaylandWindow(const WaylandGlobals& globals, WindowHost host, SurfaceRole role, wl_output* output,
                std::int32_t width, std::int32_t height, std::int32_t pixel_scale, std::string name,
                StatsOut* stats);
  WaylandWindow(const WaylandWindow&) = delete;
  WaylandWindow& operator=(const WaylandWindow&) = delete;
  ~WaylandWindow() override;

  Display& Surfaces() override { return pages_; }
  void ShowFrame() override;
  void ShowText(std::string_view text) override { pages_.ShowText(text); }
  bool TakeResize() override { return pages_.TakeResize(); }

  // An output's scale or size changed (its wl_output.done): the window's own, or one that a
  // toplevel may lie on.
  void OutputChanged();

  const wl_surface* Surface() const { return surface_; }
  bool Configured() const { return configured_; }
  // Whether it would commit a frame now: asked for one, with a buffer to draw it in.
  bool Ready() const {
    return ReadyForFrame(
        {.configured = configured_, .closed = closed_, .frame_requested = frame_ != nullptr},
        pages_);
  }
  // The compositor took the layer surface away; a toplevel is never taken, only asked to close.
  bool Closed() const { return closed_; }
  bool CloseRequested() const { return close_requested_; }

 private:
  // Two buffers, and a third only while the compositor holds both others.
  static constexpr std::size_t kBuffers = 2;
  static constexpr std::size_t kMostBuffers = 3;

  std::size_t BufferCount() const override { return kMostBuffers; }
  TargetBuffer Buffer(std::size_t index) override;
  bool Held(std::size_t index) const override;
  void Present(std::size_t index, std::span<const PixelRect> rects) override;

  // Its toplevel tells it the compositor's size and the close request.
  friend class Toplevel;

  void MakeLayerSurface(zwlr_layer_shell_v1* shell);
  void RequestClose() { close_requested_ = true; }
  void Configure(std::int32_t width, std::int32_t height);
  void UpdateScale();
  void Reallocate();

  SurfaceFacts Facts() const;

  const WaylandGlobals globals_;
  const WindowHost host_;
  const SurfaceRole role_;
  wl_output* const output_;
  const std::string name_;
  StatsOut* const stats_;
  // The size to take when a configure leaves it to us.
  std::int32_t chosen_width_;
  std::int32_t chosen_height_;
  // --scale: buffer pixels per page pixel whatever the output's scale; 0 follows the output.
  const std::int32_t pixel_scale_;

  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  std::unique_ptr<Toplevel> toplevel_;
  wl_callback* frame_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  wp_fractional_scale_v1* fractional_ = nullptr;
  // The fractional scale the compositor prefers for the surface, in 120ths; 0 while untold.
  std::int32_t preferred_120ths_ = 0;
  // The buffers' size and the page pixels in them, for the size and scale now.
  SurfaceBuffers geometry_;
  // The outputs the surface is on, for the scale of a toplevel.
  std::array<wl_output*, 8> entered_{};

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t scale_ = 1;
  bool configured_ = false;
  bool closed_ = false;
  bool close_requested_ = false;
  bool scale_unsent_ = true;
  // Whether the compositor answered the last frame request in time: a surface it shows.
  bool answering_ = true;
  // Frames still to be damaged whole: right after a configure, the compositor may show stale
  // parts of what lay beneath a new surface where only the changes are damaged.
  int whole_frames_ = 0;
  std::array<std::unique_ptr<ShmBuffer>, kMostBuffers> buffers_;
  PageWindow pages_{*this};
};

}  // namespace flakemorph
