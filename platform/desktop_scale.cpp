#include "platform/desktop_scale.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/scale.h"
#include "common/text.h"

namespace flakemorph {
namespace {

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
    if (const std::optional<int> scale = ParseWhole(Trimmed(gdk_scale), 1, kLargestScale))
      return *scale;
  }
  if (x_resources == nullptr) return 1;
  const std::optional<double> dpi = XftDpi(x_resources);
  return dpi ? ScaleOfDpi(*dpi) : 1;
}

}  // namespace flakemorph
