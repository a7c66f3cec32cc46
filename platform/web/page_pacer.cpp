#include "platform/web/page_pacer.h"

#include <algorithm>

#include "app/program.h"

namespace flakemorph::web {

PagePacer::PagePacer(int rate_hz) : period_ms_(1000.0 / (rate_hz > 0 ? rate_hz : kDesignedRate)) {}

bool PagePacer::FrameDue(double now_ms) {
  if (started_ && now_ms < next_ms_ - period_ms_ / 4) return false;
  if (!started_ || now_ms - next_ms_ > period_ms_) {
    started_ = true;
    next_ms_ = now_ms;
  }
  next_ms_ += period_ms_;
  return true;
}

double PagePacer::MillisecondsUntilDue(double now_ms) const {
  if (!started_) return 0;
  return std::max(0.0, next_ms_ - period_ms_ / 4 - now_ms);
}

}  // namespace flakemorph::web
