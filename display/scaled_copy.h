// Bringing a page to a window on a scaled desktop, where every page pixel fills a block of
// scale x scale screen pixels: the picture stays as crisp as at scale 1, only larger.
#pragma once

#include <cstdint>
#include <span>

#include "display/page_damage.h"

namespace flakemorph {

// Copies the parts of `source` inside `rects` to `target`, each pixel as a block of scale x scale
// pixels at scale times its place; whatever lies outside either buffer is left out. Both buffers
// hold pixels of the same layout.
void CopyScaled(const TargetBuffer& source, std::span<const PixelRect> rects, std::int32_t scale,
                const TargetBuffer& target);

// A rect of the source as the rect of the target it was copied to, cut to the target.
PixelRect ScaledRect(const PixelRect& rect, std::int32_t scale, const TargetBuffer& target);

}  // namespace flakemorph
