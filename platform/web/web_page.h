// The web as a window system, "pixels out, events in": a page's canvas is one buffer in the
// module's memory, in ImageData's byte order, that the page's frames are shown into through a
// PageWindow as on every other window system; presenting only notes the rectangles that the
// script then puts on the canvas. The script hands in the time of each of the browser's
// callbacks, the canvas's size in device pixels and the user's input; everything else is
// decided here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "animation/animation.h"
#include "app/end_policy.h"
#include "app/frame_pacer.h"
#include "app/program.h"
#include "display/page_window.h"
#include "figures/random_source.h"
#include "platform/web/page_options.h"
#include "platform/web/page_pacer.h"
#include "platform/window_system.h"

namespace flakemorph::web {

// The canvas's pixels: R, G, B, A bytes, opaque.
inline constexpr PixelLayout kImageDataLayout{0, 8, 16, 0xFF000000U};

class CanvasBuffer final : public FrameBuffers {
 public:
  // More changed rectangles than this since the script last put them, and it puts the whole
  // buffer instead.
  static constexpr std::size_t kMostRects = 1024;

  CanvasBuffer() { changes_.reserve(kMostRects); }
  // Allocates: for a new size only.
  void Resize(std::int32_t width, std::int32_t height);

  std::size_t BufferCount() const override { return 1; }
  TargetBuffer Buffer(std::size_t index) override;
  // The script copies the rectangles out before the page draws again.
  bool Held(std::size_t /*index*/) const override { return false; }
  void Present(std::size_t index, std::span<const PixelRect> rects) override;

  // What changed on the canvas since ForgetChanges: the rectangles to put.
  std::span<const PixelRect> Changes() const { return changes_; }
  void ForgetChanges();

  const std::uint32_t* Pixels() const { return pixels_.data(); }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  // The whole canvas, to be put as one rectangle.
  void ChangeAll();

  std::vector<std::uint32_t> pixels_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<PixelRect> changes_;
  bool whole_ = false;
};

// What the script is to do after an input event: a page cannot end itself, so what ends the
// native program takes the page into full screen or out of it.
enum class PageAction : std::int32_t { kNothing = 0, kEnterFullScreen = 1, kLeaveFullScreen = 2 };

// Milliseconds, as the browser's clocks give them.
using MillisecondClock = std::function<double()>;

class WebPage {
 public:
  // `local_time` gives the local time of day for the seeds of a live page; `busy_clock` a
  // monotonic time to measure the page's own work by, for the frame-rate text.
  WebPage(TimeOfDayClock local_time, MillisecondClock busy_clock);
  // Its window draws into its own canvas buffer.
  WebPage(const WebPage&) = delete;
  WebPage& operator=(const WebPage&) = delete;

  // Takes the options of the page's address, and, as the options change (a host's settings),
  // the new ones; gives what is wrong with them, or "" once they are in force.
  std::string Configure(std::string_view query);

  // One of the browser's callbacks, at `now_ms`, with the canvas width x height device pixels
  // at `device_pixel_ratio`: draws the frames that are due. Gives the number of changed
  // rectangles to put on the canvas.
  std::size_t Tick(double now_ms, std::int32_t width, std::int32_t height,
                   double device_pixel_ratio);
  std::span<const PixelRect> Changes() const { return canvas_.Changes(); }
  const CanvasBuffer& Canvas() const { return canvas_; }
  // How long until a callback is next worth making, for a timer.
  double MillisecondsUntilDue(double now_ms) const;

  PageAction Take(const InputEvent& event);
  // The page went into full screen or out of it, however it did.
  void FullScreenChanged(bool full_screen);

  // The frames drawn so far of the animation now running.
  std::int64_t FramesDrawn() const { return frames_; }

 private:
  struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t scale = 1;
    bool operator==(const Size&) const = default;
  };

  Size SizeFor(std::int32_t width, std::int32_t height, double device_pixel_ratio) const;
  bool FollowSize(double now_ms, const Size& wanted);
  void Start(const Size& size);
  void DrawFrame();
  void CountFrame(double now_ms);
  EndRule RuleNow() const;

  TimeOfDayClock local_time_;
  MillisecondClock busy_clock_;
  PageOptions options_;
  PagePacer pacer_;
  CanvasBuffer canvas_;
  PageWindow window_;
  std::unique_ptr<TimeSeededGenerator> random_;
  std::unique_ptr<Animation> animation_;
  std::optional<Size> shown_;
  std::optional<Size> pending_;
  double pending_since_ms_ = 0;
  std::int64_t frames_ = 0;
  bool full_screen_ = false;
  EndPolicy policy_{EndRule::kWindow};
  FrameMeter meter_;
  double busy_ms_ = 0;
  std::array<char, kLongestFrameRateText> text_{};
};

}  // namespace flakemorph::web
