#include "platform/wayland/output_windows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wayland/frame_turn.h"

namespace flakemorph {
namespace {

// A window as the outputs' list sees one: whether it has its size or was taken away, and when
// it is destroyed.
struct FakeWindow {
  explicit FakeWindow(int& destroyed) : destroyed(destroyed) {}
  ~FakeWindow() { ++destroyed; }
  bool Configured() const { return configured; }
  bool Closed() const { return closed; }

  int& destroyed;
  bool configured = true;
  bool closed = false;
};

std::vector<FakeWindow*> Shown(OutputWindows<FakeWindow>& windows) {
  std::vector<FakeWindow*> shown;
  windows.AddShown(shown);
  return shown;
}

TEST(OutputWindows, TheRunEndsWhenTheLastShownWindowWentAndNotBeforeTheFirst) {
  int destroyed = 0;
  OutputWindows<FakeWindow> windows;
  windows.AddOutput(1);
  windows.AddOutput(2);
  auto first = std::make_unique<FakeWindow>(destroyed);
  first->configured = false;
  windows.Open(1, std::move(first));
  EXPECT_TRUE(Shown(windows).empty());
  windows.OutputGone(1);  // gone before the compositor sized it: the first is still awaited
  EXPECT_FALSE(windows.AllGone());

  windows.Open(2, std::make_unique<FakeWindow>(destroyed));
  EXPECT_EQ(Shown(windows).size(), 1U);
  EXPECT_FALSE(windows.AllGone());
  windows.AddOutput(3);  // an output still without its window keeps nothing alive
  windows.OutputGone(2);
  EXPECT_TRUE(Shown(windows).empty());
  EXPECT_TRUE(windows.AllGone());
}

// The program may still draw on a window that went until its next call: the window lives till
// then, whichever way it went, and its output no longer has it.
TEST(OutputWindows, AWindowThatWentLivesUntilTheProgramLetGo) {
  enum class Way { kOutputGone, kClosed, kAllHidden };
  for (const Way way : {Way::kOutputGone, Way::kClosed, Way::kAllHidden}) {
    int destroyed = 0;
    OutputWindows<FakeWindow> windows;
    windows.AddOutput(7);
    windows.Open(7, std::make_unique<FakeWindow>(destroyed));
    ASSERT_EQ(Shown(windows).size(), 1U);
    if (way == Way::kOutputGone) windows.OutputGone(7);
    if (way == Way::kClosed) {
      windows.Of(7)->closed = true;
      windows.DropClosed();
    }
    if (way == Way::kAllHidden) windows.CloseAll();
    EXPECT_EQ(destroyed, 0) << static_cast<int>(way);
    EXPECT_EQ(windows.Of(7), nullptr);
    EXPECT_FALSE(windows.Any());
    windows.LetGo();
    EXPECT_EQ(destroyed, 1) << static_cast<int>(way);
  }
}

// A surface the compositor asked for its frame still waits while it holds every buffer: a
// frame drawn then would be lost, and the program would run on without waiting.
TEST(ReadyForFrame, AskedForAndWithABufferNotHeld) {
  class Buffers final : public FrameBuffers {
   public:
    std::size_t BufferCount() const override { return 2; }
    TargetBuffer Buffer(std::size_t) override {
      return {pixels.data(), 4, 4, 16, {16, 8, 0, 0xFF000000U}};
    }
    bool Held(std::size_t index) const override { return held[index]; }
    void Present(std::size_t, std::span<const PixelRect>) override {}
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(16);
    std::vector<bool> held = {false, false};
  } buffers;
  PageWindow pages(buffers);
  pages.Resize(4, 4, 1);
  const SurfaceTurn asked{.configured = true};
  EXPECT_TRUE(ReadyForFrame(asked, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = false}, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = true, .closed = true}, pages));
  EXPECT_FALSE(ReadyForFrame({.configured = true, .frame_requested = true}, pages));
  buffers.held = {true, true};
  EXPECT_FALSE(ReadyForFrame(asked, pages));
  buffers.held = {true, false};
  EXPECT_TRUE(ReadyForFrame(asked, pages));
}

}  // namespace
}  // namespace flakemorph
