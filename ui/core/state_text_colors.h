// StateTextColors: the text colours of a text control, one per control
// state, as the skin sets them.
//
// Promises: a state whose colour is unset takes the normal state's colour,
// and without that the style sheet's default text colour; the disabled state
// falls back to the style sheet's default disabled text colour instead.
#pragma once

#include <array>
#include <cstdint>

#include "ui/core/control.h"

namespace ui {

class StateTextColors {
 public:
  void Set(ControlState state, uint32_t argb);
  uint32_t Get(ControlState state) const;

 private:
  static bool IsState(ControlState state) { return state >= 0 && state < 4; }

  std::array<uint32_t, 4> colors_{};
  std::array<bool, 4> set_{};
};

}  // namespace ui
