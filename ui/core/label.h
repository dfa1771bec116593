// Label: a control that shows one text in a font of the style sheet, with
// state text colours, a text alignment and a text padding. Its "auto"
// dimensions come from the measured text plus the padding, and are at least
// the natural size of its normal-state (or background) image.
#pragma once

#include <string>

#include "ui/core/text_control.h"
#include "ui/paint/text_style.h"

namespace ui {

class Label : public TextControl {
 public:
  Label();
  std::u16string GetType() const override { return u"Label"; }

  // "hottextcolor", "pushedtextcolor", "align", "singleline" and
  // "endellipsis" (label.cc), over the text vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }

  const std::u16string& GetText() const { return text_; }
  // Sets the text; an auto-sized label asks for a new layout.
  void SetText(const std::u16string& text) override;
  uint32_t GetTextStyle() const { return text_style_; }
  bool IsSingleLine() const { return (text_style_ & kTextSingleLine) != 0; }
  // The colour the text is drawn with now.
  virtual uint32_t GetPaintTextColor() const;

 protected:
  Size EstimateContentSize(Size available) override;
  // The text inside the text padding, in the text style and the colour of
  // the control's state.
  void PaintContent(PaintList* list) override;

 private:
  std::u16string text_;
  uint32_t text_style_ = kTextLeft | kTextVCenter | kTextSingleLine;
};

}  // namespace ui
