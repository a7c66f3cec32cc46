// The outputs of a Wayland connection, each as it said last of itself. The window system writes
// them as the outputs speak; a window reads here the scale and mode of the outputs it lies on.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct wl_output;

namespace flakemorph {

struct Output {
  std::uint32_t name = 0;  // the registry's
  wl_output* output = nullptr;
  std::string label;  // for the stats line
  std::int32_t scale = 1;
  // The current mode in the output's own pixels; 0 x 0 while it has not said.
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t refresh_millihertz = 0;
  bool described = false;  // it has told all of itself at least once
};

class Outputs {
 public:
  void Add(std::uint32_t name, wl_output* output) {
    outputs_.push_back({name, output, "output " + std::to_string(name)});
  }
  void Remove(std::uint32_t name) {
    std::erase_if(outputs_, [name](const Output& output) { return output.name == name; });
  }

  // Nothing for an output that is not known (or none).
  const Output* Of(const wl_output* output) const {
    const auto found = std::ranges::find(outputs_, output, &Output::output);
    return found != outputs_.end() ? &*found : nullptr;
  }
  Output* Of(const wl_output* output) {
    return const_cast<Output*>(static_cast<const Outputs*>(this)->Of(output));
  }
  Output* Named(std::uint32_t name) {
    const auto found = std::ranges::find(outputs_, name, &Output::name);
    return found != outputs_.end() ? &*found : nullptr;
  }
  // 1 for an output that is not known.
  std::int32_t ScaleOf(const wl_output* output) const {
    const Output* found = Of(output);
    return found != nullptr ? found->scale : 1;
  }

  std::vector<Output>& All() { return outputs_; }
  const std::vector<Output>& All() const { return outputs_; }

 private:
  std::vector<Output> outputs_;
};

}  // namespace flakemorph
