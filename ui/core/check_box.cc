#include "ui/core/check_box.h"

namespace ui {

namespace {
// The state index of names like "selected" + "hot" + "image"; -1 for others.
int32_t StateOfSuffix(const std::u16string& name, const std::u16string& prefix,
                      const std::u16string& suffix) {
  static const char16_t* const kStates[4] = {u"normal", u"hot", u"pushed", u"disabled"};
  for (int32_t i = 0; i < 4; ++i) {
    if (name == prefix + kStates[i] + suffix) return i;
  }
  return -1;
}
}  // namespace

void CheckBox::SetAttribute(const std::u16string& name, const std::u16string& value) {
  int32_t state = -1;
  if (name == u"selected") {
    Selected(value == u"true", true);
  } else if ((state = StateOfSuffix(name, u"selected", u"image")) >= 0) {
    selected_images_[state] = value;
    Invalidate();
  } else if ((state = StateOfSuffix(name, u"selectedfore", u"image")) >= 0) {
    selected_fore_images_[state] = value;
    Invalidate();
  } else if ((state = StateOfSuffix(name, u"selected", u"color")) >= 0) {
    ResolveColor(value, &selected_colors_[state]);
    Invalidate();
  } else if (name == u"selectedtextcolor") {
    selected_text_color_set_ = ResolveColor(value, &selected_text_color_);
    Invalidate();
  } else {
    Button::SetAttribute(name, value);
  }
}

bool CheckBox::Activate() {
  if (!IsActivatable()) return false;
  Selected(!selected_, true);
  return true;
}

void CheckBox::Selected(bool selected, bool send_events) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (GetWindow() && send_events) SendEvent(selected_ ? kEventSelect : kEventUnselect);
  Invalidate();
}

const std::u16string& CheckBox::GetSelectedStateImage(int32_t state) const {
  if (selected_ && state >= 0 && state < 4 && !selected_images_[state].empty()) {
    return selected_images_[state];
  }
  return GetStateImage(state);
}

const std::u16string& CheckBox::GetSelectedForeStateImage(int32_t state) const {
  if (selected_ && state >= 0 && state < 4 && !selected_fore_images_[state].empty()) {
    return selected_fore_images_[state];
  }
  return GetForeStateImage(state);
}

uint32_t CheckBox::GetSelectedStateColor(int32_t state) const {
  if (selected_ && state >= 0 && state < 4 && selected_colors_[state] != 0) {
    return selected_colors_[state];
  }
  return GetStateColor(state);
}

uint32_t CheckBox::GetPaintTextColor() const {
  if (selected_ && selected_text_color_set_) return selected_text_color_;
  return Button::GetPaintTextColor();
}

}  // namespace ui
