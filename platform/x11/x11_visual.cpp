#include "platform/x11/x11_visual.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>

namespace flakemorph {
namespace {

bool IsByteMask(unsigned long mask) {
  return mask == 0xFF || mask == 0xFF00 || mask == 0xFF0000;
}

}  // namespace

std::optional<X11Visual> ChooseWindowVisual(_XDisplay* display, int screen) {
  XVisualInfo wanted{};
  wanted.screen = screen;
  int count = 0;
  XVisualInfo* visuals = XGetVisualInfo(display, VisualScreenMask, &wanted, &count);
  Visual* own = DefaultVisual(display, screen);
  const int own_depth = DefaultDepth(display, screen);
  std::optional<X11Visual> chosen;
  for (int i = 0; i < count; ++i) {
    const XVisualInfo& visual = visuals[i];
    if (!ByteChannelLayout(*visual.visual, visual.depth)) continue;
    // The screen's own visual first; else 24 bits deep before 32 (no alpha to keep opaque).
    if (visual.visual == own) {
      chosen = X11Visual{own, own_depth};
      break;
    }
    if (!chosen || visual.depth < chosen->depth) chosen = X11Visual{visual.visual, visual.depth};
  }
  if (visuals != nullptr) XFree(visuals);
  if (!chosen && (own_depth == 15 || own_depth == 16)) chosen = X11Visual{own, own_depth};
  return chosen;
}

std::optional<PixelLayout> ByteChannelLayout(const Visual& visual, int depth) {
  if (visual.c_class != TrueColor || (depth != 24 && depth != 32) || !IsByteMask(visual.red_mask) ||
      !IsByteMask(visual.green_mask) || !IsByteMask(visual.blue_mask)) {
    return std::nullopt;
  }
  const unsigned long channels = visual.red_mask | visual.green_mask | visual.blue_mask;
  const std::uint32_t opaque = depth == 32 ? ~static_cast<std::uint32_t>(channels) : 0;
  return PixelLayout{std::countr_zero(visual.red_mask), std::countr_zero(visual.green_mask),
                     std::countr_zero(visual.blue_mask), opaque};
}

}  // namespace flakemorph
