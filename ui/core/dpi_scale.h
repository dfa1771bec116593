// The framework-wide DPI scale: one percent value (100 = 96 DPI) and whether
// adaptation is active, set once at start-up before any window is built.
// Every skin number that the framework scales goes through Scale().
#pragma once

#include <cstdint>

#include "ui/core/geometry.h"

namespace ui {

class DpiScale {
 public:
  // Sets the process-wide scale. A percent below 1 is taken as 100.
  static void Set(int32_t percent, bool active);
  static int32_t Percent();
  static bool IsActive();

  // value x percent / 100 with MulDiv rounding (half away from zero) when
  // adaptation is active and the percent is not 100; otherwise unchanged.
  static int32_t Scale(int32_t value);
  // Each of the four sides, or both coordinates, through Scale().
  static Rect ScaleRect(const Rect& rect);
  static Point ScalePoint(Point point);

  // The rounding integer helper the scale uses: a * b / c rounded half away
  // from zero, computed in 64 bits; -1 when c is 0 (as the system's MulDiv).
  static int32_t MulDiv(int32_t a, int32_t b, int32_t c);
};

}  // namespace ui
