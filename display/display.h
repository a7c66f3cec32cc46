// What the animation draws on: the window f and its two surfaces pb(0) and pb(1), the two
// pages of a page-flipped picture. The animation always draws on the page behind and then
// brings it to the front. Implementations: in-memory pages, a recording of the operations,
// and the real windows (display/page_window.*).
#pragma once

#include <cstdint>

#include "figures/records.h"

namespace flakemorph {

// A surface's drawing context, as hDC hands it out: it names the surface that Ellipse draws on.
using DeviceContext = std::int32_t;

class Display {
 public:
  virtual ~Display() = default;

  // Width and height of the window's client area, in pixels.
  virtual float ScaleWidth() = 0;
  virtual float ScaleHeight() = 0;

  // Places surface pb(k) at (left, top) of the client area with that size; its page takes the
  // new size.
  virtual void Move(std::int16_t k, float left, float top, float width, float height) = 0;
  // Sets the background colour and fills the page with it.
  virtual void BackColor(std::int16_t k, ColorValue color) = 0;
  // Fills the whole page with the background colour.
  virtual void Cls(std::int16_t k) = 0;
  // The colour in which the next ellipse on this surface is outlined.
  virtual void ForeColor(std::int16_t k, ColorValue color) = 0;
  virtual DeviceContext hDC(std::int16_t k) = 0;
  // Outlines the ellipse inscribed in [left, right) x [top, bottom) with the surface's pen.
  // The result is not looked at by the animation.
  virtual std::int32_t Ellipse(DeviceContext dc, std::int32_t left, std::int32_t top,
                               std::int32_t right, std::int32_t bottom) = 0;
  // Brings pb(k) to the front: the window now shows its page, whole.
  virtual void ZOrder(std::int16_t k) = 0;
  // Delivers every pending event (repaints, key presses, clicks) and returns.
  virtual void DoEvents() = 0;
};

// Surfaces are pb(0) and pb(1); any other index is a fault in the caller and ends the program.
std::int16_t CheckSurfaceIndex(std::int16_t k);

// Drawing contexts are handed out as k + 1, so that 0 is never a valid context.
inline DeviceContext ContextOfSurface(std::int16_t k) {
  return CheckSurfaceIndex(k) + 1;
}
std::int16_t SurfaceOfContext(DeviceContext dc);

}  // namespace flakemorph
