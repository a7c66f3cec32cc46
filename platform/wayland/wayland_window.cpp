#include "platform/wayland/wayland_window.h"

#include <algorithm>
#include <utility>

namespace flakemorph {
namespace {

// About a second of frames at the usual refresh.
constexpr int kWholeFramesAfterConfigure = 60;

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

const char* RoleName(SurfaceRole role) {
  switch (role) {
    case SurfaceRole::kOverlay:
      return "overlay";
    case SurfaceRole::kWallpaper:
      return "wallpaper";
    case SurfaceRole::kFullScreen:
      return "full screen";
    case SurfaceRole::kPreview:
      return "framed";
  }
  return "surface";
}

}  // namespace

WaylandWindow::WaylandWindow(const WaylandGlobals& globals, WindowHost host, SurfaceRole role,
                             wl_output* output, std::int32_t width, std::int32_t height,
                             std::int32_t pixel_scale, std::string name, StatsOut* stats)
    : globals_(globals),
      host_(std::move(host)),
      role_(role),
      output_(output),
      name_(std::move(name)),
      stats_(stats),
      chosen_width_(width),
      chosen_height_(height),
      pixel_scale_(pixel_scale) {
  surface_ = wl_compositor_create_surface(globals_.compositor);
  static constexpr wl_surface_listener kSurfaceListener{
      .enter =
          [](void* data, wl_surface*, wl_output* output) {
            auto* window = static_cast<WaylandWindow*>(data);
            const auto free = std::ranges::find(window->entered_, nullptr);
            if (free != window->entered_.end()) *free = output;
            window->UpdateScale();
          },
      .leave =
          [](void* data, wl_surface*, wl_output* output) {
            auto* window = static_cast<WaylandWindow*>(data);
            std::ranges::replace(window->entered_, output, nullptr);
            window->UpdateScale();
          }};
  wl_surface_add_listener(surface_, &kSurfaceListener, this);
  if (output_ != nullptr) scale_ = host_.outputs.ScaleOf(output_);
  if (globals_.viewporter != nullptr) {
    viewport_ = wp_viewporter_get_viewport(globals_.viewporter, surface_);
  }
  if (globals_.fractional_scale != nullptr && viewport_ != nullptr) {
    fractional_ =
        wp_fractional_scale_manager_v1_get_fractional_scale(globals_.fractional_scale, surface_);
    static constexpr wp_fractional_scale_v1_listener kListener{
        .preferred_scale = [](void* data, wp_fractional_scale_v1*, std::uint32_t scale_120ths) {
          auto* window = static_cast<WaylandWindow*>(data);
          window->preferred_120ths_ =
              static_cast<std::int32_t>(std::min<std::uint32_t>(scale_120ths, 4800));
          window->UpdateScale();
        }};
    wp_fractional_scale_v1_add_listener(fractional_, &kListener, this);
  }
  if (role_ == SurfaceRole::kOverlay || role_ == SurfaceRole::kWallpaper) {
    MakeLayerSurface(globals_.layer_shell);
  } else {
    toplevel_ = std::make_unique<Toplevel>(globals_, surface_,
                                           role_ == SurfaceRole::kFullScreen ? output_ : nullptr,
                                           chosen_width_, chosen_height_, *this);
  }
  // A commit without a buffer asks for the first configure.
  wl_surface_commit(surface_);
}

WaylandWindow::~WaylandWindow() {
  if (frame_ != nullptr) wl_callback_destroy(frame_);
  for (std::unique_ptr<ShmBuffer>& buffer : buffers_) buffer.reset();
  if (fractional_ != nullptr) wp_fractional_scale_v1_destroy(fractional_);
  if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
  if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
  toplevel_.reset();
  wl_surface_destroy(surface_);
}

// Over the whole output, ignoring the panels' exclusive zones. The overlay takes the keyboard
// so that any key ends it; the wallpaper takes none.
void WaylandWindow::MakeLayerSurface(zwlr_layer_shell_v1* shell) {
  const bool wallpaper = role_ == SurfaceRole::kWallpaper;
  layer_ = zwlr_layer_shell_v1_get_layer_surface(
      shell, surface_, output_,
      wallpaper ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
      "flakemorph");
  static constexpr zwlr_layer_surface_v1_listener kListener{
      .configure =
          [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
             std::uint32_t height) {
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            static_cast<WaylandWindow*>(data)->Configure(static_cast<std::int32_t>(width),
                                                         static_cast<std::int32_t>(height));
          },
      .closed = [](void* data, auto*) { static_cast<WaylandWindow*>(data)->closed_ = true; }};
  zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
  zwlr_layer_surface_v1_set_size(layer_, 0, 0);
  zwlr_layer_surface_v1_set_anchor(layer_, kAllEdges);
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      layer_, wallpaper ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE
                        : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
}

// A size of 0 leaves it to us. Every configure, even of the same size, is damaged whole for a
// while; only a new size or scale takes new buffers, and only new pages a new animation.
void WaylandWindow::Configure(std::int32_t width, std::int32_t height) {
  if (width <= 0) width = chosen_width_;
  if (height <= 0) height = chosen_height_;
  whole_frames_ = kWholeFramesAfterConfigure;
  if (configured_ && width == width_ && height == height_) return;
  configured_ = true;
  width_ = width;
  height_ = height;
  Reallocate();
}

void WaylandWindow::OutputChanged() {
  if (const Output* output = host_.outputs.Of(output_)) {
    chosen_width_ = output->width / output->scale;
    chosen_height_ = output->height / output->scale;
  }
  UpdateScale();
}

// A toplevel takes the largest scale of the outputs it is on; any other surface its output's.
void WaylandWindow::UpdateScale() {
  std::int32_t scale = 1;
  if (output_ != nullptr) {
    scale = host_.outputs.ScaleOf(output_);
  } else {
    for (const wl_output* output : entered_) {
      if (output != nullptr) scale = std::max(scale, host_.outputs.ScaleOf(output));
    }
  }
  scale_ = scale;
  if (!configured_) return;
  const SurfaceBuffers wanted = BuffersFor(Facts());
  if (wanted.width != geometry_.width || wanted.height != geometry_.height ||
      wanted.pixel != geometry_.pixel || wanted.buffer_scale != geometry_.buffer_scale) {
    Reallocate();
  }
}

// A surface over a whole output (a layer surface on every edge, a full-screen window) has the
// output's pixels, which its mode tells.
SurfaceFacts WaylandWindow::Facts() const {
  SurfaceFacts facts;
  facts.logical_width = width_;
  facts.logical_height = height_;
  facts.output_scale = scale_;
  facts.preferred_120ths = preferred_120ths_;
  facts.viewporter = viewport_ != nullptr;
  facts.forced_pixel = pixel_scale_;
  if (const Output* output = host_.outputs.Of(output_)) {
    facts.output_width = output->width;
    facts.output_height = output->height;
    // A turned output: its mode is across what the surface has down.
    if ((facts.output_width > facts.output_height) != (width_ > height_)) {
      std::swap(facts.output_width, facts.output_height);
    }
  }
  return facts;
}

// New buffers of the logical size times the scale, the output's full resolution; the scale
// goes with the next commit. The pages are the buffers' size over the pixel scale: the logical
// size, unless --scale asks for another.
void WaylandWindow::Reallocate() {
  geometry_ = BuffersFor(Facts());
  for (std::unique_ptr<ShmBuffer>& buffer : buffers_) buffer.reset();
  for (std::size_t i = 0; i < kBuffers; ++i) {
    buffers_[i] = std::make_unique<ShmBuffer>(globals_.shm, geometry_.width, geometry_.height);
  }
  pages_.Resize(geometry_.width, geometry_.height, geometry_.pixel);
  scale_unsent_ = true;
  whole_frames_ = kWholeFramesAfterConfigure;
  if (stats_ != nullptr) {
    const char* frame =
        toplevel_ && role_ == SurfaceRole::kPreview ? toplevel_->FrameName() : nullptr;
    stats_->SayWindow({name_.c_str(), RoleName(role_), geometry_.width, geometry_.height, false, 0,
                       0, geometry_.pixel, frame});
  }
}

// Nothing is committed before the compositor asks for the next frame, which it does once a
// refresh for a surface it shows: waiting for that paces the program to the display. A surface
// nobody sees (a wallpaper under a full-screen window) is asked for none: it is not waited for,
// and costs nothing, until asked again. A page of another size waits for its animation to start
// anew at the new one; a frame without changes still goes, to keep to the compositor's pace.
void WaylandWindow::ShowFrame() {
  if (configured_ && frame_ != nullptr && answering_) answering_ = host_.await_frame(*this);
  if (Ready()) pages_.ShowFrame();
}

TargetBuffer WaylandWindow::Buffer(std::size_t index) {
  if (!buffers_[index]) {
    buffers_[index] = std::make_unique<ShmBuffer>(globals_.shm, geometry_.width, geometry_.height);
    pages_.Forget(index);
  }
  return buffers_[index]->Target();
}

bool WaylandWindow::Held(std::size_t index) const {
  return buffers_[index] && buffers_[index]->Busy();
}

void WaylandWindow::Present(std::size_t index, std::span<const PixelRect> rects) {
  if (whole_frames_ > 0) {
    --whole_frames_;
    wl_surface_damage_buffer(surface_, 0, 0, geometry_.width, geometry_.height);
  } else {
    for (const PixelRect& rect : rects) {
      wl_surface_damage_buffer(surface_, rect.x, rect.y, rect.width, rect.height);
    }
  }
  if (scale_unsent_) {
    wl_surface_set_buffer_scale(surface_, geometry_.buffer_scale);
    if (viewport_ != nullptr) {
      // -1 x -1 lets the buffer scale say the surface's size again.
      wp_viewport_set_destination(viewport_, geometry_.viewport ? width_ : -1,
                                  geometry_.viewport ? height_ : -1);
    }
    scale_unsent_ = false;
  }
  wl_surface_attach(surface_, buffers_[index]->Buffer(), 0, 0);
  buffers_[index]->Attached();
  frame_ = wl_surface_frame(surface_);
  static constexpr wl_callback_listener kFrameListener{
      .done = [](void* data, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        auto* window = static_cast<WaylandWindow*>(data);
        window->frame_ = nullptr;
        window->answering_ = true;
      }};
  wl_callback_add_listener(frame_, &kFrameListener, this);
  wl_surface_commit(surface_);
}

}  // namespace flakemorph
