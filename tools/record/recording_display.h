// Logs every display operation as one text line and passes it on to another display (or to
// none), so that a headless run can both record and draw:
//   move K LEFT TOP WIDTH HEIGHT | backcolor K COLOR | cls K | forecolor K COLOR |
//   ellipse K LEFT TOP RIGHT BOTTOM | zorder K | doevents
// Reading hDC is not logged.
#pragma once

#include "display/display.h"
#include "tools/record/log_writer.h"

namespace flakemorph {

class RecordingDisplay : public Display {
 public:
  // Without an inner display, ScaleWidth and ScaleHeight give the size passed here.
  RecordingDisplay(LogWriter& log, Display* inner, float scale_width = 0, float scale_height = 0);

  float ScaleWidth() override;
  float ScaleHeight() override;
  void Move(std::int16_t k, float left, float top, float width, float height) override;
  void BackColor(std::int16_t k, ColorValue color) override;
  void Cls(std::int16_t k) override;
  void ForeColor(std::int16_t k, ColorValue color) override;
  DeviceContext hDC(std::int16_t k) override;
  std::int32_t Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) override;
  void ZOrder(std::int16_t k) override;
  void DoEvents() override;

 private:
  LogWriter& log_;
  Display* inner_;
  float scale_width_;
  float scale_height_;
};

}  // namespace flakemorph
