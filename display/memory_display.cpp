#include "display/memory_display.h"

namespace flakemorph {

MemoryDisplay::MemoryDisplay(float scale_width, float scale_height)
    : scale_width_(scale_width), scale_height_(scale_height) {}

void MemoryDisplay::Move(std::int16_t k, float left, float top, float width, float height) {
  Surface& surface = surfaces_[CheckSurfaceIndex(k)];
  surface.left = Nearest32(left);
  surface.top = Nearest32(top);
  const std::int32_t new_width = Nearest32(width);
  const std::int32_t new_height = Nearest32(height);
  if (new_width != surface.page.Width() || new_height != surface.page.Height()) {
    surface.page.Resize(new_width, new_height);
    surface.page.Fill(surface.back_color);
  }
}

void MemoryDisplay::BackColor(std::int16_t k, ColorValue color) {
  Surface& surface = surfaces_[CheckSurfaceIndex(k)];
  surface.back_color = color;
  surface.page.Fill(color);
}

void MemoryDisplay::Cls(std::int16_t k) {
  Surface& surface = surfaces_[CheckSurfaceIndex(k)];
  surface.page.Fill(surface.back_color);
}

void MemoryDisplay::ForeColor(std::int16_t k, ColorValue color) {
  surfaces_[CheckSurfaceIndex(k)].fore_color = color;
}

std::int32_t MemoryDisplay::Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top,
                                    std::int32_t right, std::int32_t bottom) {
  Surface& surface = surfaces_[SurfaceOfContext(dc)];
  surface.page.DrawEllipse(left, top, right, bottom, surface.fore_color);
  return 1;
}

void MemoryDisplay::ZOrder(std::int16_t k) {
  front_ = CheckSurfaceIndex(k);
}

}  // namespace flakemorph
