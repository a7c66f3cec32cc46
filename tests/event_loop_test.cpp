#include "app/event_loop.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>

#include <array>

namespace flakemorph {
namespace {

class Inputs final : public InputSink {
 public:
  void Take(const InputEvent&) override { ++taken; }
  bool Ended() const override { return false; }
  int taken = 0;
};

// The wait gives which descriptors are readable, and waits no longer than asked when none is.
TEST(SignalWaiter, TellsTheReadableDescriptorsAndWaitsAtMostTheTimeAsked) {
  std::array<int, 2> quiet{};
  std::array<int, 2> ready{};
  ASSERT_EQ(pipe(quiet.data()), 0);
  ASSERT_EQ(pipe(ready.data()), 0);
  ASSERT_EQ(write(ready[1], "x", 1), 1);
  Inputs inputs;
  SignalWaiter waiter(inputs);
  std::array<WatchedDescriptor, 2> watched{{{quiet[0]}, {ready[0]}}};
  EXPECT_TRUE(waiter.WaitFor(watched, -1));
  EXPECT_FALSE(watched[0].readable);
  EXPECT_TRUE(watched[1].readable);
  std::array<WatchedDescriptor, 1> none{{{quiet[0]}}};
  EXPECT_FALSE(waiter.WaitFor(none, kSecond / 1000));
  EXPECT_FALSE(none[0].readable);
  EXPECT_EQ(inputs.taken, 0);
  for (const int descriptor : {quiet[0], quiet[1], ready[0], ready[1]}) close(descriptor);
}

}  // namespace
}  // namespace flakemorph
#endif
