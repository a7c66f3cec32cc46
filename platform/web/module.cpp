// The page's WebAssembly module: what the script (flakemorph.js) calls, and the two clocks it
// lends. A page is a handle the script keeps; the module holds no state of its own.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "platform/web/web_page.h"

namespace {

using flakemorph::InputKind;

// The local time of day in milliseconds since midnight, from the script's Date: WASI knows no
// time zone. And performance.now(), for the time the page itself works.
__attribute__((import_module("env"), import_name("local_time_of_day_ms"))) extern "C" double
LocalTimeOfDayMs();
__attribute__((import_module("env"), import_name("now_ms"))) extern "C" double NowMs();

// The page and the text it shares with the script: the address's query on the way in, an
// error on the way out.
struct ModulePage {
  flakemorph::web::WebPage page{[] { return static_cast<std::uint64_t>(LocalTimeOfDayMs() * 1e6); },
                                NowMs};
  std::string text;
};

// What the user did, at the script's number for it (its Input): fixed here so that the
// program's own vocabulary may grow and change order.
constexpr std::array kScriptInputs{
    InputKind::kKeyPressed,       // keydown, not a repeat, of a key that is no modifier
    InputKind::kModifierPressed,  // keydown of Shift, Control, Alt, Meta and the like
    InputKind::kButtonPressed,    // pointerdown of a mouse or pen
    InputKind::kWheelTurned,
    InputKind::kTouched,       // pointerdown of a finger
    InputKind::kPointerMoved,  // pointermove, at screen coordinates
    InputKind::kFocusLost,     // the page's window lost the keyboard
};

}  // namespace

#define FLAKEMORPH_EXPORT(name) __attribute__((export_name(#name)))

extern "C" {

FLAKEMORPH_EXPORT(page_new) ModulePage* PageNew() {
  return new ModulePage();
}

// The shared text, made `length` bytes long: the script writes the query there before it
// calls page_configure, and reads the message that replaces it.
FLAKEMORPH_EXPORT(page_text) char* PageText(ModulePage* page, std::int32_t length) {
  page->text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return page->text.data();
}

// The query now in the text; 0 once in force, else the length of the message that replaces it.
FLAKEMORPH_EXPORT(page_configure) std::int32_t PageConfigure(ModulePage* page) {
  page->text = page->page.Configure(page->text);
  return static_cast<std::int32_t>(page->text.size());
}

FLAKEMORPH_EXPORT(page_tick)
std::int32_t PageTick(ModulePage* page, double now_ms, std::int32_t width, std::int32_t height,
                      double device_pixel_ratio) {
  return static_cast<std::int32_t>(page->page.Tick(now_ms, width, height, device_pixel_ratio));
}

// The rectangles changed by the last tick, each x, y, width, height as 32-bit integers.
FLAKEMORPH_EXPORT(page_changes) const flakemorph::PixelRect* PageChanges(ModulePage* page) {
  return page->page.Changes().data();
}
FLAKEMORPH_EXPORT(page_pixels) const std::uint32_t* PagePixels(ModulePage* page) {
  return page->page.Canvas().Pixels();
}
FLAKEMORPH_EXPORT(page_width) std::int32_t PageWidth(ModulePage* page) {
  return page->page.Canvas().Width();
}
FLAKEMORPH_EXPORT(page_height) std::int32_t PageHeight(ModulePage* page) {
  return page->page.Canvas().Height();
}
// Milliseconds until a timer's callback is next worth making; below 0 for none.
FLAKEMORPH_EXPORT(page_wait) double PageWait(ModulePage* page, double now_ms) {
  return page->page.MillisecondsUntilDue(now_ms);
}
FLAKEMORPH_EXPORT(page_frames) double PageFrames(ModulePage* page) {
  return static_cast<double>(page->page.FramesDrawn());
}

// One of kScriptInputs, unsigned so that any number the script does not know is beyond them,
// with where the pointer is; gives a PageAction.
FLAKEMORPH_EXPORT(page_input)
std::int32_t PageInput(ModulePage* page, std::uint32_t kind, std::int32_t x, std::int32_t y) {
  if (kind >= kScriptInputs.size()) {
    return static_cast<std::int32_t>(flakemorph::web::PageAction::kNothing);
  }
  return static_cast<std::int32_t>(page->page.Take({kScriptInputs[kind], x, y}));
}

FLAKEMORPH_EXPORT(page_full_screen) void PageFullScreen(ModulePage* page, std::int32_t full) {
  page->page.FullScreenChanged(full != 0);
}

}  // extern "C"
