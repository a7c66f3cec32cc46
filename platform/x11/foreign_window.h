// A window of another program that the animation is drawn into, as screen-saver daemons and
// their settings previews hand one over. The window system behind it stays out of this header.
#pragma once

#include <cstdint>

namespace flakemorph {

class ForeignWindow {
 public:
  virtual ~ForeignWindow() = default;

  // The window system's own id of the window.
  virtual std::uintptr_t NativeId() const = 0;

  // Takes what happened to the window since the last call. Ends the program quietly with
  // status 0 once the window is gone: its owner is done with the picture. True when the window
  // system lost part of what the window shows, so that the whole picture must go again.
  virtual bool TakeEvents() = 0;

  // True, with the size, when the window's owner gave it a new size (or perhaps the same)
  // since the last call; TakeEvents has taken the news.
  virtual bool TakeNewSize(int& width, int& height) = 0;
};

}  // namespace flakemorph
