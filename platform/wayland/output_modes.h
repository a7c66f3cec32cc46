// What every output of a Wayland connection said last of its pixels: its integer scale and its
// current mode. The window system writes it as the outputs speak; a window reads here the scale
// and mode of the outputs it lies on.
#pragma once

#include <cstdint>
#include <vector>

struct wl_output;

namespace flakemorph {

class OutputModes {
 public:
  void Add(const wl_output* output);
  void Remove(const wl_output* output);
  void SetScale(const wl_output* output, std::int32_t scale);
  void SetMode(const wl_output* output, std::int32_t width, std::int32_t height);

  // 1 for an output that has not said, or that is not known.
  std::int32_t ScaleOf(const wl_output* output) const;
  // The current mode in the output's own pixels; 0 x 0 while it has not said.
  void ModeOf(const wl_output* output, std::int32_t& width, std::int32_t& height) const;

 private:
  struct Entry {
    const wl_output* output = nullptr;
    std::int32_t scale = 1;
    std::int32_t width = 0;
    std::int32_t height = 0;
  };
  Entry* Find(const wl_output* output);
  const Entry* Find(const wl_output* output) const;

  std::vector<Entry> entries_;
};

}  // namespace flakemorph
