#include "ui/core/label.h"

#include <algorithm>

#include "ui/core/text_measurer.h"
#include "ui/paint/paint_list.h"

namespace ui {

namespace {

uint32_t WithFlag(uint32_t style, uint32_t flag, bool on) {
  return on ? style | flag : style & ~flag;
}

// The text style after an "align" value. Each alignment word the value holds
// switches its axis, in this order: "left", "right", "center" (or "hcenter";
// "vcenter" alone is no horizontal centre), then "top", "vcenter", "bottom".
uint32_t WithAlignWords(uint32_t style, const std::u16string& words) {
  const auto has = [&words](const char16_t* word) {
    return words.find(word) != std::u16string::npos;
  };
  if (has(u"left")) style &= ~(kTextCenter | kTextRight);
  if (has(u"right")) style = (style & ~kTextCenter) | kTextRight;
  if (has(u"hcenter") || (has(u"center") && !has(u"vcenter"))) {
    style = (style & ~kTextRight) | kTextCenter;
  }
  if (has(u"top")) style &= ~(kTextVCenter | kTextBottom);
  if (has(u"vcenter")) style = (style & ~kTextBottom) | kTextVCenter;
  if (has(u"bottom")) style = (style & ~kTextVCenter) | kTextBottom;
  return style;
}

}  // namespace

Label::Label() {
  SetFixedWidthQuiet(kSizeAuto);
  SetFixedHeight(kSizeAuto, false);
}

const ControlAttributes& Label::Attributes() {
  using V = const std::u16string&;
  static const AttributeTable<Label, Control> table(
      &TextControl::Attributes(),
      {
          {u"hottextcolor", [](Label& c, V v) { c.SetTextColorFromSkin(kStateHot, v); }},
          {u"pushedtextcolor", [](Label& c, V v) { c.SetTextColorFromSkin(kStatePushed, v); }},
          {u"align",
           [](Label& c, V v) {
             c.text_style_ = WithAlignWords(c.text_style_, v);
             c.Invalidate();
           }},
          {u"singleline",
           [](Label& c, V v) {
             c.text_style_ = WithFlag(c.text_style_, kTextSingleLine, v == u"true");
             c.Arrange();
           }},
          {u"endellipsis",
           [](Label& c, V v) {
             c.text_style_ = WithFlag(c.text_style_, kTextEndEllipsis, v == u"true");
           }},
      });
  return table;
}

void Label::SetText(const std::u16string& text) {
  if (text_ == text) return;
  text_ = text;
  Invalidate();
  if (GetFixedWidth() == kSizeAuto || GetFixedHeight() == kSizeAuto) Arrange();
}

uint32_t Label::GetPaintTextColor() const {
  return GetStateTextColor(IsEnabled() ? GetState() : kStateDisabled);
}

void Label::PaintContent(PaintList* list) {
  const Rect& pos = GetPos();
  const Rect& pad = GetTextPadding();
  list->Text(TextStep{
      Rect{pos.left + pad.left, pos.top + pad.top, pos.right - pad.right, pos.bottom - pad.bottom},
      text_, GetFontSpec(), GetPaintTextColor(), text_style_});
}

Size Label::EstimateContentSize(Size available) {
  const Rect& pad = GetTextPadding();
  TextMeasurer* measurer = TextMeasurer::Instance();
  const int32_t fixed_width = GetFixedWidth();
  int32_t wrap_width = 0;
  if (fixed_width > 0) wrap_width = std::max<int32_t>(1, fixed_width - pad.left - pad.right);
  Size text{0, 0};
  if (measurer) text = measurer->Measure(GetFontSpec(), text_, wrap_width, IsSingleLine());
  // A button drawn from an image is at least as big as the image.
  const Size image = Control::EstimateContentSize(available);
  return Size{std::max(text.cx + pad.left + pad.right, image.cx),
              std::max(text.cy + pad.top + pad.bottom, image.cy)};
}

}  // namespace ui
