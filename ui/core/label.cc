#include "ui/core/label.h"

#include <algorithm>

#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"

namespace ui {

Label::Label() {
  SetFixedWidthQuiet(kSizeAuto);
  SetFixedHeight(kSizeAuto, false);
}

void Label::SetAttribute(const std::u16string& name, const std::u16string& value) {
  int32_t color_state = -1;
  if (name == u"text") {
    SetText(value);
  } else if (name == u"textid") {
    SetText(GlobalManager::GetLanguageString(value));
  } else if (name == u"font") {
    SetFont(ParseInt(value));
  } else if (name == u"normaltextcolor") {
    color_state = kStateNormal;
  } else if (name == u"hottextcolor") {
    color_state = kStateHot;
  } else if (name == u"pushedtextcolor") {
    color_state = kStatePushed;
  } else if (name == u"disabledtextcolor") {
    color_state = kStateDisabled;
  } else if (name == u"textpadding") {
    SetTextPadding(ParseRect(value), true);
  } else if (name == u"align") {
    // Words of the value switch the alignment one axis at a time.
    if (value.find(u"left") != std::u16string::npos) text_style_ &= ~(kTextCenter | kTextRight);
    if (value.find(u"right") != std::u16string::npos) {
      text_style_ = (text_style_ & ~kTextCenter) | kTextRight;
    }
    if (value.find(u"hcenter") != std::u16string::npos ||
        (value.find(u"center") != std::u16string::npos &&
         value.find(u"vcenter") == std::u16string::npos)) {
      text_style_ = (text_style_ & ~kTextRight) | kTextCenter;
    }
    if (value.find(u"top") != std::u16string::npos) text_style_ &= ~(kTextVCenter | kTextBottom);
    if (value.find(u"vcenter") != std::u16string::npos) {
      text_style_ = (text_style_ & ~kTextBottom) | kTextVCenter;
    }
    if (value.find(u"bottom") != std::u16string::npos) {
      text_style_ = (text_style_ & ~kTextVCenter) | kTextBottom;
    }
    Invalidate();
  } else if (name == u"singleline") {
    if (value == u"true")
      text_style_ |= kTextSingleLine;
    else
      text_style_ &= ~kTextSingleLine;
    Arrange();
  } else if (name == u"endellipsis") {
    if (value == u"true")
      text_style_ |= kTextEndEllipsis;
    else
      text_style_ &= ~kTextEndEllipsis;
  } else {
    Control::SetAttribute(name, value);
  }
  if (color_state >= 0) {
    uint32_t argb = 0;
    if (ResolveColor(value, &argb)) {
      text_colors_[color_state] = argb;
      text_color_set_[color_state] = true;
      Invalidate();
    }
  }
}

void Label::SetText(const std::u16string& text) {
  if (text_ == text) return;
  text_ = text;
  Invalidate();
  if (GetFixedWidth() == kSizeAuto || GetFixedHeight() == kSizeAuto) Arrange();
}

void Label::SetFont(int32_t index) {
  if (font_ == index) return;
  font_ = index;
  Invalidate();
  Arrange();
}

FontSpec Label::GetFontSpec() const { return GlobalManager::GetFont(font_); }

void Label::SetTextPadding(const Rect& padding, bool scale) {
  text_padding_ = scale ? DpiScale::ScaleRect(padding) : padding;
  Arrange();
}

uint32_t Label::GetStateTextColor(int32_t state) const {
  if (state >= 0 && state < 4 && text_color_set_[state]) return text_colors_[state];
  if (state == kStateDisabled) return GlobalManager::GetDefaultDisabledTextColor();
  if (text_color_set_[kStateNormal]) return text_colors_[kStateNormal];
  return GlobalManager::GetDefaultTextColor();
}

uint32_t Label::GetPaintTextColor() const {
  return GetStateTextColor(IsEnabled() ? GetState() : kStateDisabled);
}

Size Label::EstimateContentSize(Size available) {
  const Rect& pad = text_padding_;
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
