#include "platform/wayland/output_windows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wayland/frame_turn.h"

namespace flakemorph {
namespace {

// A window as the outputs' list sees one: sized or not, taken away or not, and its end.
struct FakeWindow {
  explicit FakeWindow(int& destroyed, bool configured = true)
      : destroyed(destroyed), configured(configured) {}
  ~FakeWindow() { ++destroyed; }
  bool Configured() const { return configured; }
  bool Closed() const { return closed; }
  int& destroyed;
  bool configured;
  bool closed = false;
};

std::size_t ShownCount(OutputWindows<FakeWindow>& windows) {
  std::vector<FakeWindow*> shown;
  windows.AddShown(shown);
  return shown.size();
}

TEST(OutputWindows, TheRunEndsWhenTheLastShownWindowWentAndNotBeforeTheFirst) {
  int destroyed = 0;
  OutputWindows<FakeWindow> windows;
  windows.AddOutput(1);
  windows.AddOutput(2);
  windows.Open(1, std::make_unique<FakeWindow>(destroyed, false));
  EXPECT_EQ(ShownCount(windows), 0U);
  windows.OutputGone(1);  // before the compositor sized it: the first is still awaited
  EXPECT_FALSE(windows.AllGone());
  windows.Open(2, std::make_unique<FakeWindow>(destroyed));
  EXPECT_EQ(ShownCount(windows), 1U);
  windows.AddOutput(3);  // an output without its window yet keeps nothing going
  windows.OutputGone(2);
  EXPECT_EQ(ShownCount(windows), 0U);
  EXPECT_TRUE(windows.AllGone());
}

// The program may draw on a window that went until its next call, whichever way it went.
TEST(OutputWindows, AWindowThatWentLivesUntilTheProgramLetGo) {
  for (int way = 0; way < 3; ++way) {
    int destroyed = 0;
    OutputWindows<FakeWindow> windows;
    windows.AddOutput(7);
    windows.Open(7, std::make_unique<FakeWindow>(destroyed));
    if (way == 0) windows.OutputGone(7);
    if (way == 1) {
      windows.Of(7)->closed = true;
      windows.DropClosed();
    }
    if (way == 2) windows.CloseAll();  // the saver hidden
    EXPECT_EQ(destroyed, 0) << way;
    EXPECT_FALSE(windows.Any()) << way;
    windows.LetGo();
    EXPECT_EQ(destroyed, 1) << way;
  }
}

// Asked for its frame, a surface whose buffers the compositor all holds still waits: a frame
// drawn then would be lost, and the program would run on without waiting.
TEST(ReadyForFrame, AskedForAndWithABufferNotHeld) {
  struct Buffers final : FrameBuffers {
    std::size_t BufferCount() const override { return 2; }
    TargetBuffer Buffer(std::size_t) override { return {pixels.data(), 2, 2, 8, {16, 8, 0, 0}}; }
    bool Held(std::size_t index) const override { return held[index]; }
    void Present(std::size_t, std::span<const PixelRect>) override {}
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(4);
    std::vector<bool> held = {false, false};
  } buffers;
  PageWindow pages(buffers);
  pages.Resize(2, 2, 1);
  const SurfaceTurn asked{.configured = true};
  EXPECT_TRUE(ReadyForFrame(asked, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = false}, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = true, .closed = true}, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = true, .frame_requested = true}, pages));
  buffers.held = {true, true};
  EXPECT_FALSE(ReadyForFrame(asked, pages));
  buffers.held[1] = false;
  EXPECT_TRUE(ReadyForFrame(asked, pages));
}

}  // namespace
}  // namespace flakemorph
