#include "ui/core/check_box.h"

namespace ui {

const ControlAttributes& CheckBox::Attributes() {
  using C = CheckBox&;
  using V = const std::u16string&;
  static const AttributeTable<CheckBox, Control> table(
      &Button::Attributes(),
      {
          {u"selected", [](C c, V v) { c.Selected(v == u"true", true); }},
          {u"selectednormalimage", [](C c, V v) { c.SetSelectedImage(kStateNormal, v); }},
          {u"selectedhotimage", [](C c, V v) { c.SetSelectedImage(kStateHot, v); }},
          {u"selectedpushedimage", [](C c, V v) { c.SetSelectedImage(kStatePushed, v); }},
          {u"selecteddisabledimage", [](C c, V v) { c.SetSelectedImage(kStateDisabled, v); }},
          {u"selectedforenormalimage", [](C c, V v) { c.SetSelectedForeImage(kStateNormal, v); }},
          {u"selectedforehotimage", [](C c, V v) { c.SetSelectedForeImage(kStateHot, v); }},
          {u"selectedforepushedimage", [](C c, V v) { c.SetSelectedForeImage(kStatePushed, v); }},
          {u"selectedforedisabledimage",
           [](C c, V v) { c.SetSelectedForeImage(kStateDisabled, v); }},
          {u"selectednormalcolor", [](C c, V v) { c.SetSelectedColor(kStateNormal, v); }},
          {u"selectedhotcolor", [](C c, V v) { c.SetSelectedColor(kStateHot, v); }},
          {u"selectedpushedcolor", [](C c, V v) { c.SetSelectedColor(kStatePushed, v); }},
          {u"selecteddisabledcolor", [](C c, V v) { c.SetSelectedColor(kStateDisabled, v); }},
          // A colour that does not resolve unsets the selected text colour.
          {u"selectedtextcolor",
           [](C c, V v) {
             c.selected_text_color_set_ = c.ResolveColor(v, &c.selected_text_color_);
             c.Invalidate();
           }},
      });
  return table;
}

void CheckBox::SetSelectedImage(ControlState state, const std::u16string& image) {
  selected_images_[state] = image;
  Invalidate();
}

void CheckBox::SetSelectedForeImage(ControlState state, const std::u16string& image) {
  selected_fore_images_[state] = image;
  Invalidate();
}

void CheckBox::SetSelectedColor(ControlState state, const std::u16string& color) {
  ResolveColor(color, &selected_colors_[state]);
  Invalidate();
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

const std::u16string& CheckBox::GetSelectedStateImage(ControlState state) const {
  if (selected_ && state >= 0 && state < 4 && !selected_images_[state].empty()) {
    return selected_images_[state];
  }
  return GetStateImage(state);
}

const std::u16string& CheckBox::GetSelectedForeStateImage(ControlState state) const {
  if (selected_ && state >= 0 && state < 4 && !selected_fore_images_[state].empty()) {
    return selected_fore_images_[state];
  }
  return GetForeStateImage(state);
}

uint32_t CheckBox::GetSelectedStateColor(ControlState state) const {
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
