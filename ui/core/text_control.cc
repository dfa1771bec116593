#include "ui/core/text_control.h"

#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"

namespace ui {

const ControlAttributes& TextControl::Attributes() {
  using C = TextControl&;
  using V = const std::u16string&;
  static const AttributeTable<TextControl, Control> table(
      &Control::Attributes(),
      {
          {u"text", [](C c, V v) { c.SetText(v); }},
          {u"textid", [](C c, V v) { c.SetText(GlobalManager::GetLanguageString(v)); }},
          {u"font", [](C c, V v) { c.SetFont(ParseInt(v)); }},
          {u"normaltextcolor", [](C c, V v) { c.SetTextColorFromSkin(kStateNormal, v); }},
          {u"disabledtextcolor", [](C c, V v) { c.SetTextColorFromSkin(kStateDisabled, v); }},
          {u"textpadding", [](C c, V v) { c.SetTextPadding(ParseRect(v), true); }},
      });
  return table;
}

void TextControl::SetFont(int32_t index) {
  if (font_ == index) return;
  font_ = index;
  Invalidate();
  Arrange();
}

FontSpec TextControl::GetFontSpec() const { return GlobalManager::GetFont(font_); }

void TextControl::SetTextPadding(const Rect& padding, bool scale) {
  text_padding_ = scale ? DpiScale::ScaleRect(padding) : padding;
  Arrange();
}

uint32_t TextControl::GetStateTextColor(ControlState state) const {
  if (IsState(state) && text_color_set_[state]) return text_colors_[state];
  if (state == kStateDisabled) return GlobalManager::GetDefaultDisabledTextColor();
  if (text_color_set_[kStateNormal]) return text_colors_[kStateNormal];
  return GlobalManager::GetDefaultTextColor();
}

void TextControl::SetTextColor(ControlState state, uint32_t argb) {
  if (!IsState(state)) return;
  text_colors_[state] = argb;
  text_color_set_[state] = true;
  Invalidate();
}

void TextControl::SetTextColorFromSkin(ControlState state, const std::u16string& value) {
  uint32_t argb = 0;
  if (ResolveColor(value, &argb)) SetTextColor(state, argb);
}

}  // namespace ui
