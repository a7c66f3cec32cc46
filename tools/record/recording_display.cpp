#include "tools/record/recording_display.h"

#include <cinttypes>

namespace flakemorph {

RecordingDisplay::RecordingDisplay(LogWriter& log, Display* inner, float scale_width,
                                   float scale_height)
    : log_(log), inner_(inner), scale_width_(scale_width), scale_height_(scale_height) {}

float RecordingDisplay::ScaleWidth() {
  return inner_ != nullptr ? inner_->ScaleWidth() : scale_width_;
}

float RecordingDisplay::ScaleHeight() {
  return inner_ != nullptr ? inner_->ScaleHeight() : scale_height_;
}

void RecordingDisplay::Move(std::int16_t k, float left, float top, float width, float height) {
  log_.Printf("move %d %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32 "\n", CheckSurfaceIndex(k),
              Nearest32(left), Nearest32(top), Nearest32(width), Nearest32(height));
  if (inner_ != nullptr) inner_->Move(k, left, top, width, height);
}

void RecordingDisplay::BackColor(std::int16_t k, ColorValue color) {
  log_.Printf("backcolor %d %" PRId32 "\n", CheckSurfaceIndex(k), color);
  if (inner_ != nullptr) inner_->BackColor(k, color);
}

void RecordingDisplay::Cls(std::int16_t k) {
  log_.Printf("cls %d\n", CheckSurfaceIndex(k));
  if (inner_ != nullptr) inner_->Cls(k);
}

void RecordingDisplay::ForeColor(std::int16_t k, ColorValue color) {
  log_.Printf("forecolor %d %" PRId32 "\n", CheckSurfaceIndex(k), color);
  if (inner_ != nullptr) inner_->ForeColor(k, color);
}

DeviceContext RecordingDisplay::hDC(std::int16_t k) {
  return inner_ != nullptr ? inner_->hDC(k) : ContextOfSurface(k);
}

std::int32_t RecordingDisplay::Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top,
                                       std::int32_t right, std::int32_t bottom) {
  log_.Printf("ellipse %d %" PRId32 " %" PRId32 " %" PRId32 " %" PRId32 "\n", SurfaceOfContext(dc),
              left, top, right, bottom);
  return inner_ != nullptr ? inner_->Ellipse(dc, left, top, right, bottom) : 1;
}

void RecordingDisplay::ZOrder(std::int16_t k) {
  log_.Printf("zorder %d\n", CheckSurfaceIndex(k));
  if (inner_ != nullptr) inner_->ZOrder(k);
}

void RecordingDisplay::DoEvents() {
  log_.Put("doevents\n");
  if (inner_ != nullptr) inner_->DoEvents();
}

}  // namespace flakemorph
