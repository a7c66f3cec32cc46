#include "platform/x11/x11_visual.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstdio>

#include "platform/x11/sdl_session.h"

namespace flakemorph {
namespace {

bool IsByteMask(unsigned long mask) {
  return mask == 0xFF || mask == 0xFF00 || mask == 0xFF0000;
}

bool HasByteChannels(const XVisualInfo& visual) {
  return visual.c_class == TrueColor && (visual.depth == 24 || visual.depth == 32) &&
         IsByteMask(visual.red_mask) && IsByteMask(visual.green_mask) &&
         IsByteMask(visual.blue_mask);
}

// The visuals of byte channels of the default screen, 24 bits deep before 32 (no alpha to
// keep opaque); 0 when there is none. `is_default`: the display's own visual is one.
VisualID ByteChannelVisual(::Display* display, bool& is_default) {
  XVisualInfo wanted{};
  wanted.screen = DefaultScreen(display);
  int count = 0;
  XVisualInfo* visuals = XGetVisualInfo(display, VisualScreenMask, &wanted, &count);
  const VisualID own = XVisualIDFromVisual(DefaultVisual(display, wanted.screen));
  VisualID chosen = 0;
  int chosen_depth = 0;
  is_default = false;
  for (int i = 0; i < count; ++i) {
    const XVisualInfo& visual = visuals[i];
    if (!HasByteChannels(visual)) continue;
    if (visual.visualid == own) {
      is_default = true;
      chosen = own;
      break;
    }
    if (chosen == 0 || visual.depth < chosen_depth) {
      chosen = visual.visualid;
      chosen_depth = visual.depth;
    }
  }
  if (visuals != nullptr) XFree(visuals);
  return chosen;
}

}  // namespace

void ChooseWindowVisual() {
  ::Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  const int depth = DefaultDepth(display, DefaultScreen(display));
  bool is_default = false;
  const VisualID visual = ByteChannelVisual(display, is_default);
  XCloseDisplay(display);
  if (is_default) return;
  if (visual != 0) {
    std::array<char, 32> id{};
    std::snprintf(id.data(), id.size(), "0x%lx", visual);
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id.data());
    return;
  }
  if (depth == 15 || depth == 16) return;
  std::array<char, 160> reason{};
  std::snprintf(reason.data(), reason.size(),
                "the display's colour depth of %d bits cannot be shown (it offers no visual of "
                "8-bit red, green and blue)",
                depth);
  FailToOpen(reason.data());
}

}  // namespace flakemorph
