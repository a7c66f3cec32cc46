// Stands between the animation and the display it draws on, and lets the drawing through only
// once opened: the frames before the first one shown are computed but not drawn. The animation
// never reads anything back from a display but the client size, so what it computes, and thus
// every frame after, is the same whether those frames were drawn or not; and a frame that is
// shown clears its page and draws it whole.
#pragma once

#include "display/display.h"

namespace flakemorph::trace {

class DrawingGate final : public Display {
 public:
  DrawingGate(Display& inner, bool open) : inner_(inner), open_(open) {}

  void Open() { open_ = true; }

  // The start-up's size and placing of the pages, the context (which checks its surface's
  // index) and the page in front always pass.
  float ScaleWidth() override { return inner_.ScaleWidth(); }
  float ScaleHeight() override { return inner_.ScaleHeight(); }
  void Move(std::int16_t k, float left, float top, float width, float height) override {
    inner_.Move(k, left, top, width, height);
  }
  void BackColor(std::int16_t k, ColorValue color) override { inner_.BackColor(k, color); }
  DeviceContext hDC(std::int16_t k) override { return inner_.hDC(k); }
  void ZOrder(std::int16_t k) override { inner_.ZOrder(k); }

  void Cls(std::int16_t k) override {
    if (open_) inner_.Cls(k);
  }
  void ForeColor(std::int16_t k, ColorValue color) override {
    if (open_) inner_.ForeColor(k, color);
  }
  std::int32_t Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) override {
    return open_ ? inner_.Ellipse(dc, left, top, right, bottom) : 1;
  }
  void DoEvents() override {
    if (open_) inner_.DoEvents();
  }

 private:
  Display& inner_;
  bool open_;
};

}  // namespace flakemorph::trace
