#include "platform/desktop_scale.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace flakemorph {
namespace {

constexpr int kUnscaledDpi = 96;

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A whole number from 1 to the largest scale, and nothing else.
std::optional<int> WholeScale(std::string_view text) {
  text = Trimmed(text);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kLargestDesktopScale) return std::nullopt;
  return value;
}

// The value of the resource "Xft.dpi" (the last one, as the database keeps), in dots per inch.
std::optional<double> XftDpi(std::string_view resources) {
  constexpr std::string_view kName = "Xft.dpi:";
  std::optional<double> dpi;
  while (!resources.empty()) {
    const std::size_t end = resources.find('\n');
    const std::string_view line = Trimmed(resources.substr(0, end));
    resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
    if (!line.starts_with(kName)) continue;
    const std::string_view value = Trimmed(line.substr(kName.size()));
    double number = 0;
    const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc{} && stop == value.data() + value.size() && number > 0) dpi = number;
  }
  return dpi;
}

}  // namespace

int DesktopScale(const char* gdk_scale, const char* x_resources) {
  if (gdk_scale != nullptr) {
    if (const std::optional<int> scale = WholeScale(gdk_scale)) return *scale;
  }
  if (x_resources == nullptr) return 1;
  const std::optional<double> dpi = XftDpi(x_resources);
  if (!dpi) return 1;
  const double scale = *dpi / kUnscaledDpi + 0.5;
  return static_cast<int>(std::clamp(scale, 1.0, static_cast<double>(kLargestDesktopScale)));
}

}  // namespace flakemorph
