#include "platform/web/page_options.h"

#include "app/options.h"
#include "common/scale.h"
#include "common/text.h"
#include "figures/decimal_text.h"
#include "figures/quoted_text.h"

namespace flakemorph::web {
namespace {

std::optional<bool> Switch(std::string_view text, bool bare) {
  if (bare || text == "1" || text == "true") return true;
  if (text == "0" || text == "false") return false;
  return std::nullopt;
}

std::string Wrong(std::string_view what, std::string_view name, std::string_view value,
                  std::string_view range) {
  std::string message(what);
  message.append(" ").append(QuotedText(value, "a value")).append(" for ?");
  return message.append(name).append(" (").append(range).append(")");
}

// Applies one name=value; gives what is wrong with it, or "".
std::string Apply(std::string_view name, std::string_view value, bool bare, PageOptions& options) {
  if (name == "fps" || name == "wallpaper") {
    const std::optional<bool> on = Switch(value, bare);
    if (!on) return Wrong("bad switch", name, value, "none, 1, true, 0 or false");
    (name == "fps" ? options.show_fps : options.wallpaper) = *on;
  } else if (name == "rate") {
    const auto rate = ParseWhole(value, kLowestRate, kHighestRate);
    if (!rate) return Wrong("bad rate", name, value, "frames per second, 1 to 240");
    options.rate_hz = *rate;
  } else if (name == "scale") {
    const auto scale = ParseWhole(value, 1, kLargestScale);
    if (!scale) return Wrong("bad scale", name, value, "a whole number from 1 to 4");
    options.scale = *scale;
  } else if (name == "clock") {
    options.clock_nanoseconds = ReadTimeOfDay(value);
    if (!options.clock_nanoseconds) {
      return Wrong("bad time of day", name, value, "seconds since midnight, below 86400");
    }
  } else if (name == "frames") {
    const auto frames = ParseWhole(value, 0, kMostStillFrames);
    if (!frames) return Wrong("bad number", name, value, "0 to 36000 frames");
    options.still_frames = *frames;
  }
  return "";
}

}  // namespace

ParsedQuery ParsePageQuery(std::string_view query) {
  ParsedQuery parsed;
  if (query.starts_with('?')) query.remove_prefix(1);
  // An empty pair is a bare name the page does not know: left alone.
  while (!query.empty() && parsed.error.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const std::size_t equals = pair.find('=');
    const bool bare = equals == std::string_view::npos;
    const std::string_view name = pair.substr(0, equals);
    const std::string_view value = bare ? std::string_view() : pair.substr(equals + 1);
    parsed.error = Apply(name, value, bare, parsed.options);
  }
  return parsed;
}

int PagePixelScale(double device_pixel_ratio) {
  return ScaleOfDpi(device_pixel_ratio * kUnscaledDpi);
}

}  // namespace flakemorph::web
