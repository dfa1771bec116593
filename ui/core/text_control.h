// TextControl: the base of the controls that show a text in a font of the
// style sheet - Label, with the controls built on it, and RichEdit. It holds
// what both draw their text with: the font, the text padding and a text
// colour per control state. Its attribute table is the text vocabulary both
// understand ("text", "textid", "font", "normaltextcolor",
// "disabledtextcolor", "textpadding"); each kind keeps its own text and
// decides what setting it means.
//
// Promises: a state whose text colour is unset takes the normal state's
// colour, and without that the style sheet's default text colour; the
// disabled state falls back to the style sheet's default disabled text
// colour instead. Fonts are numbered as the style sheet registers them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/core/control.h"
#include "ui/core/text_measurer.h"

namespace ui {

class TextControl : public Control {
 public:
  // The text vocabulary (text_control.cc), over the base vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }

  virtual void SetText(const std::u16string& text) = 0;

  int32_t GetFont() const { return font_; }
  // Changes the font; the control is drawn and laid out again.
  void SetFont(int32_t index);
  FontSpec GetFontSpec() const;
  const Rect& GetTextPadding() const { return text_padding_; }
  // Sets the padding (DPI-scaled first when `scale`); the control is laid
  // out again.
  void SetTextPadding(const Rect& padding, bool scale = true);
  uint32_t GetStateTextColor(ControlState state) const;
  void SetTextColor(ControlState state, uint32_t argb);

 protected:
  // Sets the text colour of `state` to a skin colour; a colour that does not
  // resolve changes nothing.
  void SetTextColorFromSkin(ControlState state, const std::u16string& value);

 private:
  static bool IsState(ControlState state) { return state >= 0 && state < 4; }

  int32_t font_ = 0;
  Rect text_padding_;
  std::array<uint32_t, 4> text_colors_{};
  std::array<bool, 4> text_color_set_{};
};

}  // namespace ui
