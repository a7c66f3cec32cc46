// Once the cycle runs, a frame must not touch the heap: this binary replaces the global
// operator new and delete with counting versions and runs the real animation on pages in
// memory through whole cycles, new figures included.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

#include "animation/animation.h"
#include "app/program.h"
#include "display/buffer_chain.h"
#include "display/memory_display.h"
#include "display/page_damage.h"
#include "figures/random_source.h"
#include "platform/web/web_page.h"
#include "tests/program_fakes.h"

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t size) {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  if (counting) ++allocations;
  const std::size_t align = static_cast<std::size_t>(alignment);
#ifdef _WIN32
  // Windows has no aligned_alloc: its aligned blocks come and go through a pair of their own.
  return _aligned_malloc(size == 0 ? 1 : size, align);
#else
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = (size + align - 1) / align * align;
  return std::aligned_alloc(align, rounded == 0 ? align : rounded);
#endif
}

void FreeAligned(void* memory) {
#ifdef _WIN32
  _aligned_free(memory);
#else
  std::free(memory);
#endif
}

void* AllocateOrThrow(std::size_t size) {
  void* memory = Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void* AllocateAlignedOrThrow(std::size_t size, std::align_val_t alignment) {
  void* memory = AllocateAligned(size, alignment);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

// Counts the allocations made while it lives.
class AllocationCount {
 public:
  AllocationCount() {
    allocations = 0;
    counting = true;
  }
  ~AllocationCount() { counting = false; }
  long Total() const { return allocations; }
};

}  // namespace

void* operator new(std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateAlignedOrThrow(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(size, alignment);
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  FreeAligned(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
  FreeAligned(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  FreeAligned(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  FreeAligned(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  FreeAligned(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  FreeAligned(memory);
}

namespace flakemorph {
namespace {

// Keeps the compiler from dropping a new and delete pair that has no visible use.
template <typename T>
T* Escape(T* memory) {
  asm volatile("" : : "g"(memory) : "memory");
  return memory;
}

// Without this the test below would pass with a counter that never counts.
TEST(AllocationCounter, CountsEveryKindOfNew) {
  struct alignas(64) Wide {
    char bytes[64];
  };
  AllocationCount count;
  delete Escape(new int(1));
  delete[] Escape(new int[3]);
  delete Escape(new (std::nothrow) int(2));
  delete Escape(new Wide);
  delete[] Escape(new Wide[2]);
  EXPECT_EQ(count.Total(), 5);
}

// 300 frames after start-up: two whole cycles of 150 frames, so two new figures are built in
// the middle of the count, plus both phases of the frame.
void ExpectFramesAllocateNothing(Display& display) {
  TimeSeededGenerator random;
  Animation animation(display, random);
  animation.StartUp();
  // The first frame also starts the first cycle; afterwards everything is in place.
  animation.NextFrame();
  AllocationCount count;
  for (int frame = 0; frame < 300; ++frame) animation.NextFrame();
  EXPECT_EQ(count.Total(), 0);
}

TEST(Animation, FramesAllocateNothing) {
  MemoryDisplay display(448, 439);
  ExpectFramesAllocateNothing(display);
}

// Pages brought, as in the window, to a screen in memory by copying only what changed.
class DamageDisplay final : public MemoryDisplay {
 public:
  DamageDisplay(int width, int height)
      : MemoryDisplay(static_cast<float>(width), static_cast<float>(height)),
        screen_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)),
        target_{screen_.data(), width, height, width * 4, {16, 8, 0, 0}} {
    damage_.Resize(width, height);
  }

  void ZOrder(std::int16_t k) override {
    MemoryDisplay::ZOrder(k);
    damage_.CopyChanges(FrontPage(), target_);
  }

 private:
  std::vector<std::uint32_t> screen_;
  TargetBuffer target_;
  PageDamage damage_;
};

TEST(Animation, FramesShownThroughDamageAllocateNothing) {
  DamageDisplay display(640, 480);
  ExpectFramesAllocateNothing(display);
}

// Pages brought, as the Wayland window brings them, into buffers taken in turn (a third now and
// then, as when the compositor holds two), at scale 2 every other run.
class BufferChainDisplay final : public MemoryDisplay {
 public:
  BufferChainDisplay(int width, int height, int scale)
      : MemoryDisplay(static_cast<float>(width), static_cast<float>(height)) {
    const std::size_t pixels = static_cast<std::size_t>(width * scale) * (height * scale);
    for (std::size_t i = 0; i < BufferChain::kMostBuffers; ++i) {
      buffers_.emplace_back(pixels);
      targets_.push_back({buffers_.back().data(),
                          width * scale,
                          height * scale,
                          width * scale * 4,
                          {16, 8, 0, 0xFF000000U}});
    }
    chain_.Resize(width, height, scale);
    DeferDrawing();
  }

  void ZOrder(std::int16_t k) override {
    MemoryDisplay::ZOrder(k);
    const std::size_t index = ++frames_ % 7 == 0 ? 2 : frames_ % 2;
    chain_.Bring(index, FrontPage(), targets_[index]);
  }

 private:
  std::vector<std::vector<std::uint32_t>> buffers_;
  std::vector<TargetBuffer> targets_;
  BufferChain chain_;
  std::size_t frames_ = 0;
};

TEST(Animation, FramesShownThroughABufferChainAllocateNothing) {
  BufferChainDisplay display(640, 480, 1);
  ExpectFramesAllocateNothing(display);
  BufferChainDisplay scaled(320, 240, 2);
  ExpectFramesAllocateNothing(scaled);
}

// The loop of the program around the animations: several windows, pacing to a rate, the
// statistics and the frame-rate text, once a second each, over five seconds.
TEST(Program, FramesOfEveryWindowWithStatsAndTextAllocateNothing) {
  fakes::ManualClock clock;
  fakes::MemoryWindow left(clock, 448, 439);
  fakes::MemoryWindow right(clock, 320, 240);
  fakes::FakeWindowSystem events(&clock);
  events.Add(&left);
  events.Add(&right);
  std::FILE* stats = std::tmpfile();
  ASSERT_NE(stats, nullptr);
  const ProgramSettings settings{.refresh_hz = 60, .rate_hz = 30, .show_fps = true, .stats = stats};
  Program program(events, fakes::SeededStreams(LocalNanosecondsSinceMidnight), clock, clock,
                  settings);
  program.StartUp();
  // The first frame starts the first cycle and the first second's report prints once.
  for (int frame = 0; frame < 40; ++frame) program.RunFrame();
  {
    AllocationCount count;
    for (int frame = 0; frame < 150; ++frame) {
      clock.Work(kSecond / 1000);
      program.RunFrame();
    }
    EXPECT_EQ(count.Total(), 0);
  }
  EXPECT_EQ(left.Text(), "30 fps  CPU 3.0%");
  std::fclose(stats);
}

// As the window runs them: the pages only note their circles, which are drawn on the screen.
TEST(Animation, FramesOfDeferredPagesShownThroughDamageAllocateNothing) {
  DamageDisplay display(1280, 720);
  display.DeferDrawing();
  ExpectFramesAllocateNothing(display);
}

// The web page's callbacks, at 144 a second with the frame-rate text, through whole cycles.
TEST(WebPage, CallbacksAllocateNothing) {
  web::WebPage page([] { return std::uint64_t{43'200'000'000'000}; }, [] { return 0.0; });
  ASSERT_EQ(page.Configure("?fps"), "");
  double now = 0;
  const auto run = [&](int calls) {
    for (int call = 0; call < calls; ++call, now += 1000.0 / 144) page.Tick(now, 640, 360, 1);
  };
  run(144);
  {
    AllocationCount count;
    run(144 * 6);
    EXPECT_EQ(count.Total(), 0);
  }
  EXPECT_GT(page.FramesDrawn(), 400);
}

}  // namespace
}  // namespace flakemorph
