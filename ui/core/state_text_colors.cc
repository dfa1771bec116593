#include "ui/core/state_text_colors.h"

#include "ui/core/global_manager.h"

namespace ui {

void StateTextColors::Set(ControlState state, uint32_t argb) {
  if (!IsState(state)) return;
  colors_[state] = argb;
  set_[state] = true;
}

uint32_t StateTextColors::Get(ControlState state) const {
  if (IsState(state) && set_[state]) return colors_[state];
  if (state == kStateDisabled) return GlobalManager::GetDefaultDisabledTextColor();
  if (set_[kStateNormal]) return colors_[kStateNormal];
  return GlobalManager::GetDefaultTextColor();
}

}  // namespace ui
