// The buffers of a surface on a scaled output, and the page pixels in them. A compositor that
// can scale a buffer to the surface's size (a viewport) is given one of the output's physical
// pixels, however fractional or rounded up the scale it tells clients; one that cannot is given
// the logical size times the whole scale, as the core protocol asks.
#pragma once

#include <cstdint>

namespace flakemorph {

// The fractional scales a compositor tells in 120ths, as wp_fractional_scale_v1 does.
inline constexpr std::int32_t kScaleDenominator = 120;

struct SurfaceFacts {
  std::int32_t logical_width = 0;  // the surface's size as configured
  std::int32_t logical_height = 0;
  std::int32_t output_scale = 1;  // the whole scale of wl_output.scale
  // The output's current mode, when the surface covers that output exactly (a layer surface on
  // all edges, a full-screen window); 0 where it does not or the mode is unknown.
  std::int32_t output_width = 0;
  std::int32_t output_height = 0;
  // The preferred fractional scale in 120ths (wp_fractional_scale_v1); 0 where none was told.
  std::int32_t preferred_120ths = 0;
  bool viewporter = false;
  // --scale N: page pixels of N x N buffer pixels whatever the output; 0 to follow it.
  std::int32_t forced_pixel = 0;
};

struct SurfaceBuffers {
  std::int32_t width = 0;  // of every buffer
  std::int32_t height = 0;
  // wl_surface.set_buffer_scale; 1 where a viewport sets the surface's size instead.
  std::int32_t buffer_scale = 1;
  bool viewport = false;  // the viewport's destination is the logical size
  // The output's scale in 120ths, as the buffers have it: 240 at scale 2.
  std::int32_t scale_120ths = kScaleDenominator;
  std::int32_t pixel = 1;  // buffer pixels per page pixel, across and down
  std::int32_t page_width = 0;
  std::int32_t page_height = 0;
};

// One page pixel per buffer pixel below a scale of 1.5, whole N x N blocks from there (N the
// scale rounded, half up), as flakemorph scales on every window system; --scale N by hand.
SurfaceBuffers BuffersFor(const SurfaceFacts& facts);

}  // namespace flakemorph
