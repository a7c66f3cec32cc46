// The whole state of the animation: two figure slots, the 360 drawn particles and the scalar
// fields of the window. Everything starts at zero and lives, in place, for the whole run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "figures/numbers.h"

namespace flakemorph {

// red + 256 * green + 65536 * blue, each channel 0..255, top byte zero.
using ColorValue = std::int32_t;

inline constexpr int kPointCount = 360;

[[noreturn]] void FailIndex(int index, int first, int last);

// A fixed array indexed first..last (as the figures number their points 1..360). An index
// outside that range ends the program: it would mean a fault in the animation itself.
template <typename T, int First, int Last>
class IndexedArray {
 public:
  T& operator[](int index) { return items_[Offset(index)]; }
  const T& operator[](int index) const { return items_[Offset(index)]; }

  static constexpr int first() { return First; }
  static constexpr int last() { return Last; }

 private:
  static std::size_t Offset(int index) {
    if (index < First || index > Last) FailIndex(index, First, Last);
    return static_cast<std::size_t>(index - First);
  }

  std::array<T, Last - First + 1> items_{};
};

struct FigurePoint {
  float Radius = 0;       // polar radius from the figure's centre
  float Angle = 0;        // polar angle before the figure's rotation
  std::int16_t Size = 0;  // radius of the circle drawn for the point
  ColorValue Color = 0;
  float X = 0;  // current offset from the centre, recomputed by every motion step
  float Y = 0;  // (positive is downward)
};

struct Figure {
  std::int16_t ArmCount = 0;
  IndexedArray<FigurePoint, 1, kPointCount> Points;  // arm points first, then the halo
  std::int16_t ArmPointCount = 0;
  ColorValue CoreColorA = 0;
  ColorValue CoreColorB = 0;
  ColorValue TipColorA = 0;
  ColorValue TipColorB = 0;
  float Spin = 0;
  float SpinRate = 0;
  float LobePhase = 0;
  float LobeRate = 0;
  float PulsePhase = 0;
  float PulseRate = 0;
  std::int16_t LobeCount = 0;
};

struct Particle {
  float OffsetX = 0;
  float OffsetY = 0;
  float ScreenX = 0;
  float ScreenY = 0;
  std::int16_t Size = 0;
  float ScatterElevation = 0;
  float ScatterAzimuth = 0;
  ColorValue Color = 0;
};

// The fields of the window that the animation works on.
struct FormState {
  double BodyRadius = 0;
  std::int16_t RimWidth = 0;
  IndexedArray<Figure, 0, 1> Figures;
  std::int16_t TargetSlot = 0;
  std::int16_t PageIndex = 0;
  IndexedArray<Particle, 1, kPointCount> Particles;
  float WanderPhaseX = 0;
  float WanderPhaseY = 0;
  float WanderClock = 0;
  float ElevationStep = 0;
  float AzimuthStep = 0;
  std::int16_t ScatterRadius = 0;
  std::int16_t ScatterPeak = 0;
  std::int16_t MorphFrames = 0;
  std::int16_t HoldFrames = 0;
  std::int16_t CenterX = 0;
  std::int16_t CenterY = 0;
};

}  // namespace flakemorph
