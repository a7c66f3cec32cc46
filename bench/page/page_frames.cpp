// The cost of the web page's frame, the same code natively and as WebAssembly: the animation's
// frame and showing it on the page's canvas buffer (the changed tiles copied), at 60 callbacks
// a second of a clock of its own, so that every callback draws. No browser: what the module
// costs, apart from what the browser does with the rectangles.
//   flakemorph-page-bench [WIDTHxHEIGHT] [FRAMES]   (default 1280x720, 1800)
// Prints one line: the size, the frames timed (the first cycle of 150 left out) and the mean
// microseconds of a frame.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/web/web_page.h"

namespace {

constexpr int kWarmUpFrames = 150;

double NowMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1280;
  int height = 720;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
    std::fprintf(stderr, "usage: flakemorph-page-bench [WIDTHxHEIGHT] [FRAMES]\n");
    return 2;
  }
  const int frames = argc > 2 ? std::atoi(argv[2]) : 1800;
  if (width < 1 || height < 1 || frames <= kWarmUpFrames) {
    std::fprintf(stderr, "flakemorph-page-bench: a size of at least 1x1 and more than %d frames\n",
                 kWarmUpFrames);
    return 2;
  }
  // The animation of flakemorph-trace --clock 43200 at that size.
  flakemorph::web::WebPage page([] { return std::uint64_t{43'200'000'000'000}; },
                                [] { return 0.0; });
  if (const std::string error = page.Configure("clock=43200"); !error.empty()) {
    std::fprintf(stderr, "flakemorph-page-bench: %s\n", error.c_str());
    return 1;
  }
  double started = 0;
  for (int frame = 0; frame < frames; ++frame) {
    if (frame == kWarmUpFrames) started = NowMicroseconds();
    page.Tick(frame * 1000.0 / 60, width, height, 1);
  }
  const double mean = (NowMicroseconds() - started) / (frames - kWarmUpFrames);
  std::printf("%dx%d frames %d: %.1f us a frame\n", width, height, frames - kWarmUpFrames, mean);
  return page.FramesDrawn() == frames ? 0 : 1;
}
