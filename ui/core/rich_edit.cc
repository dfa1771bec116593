#include "ui/core/rich_edit.h"

#include <algorithm>

#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"

namespace ui {

RichEdit::RichEdit() {
  SetFixedHeight(kSizeAuto, false);
  SetAttribute(u"cursortype", u"ibeam");
}

void RichEdit::SetAttribute(const std::u16string& name, const std::u16string& value) {
  const bool on = value == u"true";
  if (name == u"text") {
    SetText(value);
  } else if (name == u"textid") {
    SetText(GlobalManager::GetLanguageString(value));
  } else if (name == u"font") {
    SetFont(ParseInt(value));
  } else if (name == u"normaltextcolor") {
    text_color_set_ = ResolveColor(value, &text_color_) || text_color_set_;
    Invalidate();
  } else if (name == u"disabledtextcolor") {
    disabled_text_color_set_ =
        ResolveColor(value, &disabled_text_color_) || disabled_text_color_set_;
    Invalidate();
  } else if (name == u"padding" || name == u"textpadding") {
    Rect p = ParseRect(value);
    text_padding_ = Rect{DpiScale::Scale(p.left), DpiScale::Scale(p.top), DpiScale::Scale(p.right),
                         DpiScale::Scale(p.bottom)};
    Arrange();
  } else if (name == u"multiline") {
    SetMultiLine(on);
  } else if (name == u"readonly") {
    read_only_ = on;
  } else if (name == u"wantreturnmsg") {
    want_return_msg_ = on;
  } else if (name == u"wanttab") {
    want_tab_ = on;
  } else if (name == u"rich") {
    rich_ = on;
  } else if (name == u"password") {
    password_ = on;
  } else if (name == u"limittext") {
    limit_text_ = std::max(0, ParseInt(value));
  } else if (name == u"prompttext") {
    prompt_text_ = value;
  } else if (name == u"vscrollbar") {
    vscrollbar_ = on;
  } else if (name == u"autovscroll") {
    auto_vscroll_ = on;
  } else if (name == u"hscrollbar") {
    hscrollbar_ = on;
  } else if (name == u"autohscroll") {
    auto_hscroll_ = on;
  } else {
    Control::SetAttribute(name, value);
  }
}

void RichEdit::SetText(const std::u16string& text) {
  std::u16string t = text;
  if (limit_text_ > 0 && t.size() > static_cast<size_t>(limit_text_)) t.resize(limit_text_);
  if (!multi_line_) {
    // A single-line field keeps the first line only.
    size_t end = t.find_first_of(u"\r\n");
    if (end != std::u16string::npos) t.resize(end);
  }
  caret_ = t.size();
  if (t == text_) return;
  text_ = std::move(t);
  Invalidate();
  Arrange();
}

void RichEdit::SetCaret(size_t caret) { caret_ = std::min(caret, text_.size()); }

void RichEdit::SetMultiLine(bool multi_line) {
  multi_line_ = multi_line;
  Arrange();
}

bool RichEdit::IsEditable() const { return IsEnabled() && IsVisible() && !read_only_; }

void RichEdit::SetFont(int32_t index) {
  font_ = index;
  Invalidate();
  Arrange();
}

FontSpec RichEdit::GetFontSpec() const { return GlobalManager::GetFont(font_); }

uint32_t RichEdit::GetTextColor() const {
  if (!IsEnabled()) {
    return disabled_text_color_set_ ? disabled_text_color_
                                    : GlobalManager::GetDefaultDisabledTextColor();
  }
  return text_color_set_ ? text_color_ : GlobalManager::GetDefaultTextColor();
}

bool RichEdit::InsertText(const std::u16string& text) {
  if (!IsEditable()) return false;
  std::u16string t = text;
  if (!multi_line_) {
    size_t end = t.find_first_of(u"\r\n");
    if (end != std::u16string::npos) t.resize(end);
  }
  if (limit_text_ > 0) {
    size_t room = text_.size() < static_cast<size_t>(limit_text_) ? limit_text_ - text_.size() : 0;
    if (t.size() > room) t.resize(room);
  }
  if (!ReplaceRange(caret_, caret_, t)) return false;
  TextChangedByUser();
  return true;
}

bool RichEdit::ReplaceRange(size_t from, size_t to, const std::u16string& text) {
  from = std::min(from, text_.size());
  to = std::min(std::max(to, from), text_.size());
  if (from == to && text.empty()) return false;
  text_.replace(from, to - from, text);
  caret_ = from + text.size();
  Invalidate();
  Arrange();
  return true;
}

void RichEdit::TextChangedByUser() { SendEvent(kEventTextChange); }

void RichEdit::HandleEvent(const EventArgs& args) {
  if (args.type == kEventChar) {
    // Control characters arrive as key-down events; typed text only here.
    if (args.key >= 0x20 && args.key != 0x7F) InsertText(std::u16string(1, char16_t(args.key)));
    return;
  }
  if (args.type == kEventKeyDown) {
    const bool editable = IsEditable();
    switch (args.key) {
      case kKeyBack: {
        if (!editable || caret_ == 0) break;
        // A surrogate pair goes as one character.
        size_t from = caret_ - 1;
        if (from > 0 && text_[from] >= 0xDC00 && text_[from] <= 0xDFFF &&
            text_[from - 1] >= 0xD800 && text_[from - 1] <= 0xDBFF) {
          --from;
        }
        if (ReplaceRange(from, caret_, u"")) TextChangedByUser();
        break;
      }
      case kKeyDelete: {
        if (!editable || caret_ >= text_.size()) break;
        size_t to = caret_ + 1;
        if (to < text_.size() && text_[caret_] >= 0xD800 && text_[caret_] <= 0xDBFF &&
            text_[to] >= 0xDC00 && text_[to] <= 0xDFFF) {
          ++to;
        }
        if (ReplaceRange(caret_, to, u"")) TextChangedByUser();
        break;
      }
      case kKeyReturn:
        if (want_return_msg_) {
          SendEvent(kEventReturn);
        } else if (multi_line_) {
          InsertText(u"\n");
        }
        break;
      case kKeyTab:
        if (WantsTab()) InsertText(u"\t");
        break;
      case kKeyLeft:
        if (caret_ > 0) --caret_;
        break;
      case kKeyRight:
        if (caret_ < text_.size()) ++caret_;
        break;
      case kKeyHome:
        caret_ = 0;
        break;
      case kKeyEnd:
        caret_ = text_.size();
        break;
      default:
        break;
    }
    return;
  }
  Control::HandleEvent(args);
}

int32_t RichEdit::GetNaturalHeight(int32_t width) {
  width = std::max(0, width);
  const Rect& pad = text_padding_;
  Size text{0, 0};
  if (TextMeasurer* measurer = TextMeasurer::Instance()) {
    const int32_t wrap = std::max(1, width - pad.left - pad.right);
    text = measurer->Measure(GetFontSpec(), text_, multi_line_ ? wrap : 0, !multi_line_);
  }
  return text.cy + pad.top + pad.bottom;
}

Size RichEdit::EstimateContentSize(Size available) {
  const Rect& pad = text_padding_;
  Size size{0, 0};
  TextMeasurer* measurer = TextMeasurer::Instance();
  if (measurer) {
    Size text = measurer->Measure(GetFontSpec(), text_, 0, !multi_line_);
    size.cx = text.cx + pad.left + pad.right;
  }
  int32_t width = GetFixedWidth() > 0 ? GetFixedWidth() : available.cx;
  size.cy = GetNaturalHeight(width);
  return size;
}

}  // namespace ui
