// The program's one wait: for the descriptors a window system watches and for the ending
// signals together, so that SIGINT and SIGTERM end the run in any wait, start-up's included.
#pragma once

#include <span>

#include "platform/window_system.h"

namespace flakemorph {

class SignalWaiter final : public Waiter {
 public:
  // Hands each ending signal to `input`. TakeEndingSignals must have run.
  explicit SignalWaiter(InputSink& input) : input_(input) {}

  // At most kMostWatched descriptors are waited for; the others are left out.
  static constexpr std::size_t kMostWatched = 7;
  bool WaitFor(std::span<WatchedDescriptor> watched, Nanoseconds wait) override;

 private:
  InputSink& input_;
};

}  // namespace flakemorph
