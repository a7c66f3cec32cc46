// A high-resolution waitable timer, to wait for the next frame and for messages at once.
#pragma once

#include <windows.h>

#include "platform/window_system.h"

namespace flakemorph {

class WaitableTimer {
 public:
  WaitableTimer();
  ~WaitableTimer();
  WaitableTimer(const WaitableTimer&) = delete;
  WaitableTimer& operator=(const WaitableTimer&) = delete;

  // Waits until `wait` has passed or a message has come, whichever is first.
  void WaitForMessage(Nanoseconds wait);

 private:
  HANDLE timer_;
  bool coarse_;  // an ordinary timer, with the system's timer resolution raised to 1 ms
};

}  // namespace flakemorph
