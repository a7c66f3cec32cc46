#include "platform/wayland/output_modes.h"

#include <algorithm>

namespace flakemorph {

void OutputModes::Add(const wl_output* output) {
  if (Find(output) == nullptr) entries_.push_back({output});
}

void OutputModes::Remove(const wl_output* output) {
  std::erase_if(entries_, [output](const Entry& entry) { return entry.output == output; });
}

void OutputModes::SetScale(const wl_output* output, std::int32_t scale) {
  if (Entry* entry = Find(output)) entry->scale = std::max(scale, 1);
}

void OutputModes::SetMode(const wl_output* output, std::int32_t width, std::int32_t height) {
  if (Entry* entry = Find(output)) {
    entry->width = width;
    entry->height = height;
  }
}

std::int32_t OutputModes::ScaleOf(const wl_output* output) const {
  const Entry* entry = Find(output);
  return entry != nullptr ? entry->scale : 1;
}

void OutputModes::ModeOf(const wl_output* output, std::int32_t& width, std::int32_t& height) const {
  const Entry* entry = Find(output);
  width = entry != nullptr ? entry->width : 0;
  height = entry != nullptr ? entry->height : 0;
}

OutputModes::Entry* OutputModes::Find(const wl_output* output) {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [output](const Entry& entry) { return entry.output == output; });
  return found != entries_.end() ? &*found : nullptr;
}

const OutputModes::Entry* OutputModes::Find(const wl_output* output) const {
  return const_cast<OutputModes*>(this)->Find(output);
}

}  // namespace flakemorph
