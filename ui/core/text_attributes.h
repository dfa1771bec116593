// TextAttributes: the skin attributes of both text controls (Label with the
// controls built on it, and RichEdit), written once: "text", "textid",
// "font", "normaltextcolor", "disabledtextcolor" and "textpadding". A text
// control's table extends TextAttributes<ItsClass>(), which extends the
// vocabulary every control understands (Control::Attributes()).
//
// The class provides SetText(text), SetFont(index), SetTextPadding(rect,
// scale) and SetTextColor(state, argb).
#pragma once

#include <string>

#include "ui/core/attribute_table.h"
#include "ui/core/control.h"
#include "ui/core/global_manager.h"

namespace ui {

// Sets the text colour of `state` to a skin colour; a colour that does not
// resolve changes nothing.
template <class T>
void SetTextColorFromSkin(T& control, ControlState state, const std::u16string& value) {
  uint32_t argb = 0;
  if (GlobalManager::ResolveColor(value, &argb)) control.SetTextColor(state, argb);
}

template <class T>
const ControlAttributes& TextAttributes() {
  using V = const std::u16string&;
  static const AttributeTable<T, Control> table(
      &Control::Attributes(),
      {
          {u"text", [](T& c, V v) { c.SetText(v); }},
          {u"textid", [](T& c, V v) { c.SetText(GlobalManager::GetLanguageString(v)); }},
          {u"font", [](T& c, V v) { c.SetFont(ParseInt(v)); }},
          {u"normaltextcolor", [](T& c, V v) { SetTextColorFromSkin(c, kStateNormal, v); }},
          {u"disabledtextcolor", [](T& c, V v) { SetTextColorFromSkin(c, kStateDisabled, v); }},
          // Scaled, like every padding.
          {u"textpadding", [](T& c, V v) { c.SetTextPadding(ParseRect(v), true); }},
      });
  return table;
}

}  // namespace ui
