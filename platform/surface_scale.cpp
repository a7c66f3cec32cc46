#include "platform/surface_scale.h"

#include <algorithm>
#include <cmath>

#include "platform/desktop_scale.h"

namespace flakemorph {
namespace {

std::int32_t Scaled(std::int32_t logical, std::int32_t scale_120ths) {
  const std::int64_t twice = std::int64_t{logical} * scale_120ths * 2 / kScaleDenominator;
  return static_cast<std::int32_t>((twice + 1) / 2);  // to the nearest, half up
}

// The scale rounded half up, at least 1, at most the largest a desktop is scaled by.
std::int32_t PagePixel(std::int32_t scale_120ths) {
  const std::int32_t rounded = (scale_120ths + kScaleDenominator / 2) / kScaleDenominator;
  return std::clamp<std::int32_t>(rounded, 1, kLargestDesktopScale);
}

}  // namespace

SurfaceBuffers BuffersFor(const SurfaceFacts& facts) {
  SurfaceBuffers buffers;
  const std::int32_t whole = std::max(facts.output_scale, 1);
  const bool covers_output = facts.output_width > 0 && facts.output_height > 0;
  if (facts.viewporter && covers_output && facts.logical_width > 0) {
    // The output's own pixels, whatever scale the compositor rounded to.
    buffers.width = facts.output_width;
    buffers.height = facts.output_height;
    buffers.viewport = true;
    buffers.scale_120ths = static_cast<std::int32_t>(std::int64_t{facts.output_width} *
                                                     kScaleDenominator / facts.logical_width);
  } else if (facts.viewporter && facts.preferred_120ths > 0) {
    buffers.width = Scaled(facts.logical_width, facts.preferred_120ths);
    buffers.height = Scaled(facts.logical_height, facts.preferred_120ths);
    buffers.viewport = true;
    buffers.scale_120ths = facts.preferred_120ths;
  } else {
    buffers.width = facts.logical_width * whole;
    buffers.height = facts.logical_height * whole;
    buffers.buffer_scale = whole;
    buffers.scale_120ths = whole * kScaleDenominator;
  }
  buffers.pixel = facts.forced_pixel > 0 ? facts.forced_pixel : PagePixel(buffers.scale_120ths);
  buffers.page_width = std::max(buffers.width / buffers.pixel, 1);
  buffers.page_height = std::max(buffers.height / buffers.pixel, 1);
  return buffers;
}

}  // namespace flakemorph
