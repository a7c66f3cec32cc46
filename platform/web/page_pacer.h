// The page's own pace. A browser calls the page back at every refresh of the display, at 60,
// 120, 144 Hz or whatever it has (requestAnimationFrame), or, where it does not, as often as a
// timer is asked to; the page draws a frame only at the callbacks that reach its next frame's
// moment, so that the animation runs at its rate on every display.
#pragma once

namespace flakemorph::web {

class PagePacer {
 public:
  // `rate_hz` 0 for the pace the animation was made for.
  explicit PagePacer(int rate_hz = 0);

  // Whether a callback at `now_ms` is to draw a frame. Frames keep to moments one period
  // apart, measured from the first, so that callbacks that come a little early or late do not
  // add up to drift; a callback up to a quarter of a period early still draws (a 60 Hz display
  // calls a little before each 60th of a second, a 144 Hz one at 6.9 ms steps), and never
  // more than one frame is drawn at a callback. After a pause of more than a period (a hidden
  // page, a busy browser) the moments start again from now: no burst of frames catches up.
  bool FrameDue(double now_ms);
  // How long from `now_ms` until the next frame is due, for a timer; 0 if it is due.
  double MillisecondsUntilDue(double now_ms) const;
  // The next callback draws a frame and the moments start again from it.
  void Restart() { started_ = false; }

 private:
  double period_ms_;
  double next_ms_ = 0;
  bool started_ = false;
};

}  // namespace flakemorph::web
