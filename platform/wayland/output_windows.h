// The program's windows on the outputs of a compositor, whose outputs come and go between the
// program's calls: at most one window an output, in the outputs' order. A window that goes (its
// output unplugged, its surface taken away, the saver hidden) is kept until the program has let
// go of it at its next call, since the program may still draw on it until then. The run ends
// once the last window went, if there ever was one shown, but not while the first is awaited.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace flakemorph {

// Window: Configured() (it has its size) and Closed() (the compositor took it away).
template <typename Window>
class OutputWindows {
 public:
  // A new output, still without its window.
  void AddOutput(std::uint32_t output) { slots_.push_back({output, nullptr}); }
  // The output went, and its window with it.
  void OutputGone(std::uint32_t output) {
    const auto slot = std::ranges::find(slots_, output, &Slot::output);
    if (slot == slots_.end()) return;
    if (slot->window) gone_.push_back(std::move(slot->window));
    slots_.erase(slot);
  }

  Window* Of(std::uint32_t output) const {
    const auto slot = std::ranges::find(slots_, output, &Slot::output);
    return slot != slots_.end() ? slot->window.get() : nullptr;
  }
  void Open(std::uint32_t output, std::unique_ptr<Window> window) {
    const auto slot = std::ranges::find(slots_, output, &Slot::output);
    if (slot != slots_.end() && !slot->window) slot->window = std::move(window);
  }

  // Every window goes: the saver is hidden.
  void CloseAll() {
    DropWhere([](const Window&) { return true; });
  }
  // The windows the compositor took away go.
  void DropClosed() {
    DropWhere([](const Window& window) { return window.Closed(); });
  }
  // The program holds none of the windows that went any more.
  void LetGo() { gone_.clear(); }

  // Adds to `shown` the windows the program draws on now: those with their size.
  template <typename Shown>
  void AddShown(std::vector<Shown*>& shown) {
    const std::size_t before = shown.size();
    for (const Slot& slot : slots_) {
      if (slot.window && slot.window->Configured()) shown.push_back(slot.window.get());
    }
    ever_shown_ = ever_shown_ || shown.size() > before;
  }
  bool Any() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return bool(s.window); });
  }
  bool AllSized() const {
    return std::all_of(slots_.begin(), slots_.end(),
                       [](const Slot& s) { return !s.window || s.window->Configured(); });
  }
  // Whether windows were shown and every one has gone since.
  bool AllGone() const { return ever_shown_ && !Any(); }

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Slot& slot : slots_) {
      if (slot.window) visit(*slot.window);
    }
  }

 private:
  struct Slot {
    std::uint32_t output;
    std::unique_ptr<Window> window;
  };
  template <typename Goes>
  void DropWhere(Goes goes) {
    for (Slot& slot : slots_) {
      if (slot.window && goes(*slot.window)) gone_.push_back(std::move(slot.window));
    }
  }

  std::vector<Slot> slots_;
  std::vector<std::unique_ptr<Window>> gone_;
  bool ever_shown_ = false;
};

}  // namespace flakemorph
