#include "platform/web/web_page.h"

#include <algorithm>
#include <utility>

#include "platform/window_request.h"

namespace flakemorph::web {
namespace {

// A new size starts a fresh animation once it has held this long: not at every step of a
// window being dragged wider.
constexpr double kSettleMilliseconds = 250;
// Still frames drawn at one callback: a second of the animation, so that a page asked for many
// stays responsive while it gets there.
constexpr std::int64_t kStillFramesPerTick = 60;
constexpr double kNanosecondsPerMillisecond = 1e6;

}  // namespace

void CanvasBuffer::Resize(std::int32_t width, std::int32_t height) {
  // Opaque black, which the pixels beyond the last whole block of a scaled page stay.
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                 kImageDataLayout.opaque_bits);
  width_ = width;
  height_ = height;
  // The script gives the canvas the new size, which clears it.
  ChangeAll();
}

TargetBuffer CanvasBuffer::Buffer(std::size_t /*index*/) {
  return {pixels_.data(), width_, height_, width_ * 4, kImageDataLayout};
}

void CanvasBuffer::Present(std::size_t /*index*/, std::span<const PixelRect> rects) {
  if (whole_) return;
  if (changes_.size() + rects.size() > kMostRects) return ChangeAll();
  changes_.insert(changes_.end(), rects.begin(), rects.end());
}

void CanvasBuffer::ChangeAll() {
  changes_.assign(1, PixelRect{0, 0, width_, height_});
  whole_ = true;
}

void CanvasBuffer::ForgetChanges() {
  changes_.clear();
  whole_ = false;
}

WebPage::WebPage(TimeOfDayClock local_time, MillisecondClock busy_clock)
    : local_time_(std::move(local_time)), busy_clock_(std::move(busy_clock)), window_(canvas_) {}

std::string WebPage::Configure(std::string_view query) {
  ParsedQuery parsed = ParsePageQuery(query);
  if (!parsed.error.empty()) return parsed.error;
  const PageOptions before = options_;
  options_ = parsed.options;
  pacer_ = PagePacer(options_.rate_hz);
  if (options_.show_fps != before.show_fps) {
    window_.ShowText(options_.show_fps ? kFrameRateBeforeTheFirstSecond : "");
  }
  // Another seed, still or scale is another picture: a fresh one at the next callback.
  if (options_.clock_nanoseconds != before.clock_nanoseconds ||
      options_.still_frames != before.still_frames || options_.scale != before.scale) {
    shown_.reset();
  }
  policy_ = EndPolicy(RuleNow());
  return "";
}

std::size_t WebPage::Tick(double now_ms, std::int32_t width, std::int32_t height,
                          double device_pixel_ratio) {
  const double began = busy_clock_();
  canvas_.ForgetChanges();
  if (FollowSize(now_ms, SizeFor(width, height, device_pixel_ratio))) {
    if (options_.still_frames) {
      const std::int64_t last = std::min(*options_.still_frames, frames_ + kStillFramesPerTick);
      while (frames_ < last) DrawFrame();
    } else if (pacer_.FrameDue(now_ms)) {
      DrawFrame();
      CountFrame(now_ms);
    }
  }
  busy_ms_ += busy_clock_() - began;
  return canvas_.Changes().size();
}

double WebPage::MillisecondsUntilDue(double now_ms) const {
  if (pending_) return std::max(0.0, pending_since_ms_ + kSettleMilliseconds - now_ms);
  if (options_.still_frames) return frames_ < *options_.still_frames ? 0 : -1;
  return pacer_.MillisecondsUntilDue(now_ms);
}

// The canvas's device pixels, every page pixel scale x scale of them, no larger than a window
// of the program's own can be.
WebPage::Size WebPage::SizeFor(std::int32_t width, std::int32_t height,
                               double device_pixel_ratio) const {
  return {std::clamp(width, 0, kLargestWindowSide), std::clamp(height, 0, kLargestWindowSide),
          options_.scale > 0 ? options_.scale : PagePixelScale(device_pixel_ratio)};
}

// Starts the animation at the first size, and afresh at a new one once that has settled;
// meanwhile the old one goes on, stretched to the canvas. False while there is nothing to draw
// on.
bool WebPage::FollowSize(double now_ms, const Size& wanted) {
  if (wanted.width < wanted.scale || wanted.height < wanted.scale) return false;
  if (!shown_) {
    Start(wanted);
  } else if (wanted == *shown_) {
    pending_.reset();
  } else if (pending_ != wanted) {
    pending_ = wanted;
    pending_since_ms_ = now_ms;
  } else if (now_ms - pending_since_ms_ >= kSettleMilliseconds) {
    Start(wanted);
  }
  return true;
}

// A fresh run, from its start-up, as the program starts one for a window of a new size; with
// ?clock the run of flakemorph-trace --clock at that size.
void WebPage::Start(const Size& size) {
  animation_.reset();
  canvas_.Resize(size.width, size.height);
  window_.Resize(size.width, size.height, size.scale);
  window_.TakeResize();
  const std::optional<std::uint64_t> clock = options_.clock_nanoseconds;
  random_ = std::make_unique<TimeSeededGenerator>(clock ? TimeOfDayClock([clock] { return *clock; })
                                                        : local_time_);
  animation_ = std::make_unique<Animation>(window_, *random_);
  animation_->StartUp();
  window_.ShowFrame();
  frames_ = 0;
  shown_ = size;
  pending_.reset();
  pacer_.Restart();
}

void WebPage::DrawFrame() {
  animation_->NextFrame();
  window_.ShowFrame();
  ++frames_;
}

void WebPage::CountFrame(double now_ms) {
  if (!options_.show_fps) return;
  const auto nanoseconds = [](double ms) {
    return static_cast<Nanoseconds>(ms * kNanosecondsPerMillisecond);
  };
  if (const std::optional<FrameRate> rate =
          meter_.CountFrame(nanoseconds(now_ms), nanoseconds(busy_ms_))) {
    const std::size_t length = FormatFrameRate(*rate, text_);
    window_.ShowText(std::string_view(text_.data(), length));
  }
}

PageAction WebPage::Take(const InputEvent& event) {
  policy_.Take(event);
  if (!policy_.Ended()) return PageAction::kNothing;
  policy_ = EndPolicy(RuleNow());
  return full_screen_ ? PageAction::kLeaveFullScreen : PageAction::kEnterFullScreen;
}

void WebPage::FullScreenChanged(bool full_screen) {
  full_screen_ = full_screen;
  policy_ = EndPolicy(RuleNow());
}

// A page in a window takes the native program's --window rule, in full screen that of a screen
// saver that owns its input, and as a wallpaper none of the user's input.
EndRule WebPage::RuleNow() const {
  if (options_.wallpaper) return EndRuleOf(WindowMode::kWallpaper, false);
  if (full_screen_) return EndRuleOf(WindowMode::kEveryMonitor, true);
  return EndRuleOf(WindowMode::kPreview, false);
}

}  // namespace flakemorph::web
