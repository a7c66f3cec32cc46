#include "platform/wayland/toplevel.h"

#include <cstdio>

#include "platform/wayland/wayland_window.h"

namespace flakemorph {

FrameLibrary::FrameLibrary(wl_display* display) {
  static libdecor_interface interface {};
  interface.error = [](libdecor*, libdecor_error, const char* message) {
    std::fprintf(stderr, "flakemorph: the window's frame failed: %s\n", message);
  };
  context_ = libdecor_new(display, &interface);
}

FrameLibrary::~FrameLibrary() {
  if (context_ != nullptr) libdecor_unref(context_);
}

Toplevel::Toplevel(const WaylandGlobals& globals, wl_surface* surface, wl_output* output,
                   std::int32_t width, std::int32_t height, WaylandWindow& window)
    : surface_(surface), width_(width), height_(height), window_(window) {
  // There is a frame library only for an ordinary window where the compositor draws no frame.
  libdecor* frames = globals.frames != nullptr ? globals.frames->Context() : nullptr;
  if (frames != nullptr) {
    MakeDecorated(frames);
  } else {
    MakeXdg(globals, output);
  }
}

Toplevel::~Toplevel() {
  if (frame_ != nullptr) libdecor_frame_unref(frame_);
  if (decoration_ != nullptr) zxdg_toplevel_decoration_v1_destroy(decoration_);
  if (toplevel_ != nullptr) xdg_toplevel_destroy(toplevel_);
  if (xdg_surface_ != nullptr) xdg_surface_destroy(xdg_surface_);
}

const char* Toplevel::FrameName() const {
  if (frame_ != nullptr) return "libdecor's frame";
  if (decoration_ != nullptr) return "the compositor's frame";
  return "no frame";
}

void Toplevel::MakeXdg(const WaylandGlobals& globals, wl_output* output) {
  xdg_surface_ = xdg_wm_base_get_xdg_surface(globals.wm_base, surface_);
  static constexpr xdg_surface_listener kSurfaceListener{
      .configure = [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        auto* toplevel = static_cast<Toplevel*>(data);
        toplevel->window_.Configure(toplevel->configured_width_, toplevel->configured_height_);
      }};
  xdg_surface_add_listener(xdg_surface_, &kSurfaceListener, this);
  toplevel_ = xdg_surface_get_toplevel(xdg_surface_);
  static constexpr xdg_toplevel_listener kToplevelListener{
      .configure =
          [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
            auto* toplevel = static_cast<Toplevel*>(data);
            toplevel->configured_width_ = width;
            toplevel->configured_height_ = height;
          },
      .close = [](void* data,
                  xdg_toplevel*) { static_cast<Toplevel*>(data)->window_.RequestClose(); },
      .configure_bounds = kIgnored,
      .wm_capabilities = kIgnored};
  xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
  xdg_toplevel_set_title(toplevel_, "flakemorph");
  xdg_toplevel_set_app_id(toplevel_, "flakemorph");
  if (output != nullptr) {
    xdg_toplevel_set_fullscreen(toplevel_, output);
    return;
  }
  // Of the size asked for: a tiling compositor floats a window that cannot be resized.
  xdg_toplevel_set_min_size(toplevel_, width_, height_);
  xdg_toplevel_set_max_size(toplevel_, width_, height_);
  if (globals.decorations != nullptr) {
    decoration_ =
        zxdg_decoration_manager_v1_get_toplevel_decoration(globals.decorations, toplevel_);
    zxdg_toplevel_decoration_v1_set_mode(decoration_, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
  }
}

void Toplevel::MakeDecorated(libdecor* context) {
  static libdecor_frame_interface interface {};
  // The content keeps the size asked for; libdecor draws its frame around it.
  interface.configure = [](libdecor_frame* frame, libdecor_configuration* configuration,
                           void* data) {
    auto* toplevel = static_cast<Toplevel*>(data);
    libdecor_state* state = libdecor_state_new(toplevel->width_, toplevel->height_);
    libdecor_frame_commit(frame, state, configuration);
    libdecor_state_free(state);
    toplevel->window_.Configure(toplevel->width_, toplevel->height_);
  };
  interface.close = [](libdecor_frame*, void* data) {
    static_cast<Toplevel*>(data)->window_.RequestClose();
  };
  interface.commit = [](libdecor_frame*, void* data) {
    wl_surface_commit(static_cast<Toplevel*>(data)->surface_);
  };
  frame_ = libdecor_decorate(context, surface_, &interface, this);
  libdecor_frame_set_title(frame_, "flakemorph");
  libdecor_frame_set_app_id(frame_, "flakemorph");
  libdecor_frame_set_min_content_size(frame_, width_, height_);
  libdecor_frame_set_max_content_size(frame_, width_, height_);
  libdecor_frame_unset_capabilities(frame_, LIBDECOR_ACTION_RESIZE);
  libdecor_frame_map(frame_);
}

}  // namespace flakemorph
