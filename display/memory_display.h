// The two surfaces as pages in memory, with no window: what the headless tool and the tests
// draw on, and what the real window keeps its pages in.
#pragma once

#include <array>

#include "display/display.h"
#include "display/page.h"

namespace flakemorph {

class MemoryDisplay : public Display {
 public:
  MemoryDisplay(float scale_width, float scale_height);

  float ScaleWidth() override { return scale_width_; }
  float ScaleHeight() override { return scale_height_; }
  void Move(std::int16_t k, float left, float top, float width, float height) override;
  void BackColor(std::int16_t k, ColorValue color) override;
  void Cls(std::int16_t k) override;
  void ForeColor(std::int16_t k, ColorValue color) override;
  DeviceContext hDC(std::int16_t k) override { return ContextOfSurface(k); }
  std::int32_t Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) override;
  void ZOrder(std::int16_t k) override;
  void DoEvents() override {}

  // Both pages draw only when their pixels are read: for a display that shows a page by drawing
  // its record elsewhere.
  void DeferDrawing() {
    for (Surface& surface : surfaces_) surface.page.DeferDrawing();
  }

  const Page& page(std::int16_t k) const { return surfaces_[CheckSurfaceIndex(k)].page; }
  std::int16_t FrontIndex() const { return front_; }
  const Page& FrontPage() const { return page(front_); }
  std::int32_t Left(std::int16_t k) const { return surfaces_[CheckSurfaceIndex(k)].left; }
  std::int32_t Top(std::int16_t k) const { return surfaces_[CheckSurfaceIndex(k)].top; }

 protected:
  void SetScaleSize(float width, float height) {
    scale_width_ = width;
    scale_height_ = height;
  }

 private:
  struct Surface {
    Page page;
    std::int32_t left = 0;
    std::int32_t top = 0;
    ColorValue back_color = 0;
    ColorValue fore_color = 0;
  };

  float scale_width_;
  float scale_height_;
  std::array<Surface, 2> surfaces_;
  std::int16_t front_ = 0;
};

}  // namespace flakemorph
