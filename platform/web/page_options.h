// What a page's address asks of it, the command line's options as a query:
//   ?fps          the frame-rate text in a corner
//   ?rate=HZ      frames per second, 1 to 240 (default 60, whatever the display)
//   ?scale=N      every page pixel N x N device pixels, 1 to 4 (default: by the pixel ratio)
//   ?wallpaper    no input of the user's does anything, for hosts that pass none
//   ?clock=S      every new figure seeded from the time of day S (seconds since midnight), as
//                 flakemorph-trace --clock S
//   ?frames=N     run N frames at once, then hold that frame still: with ?clock, the picture of
//                 flakemorph-trace --clock S --frames N
// and how the page's pixels meet the device's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace flakemorph::web {

struct PageOptions {
  bool show_fps = false;
  int rate_hz = 0;  // 0: the pace the animation was made for
  int scale = 0;    // 0: by the device pixel ratio
  bool wallpaper = false;
  std::optional<std::uint64_t> clock_nanoseconds;
  std::optional<std::int64_t> still_frames;

  bool operator==(const PageOptions&) const = default;
};

// The options, or `error` naming the first one that is wrong, in a line.
struct ParsedQuery {
  PageOptions options;
  std::string error;
};

// `query` as location.search gives it, with or without its '?'. Names the page does not know
// are left alone (hosts add their own); a switch may be given bare, or as =1/=true or =0/=false.
ParsedQuery ParsePageQuery(std::string_view query);

// The largest number of still frames, ten minutes of the animation: beyond it a page would be
// busy for long before it showed anything.
inline constexpr int kMostStillFrames = 36'000;

// Device pixels per page pixel, each way, the ratio rounded as ScaleOfDpi rounds a screen's
// scale: one below 1.5, where a whole block would enlarge the picture by half or more; the
// nearest whole number from there, up to the largest scale, so that the picture has the size
// it has on an ordinary screen, crisp. A ratio the page cannot read (0, NaN) counts as 1.
int PagePixelScale(double device_pixel_ratio);

}  // namespace flakemorph::web
