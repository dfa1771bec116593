#include "ui/core/rich_edit.h"

#include <algorithm>
#include <utility>

#include "ui/core/global_manager.h"
#include "ui/paint/paint_list.h"

namespace ui {

RichEdit::RichEdit() {
  SetFixedHeight(kSizeAuto, false);
  SetAttribute(u"cursortype", u"ibeam");
}

const ControlAttributes& RichEdit::Attributes() {
  using C = RichEdit&;
  using V = const std::u16string&;
  static const AttributeTable<RichEdit, Control> table(
      &TextControl::Attributes(),
      {
          {u"padding", [](C c, V v) { c.SetTextPadding(ParseRect(v), true); }},
          {u"multiline", [](C c, V v) { c.SetMultiLine(v == u"true"); }},
          {u"readonly", [](C c, V v) { c.read_only_ = v == u"true"; }},
          {u"wantreturnmsg", [](C c, V v) { c.want_return_msg_ = v == u"true"; }},
          {u"wanttab", [](C c, V v) { c.want_tab_ = v == u"true"; }},
          {u"rich", [](C c, V v) { c.rich_ = v == u"true"; }},
          {u"password", [](C c, V v) { c.password_ = v == u"true"; }},
          {u"limittext", [](C c, V v) { c.limit_text_ = std::max(0, ParseInt(v)); }},
          {u"prompttext", [](C c, V v) { c.prompt_text_ = v; }},
          {u"vscrollbar", [](C c, V v) { c.vscrollbar_ = v == u"true"; }},
          {u"autovscroll", [](C c, V v) { c.auto_vscroll_ = v == u"true"; }},
          {u"hscrollbar", [](C c, V v) { c.hscrollbar_ = v == u"true"; }},
          {u"autohscroll", [](C c, V v) { c.auto_hscroll_ = v == u"true"; }},
      });
  return table;
}

namespace {

bool IsLead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Word characters for double-click selection: anything but blanks and ASCII
// punctuation (so a run of Chinese text or a path component is one word).
bool IsWordChar(char16_t c) {
  if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x3000) return false;
  if (c < 0x80 && !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ||
                    (c >= u'A' && c <= u'Z') || c == u'_')) {
    return false;
  }
  return true;
}

}  // namespace

void RichEdit::SetText(const std::u16string& text) {
  std::u16string t = text;
  if (limit_text_ > 0 && t.size() > static_cast<size_t>(limit_text_)) t.resize(limit_text_);
  if (!multi_line_) {
    // A single-line field keeps the first line only.
    size_t end = t.find_first_of(u"\r\n");
    if (end != std::u16string::npos) t.resize(end);
  }
  caret_ = anchor_ = t.size();
  composition_.clear();
  if (t == text_) return;
  text_ = std::move(t);
  Invalidate();
  Arrange();
}

size_t RichEdit::PreviousOffset(size_t i) const {
  if (i == 0) return 0;
  --i;
  if (i > 0 && IsTrail(text_[i]) && IsLead(text_[i - 1])) --i;
  return i;
}

size_t RichEdit::NextOffset(size_t i) const {
  if (i >= text_.size()) return text_.size();
  ++i;
  if (i < text_.size() && IsTrail(text_[i]) && IsLead(text_[i - 1])) ++i;
  return i;
}

void RichEdit::SetCaret(size_t caret) { SetSel(caret, caret); }

void RichEdit::SetSel(size_t anchor, size_t caret) {
  auto fit = [this](size_t i) {
    i = std::min(i, text_.size());
    if (i > 0 && i < text_.size() && IsTrail(text_[i]) && IsLead(text_[i - 1])) --i;
    return i;
  };
  anchor = fit(anchor);
  caret = fit(caret);
  if (anchor == anchor_ && caret == caret_) return;
  anchor_ = anchor;
  caret_ = caret;
  Invalidate();
}

void RichEdit::MoveCaret(size_t caret, bool extend) { SetSel(extend ? anchor_ : caret, caret); }

std::u16string RichEdit::Copy() const {
  if (password_ || !HasSelection()) return std::u16string();
  return text_.substr(GetSelectionStart(), GetSelectionEnd() - GetSelectionStart());
}

bool RichEdit::Cut(std::u16string* cut) {
  if (password_ || !HasSelection() || !IsEditable()) return false;
  std::u16string taken = Copy();
  if (!ReplaceRange(GetSelectionStart(), GetSelectionEnd(), u"")) return false;
  if (cut) *cut = std::move(taken);
  TextChangedByUser();
  return true;
}

void RichEdit::SetCompositionText(const std::u16string& text) {
  std::u16string t = IsEditable() ? text : std::u16string();
  if (t == composition_) return;
  composition_ = std::move(t);
  Invalidate();
}

void RichEdit::SetMultiLine(bool multi_line) {
  multi_line_ = multi_line;
  Arrange();
}

bool RichEdit::IsEditable() const { return IsEnabled() && IsVisible() && !read_only_; }

uint32_t RichEdit::GetTextColor() const {
  return GetStateTextColor(IsEnabled() ? kStateNormal : kStateDisabled);
}

bool RichEdit::InsertText(const std::u16string& text) {
  if (!IsEditable()) return false;
  std::u16string t = text;
  if (!multi_line_) {
    size_t end = t.find_first_of(u"\r\n");
    if (end != std::u16string::npos) t.resize(end);
  }
  const size_t from = GetSelectionStart();
  const size_t to = GetSelectionEnd();
  if (limit_text_ > 0) {
    const size_t kept = text_.size() - (to - from);
    size_t room = kept < static_cast<size_t>(limit_text_) ? limit_text_ - kept : 0;
    if (t.size() > room) {
      // Never keep half of a surrogate pair.
      if (room > 0 && IsLead(t[room - 1])) --room;
      t.resize(room);
    }
  }
  if (!ReplaceRange(from, to, t)) return false;
  TextChangedByUser();
  return true;
}

bool RichEdit::ReplaceRange(size_t from, size_t to, const std::u16string& text) {
  from = std::min(from, text_.size());
  to = std::min(std::max(to, from), text_.size());
  if (from == to && text.empty()) return false;
  text_.replace(from, to - from, text);
  caret_ = anchor_ = from + text.size();
  Invalidate();
  Arrange();
  return true;
}

void RichEdit::TextChangedByUser() { SendEvent(kEventTextChange); }

void RichEdit::PaintContent(PaintList* list) {
  // The selection's highlight: white text on light blue.
  constexpr uint32_t kSelectionBackground = 0xFF3399FF;
  constexpr uint32_t kSelectedText = 0xFFFFFFFF;
  const Rect rect = GetTextRect();
  if (rect.IsEmpty()) return;
  std::u16string text = password_ ? std::u16string(text_.size(), u'\u25CF') : text_;
  const size_t caret_index = std::min(caret_, text.size());
  if (!composition_.empty()) text.insert(caret_index, composition_);
  const bool show_prompt = text.empty() && !prompt_text_.empty() && !IsFocused();
  EditTextStep step;
  step.clip = rect;
  step.origin = Point{rect.left - UpdateScroll(), rect.top};
  step.font = GetFontSpec();
  step.single_line = !multi_line_;
  step.wrap_width = multi_line_ ? rect.Width() : 0;
  if (show_prompt) {
    step.text = prompt_text_;
    step.argb = GlobalManager::GetDefaultDisabledTextColor();
  } else {
    step.argb = GetTextColor();
    if (HasSelection() && composition_.empty() && IsEnabled()) {
      step.selection = TextRange{GetSelectionStart(), GetSelectionEnd()};
      step.selection_argb = kSelectionBackground;
      step.selected_text_argb = kSelectedText;
    }
    if (!composition_.empty()) {
      step.underline = TextRange{caret_index, caret_index + composition_.size()};
    }
  }
  if (IsFocused() && IsEditable()) {
    // After the composition: where the next typed character goes.
    step.caret = true;
    step.caret_index = show_prompt ? 0 : caret_index + composition_.size();
    step.caret_argb = GetTextColor() | 0xFF000000u;
  }
  if (!show_prompt) step.text = std::move(text);
  list->EditText(std::move(step));
}

Rect RichEdit::GetTextRect() const {
  const Rect& pos = GetPos();
  const Rect& pad = GetTextPadding();
  return Rect{pos.left + pad.left, pos.top + pad.top,
              std::max(pos.left + pad.left, pos.right - pad.right),
              std::max(pos.top + pad.top, pos.bottom - pad.bottom)};
}

int32_t RichEdit::WrapWidth() const { return multi_line_ ? std::max(1, GetTextRect().Width()) : 0; }

int32_t RichEdit::UpdateScroll() {
  TextMeasurer* measurer = TextMeasurer::Instance();
  if (multi_line_ || !measurer) {
    scroll_x_ = 0;
    return scroll_x_;
  }
  // The caret stays in view, with the composition after it.
  const std::u16string shown = text_.substr(0, caret_) + composition_;
  const int32_t caret_x = measurer->CaretRect(GetFontSpec(), shown, 0, true, shown.size()).left;
  const int32_t full = measurer->Measure(GetFontSpec(), text_ + composition_, 0, true).cx;
  const int32_t width = GetTextRect().Width();
  if (caret_x - scroll_x_ > width - 1) scroll_x_ = caret_x - (width - 1);
  if (caret_x < scroll_x_) scroll_x_ = caret_x;
  // No empty room after the end of a scrolled text.
  scroll_x_ = std::max(0, std::min(scroll_x_, full + 1 - width));
  return scroll_x_;
}

size_t RichEdit::CaretFromPoint(Point point) {
  TextMeasurer* measurer = TextMeasurer::Instance();
  if (!measurer) return caret_;
  const Rect rect = GetTextRect();
  const Point local{point.x - rect.left + scroll_x_, point.y - rect.top};
  return std::min(text_.size(),
                  measurer->HitTest(GetFontSpec(), text_, WrapWidth(), !multi_line_, local));
}

size_t RichEdit::LineMove(int direction) {
  TextMeasurer* measurer = TextMeasurer::Instance();
  if (!measurer) return caret_;
  const FontSpec font = GetFontSpec();
  const Rect caret = measurer->CaretRect(font, text_, WrapWidth(), false, caret_);
  const Point target{caret.left, direction < 0 ? caret.top - 1 : caret.bottom + 1};
  if (target.y < 0) return 0;
  const Size all = measurer->Measure(font, text_, WrapWidth(), false);
  if (target.y >= all.cy) return text_.size();
  return measurer->HitTest(font, text_, WrapWidth(), false, target);
}

void RichEdit::SelectWordAt(size_t i) {
  i = std::min(i, text_.size());
  size_t from = i;
  size_t to = i;
  if (i < text_.size() && IsWordChar(text_[i])) {
    while (from > 0 && IsWordChar(text_[from - 1])) --from;
    while (to < text_.size() && IsWordChar(text_[to])) ++to;
  } else if (i < text_.size()) {
    to = NextOffset(i);
  }
  SetSel(from, to);
}

void RichEdit::HandleKeyDown(const EventArgs& args) {
  const bool editable = IsEditable();
  const bool shift = (args.modifiers & kModShift) != 0;
  const bool control = (args.modifiers & kModControl) != 0;
  // Without Shift a caret key first collapses a selection to its side.
  const bool collapse = HasSelection() && !shift;
  switch (args.key) {
    case kKeyBack:
      if (!editable) break;
      if (HasSelection()) {
        InsertText(u"");
      } else if (caret_ > 0 && ReplaceRange(PreviousOffset(caret_), caret_, u"")) {
        TextChangedByUser();
      }
      break;
    case kKeyDelete:
      if (!editable) break;
      if (HasSelection()) {
        InsertText(u"");
      } else if (caret_ < text_.size() && ReplaceRange(caret_, NextOffset(caret_), u"")) {
        TextChangedByUser();
      }
      break;
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
      MoveCaret(collapse ? GetSelectionStart() : PreviousOffset(caret_), shift);
      break;
    case kKeyRight:
      MoveCaret(collapse ? GetSelectionEnd() : NextOffset(caret_), shift);
      break;
    case kKeyUp:
    case kKeyDown:
      if (multi_line_) MoveCaret(LineMove(args.key == kKeyUp ? -1 : 1), shift);
      break;
    case kKeyHome: {
      size_t to = 0;
      if (multi_line_ && !control) {
        const size_t nl = caret_ == 0 ? std::u16string::npos : text_.rfind(u'\n', caret_ - 1);
        to = nl == std::u16string::npos ? 0 : nl + 1;
      }
      MoveCaret(to, shift);
      break;
    }
    case kKeyEnd: {
      size_t to = text_.size();
      if (multi_line_ && !control) {
        const size_t nl = text_.find(u'\n', caret_);
        if (nl != std::u16string::npos) to = nl;
      }
      MoveCaret(to, shift);
      break;
    }
    case 'A':
      if (control) SelectAll();
      break;
    default:
      break;
  }
}

void RichEdit::HandleEvent(const EventArgs& args) {
  switch (args.type) {
    case kEventChar:
      // Control characters arrive as key-down events; typed text only here.
      if (args.key >= 0x20 && args.key != 0x7F) InsertText(std::u16string(1, char16_t(args.key)));
      return;
    case kEventKeyDown:
      HandleKeyDown(args);
      return;
    case kEventMouseButtonDown:
      if (IsEnabled()) {
        const size_t at = CaretFromPoint(args.mouse_point);
        SetSel(at, at);
        dragging_ = true;
      }
      break;
    case kEventMouseMove:
      if (dragging_ && IsEnabled()) MoveCaret(CaretFromPoint(args.mouse_point), true);
      break;
    case kEventMouseButtonUp:
      dragging_ = false;
      break;
    case kEventMouseDoubleClick:
      if (IsEnabled()) SelectWordAt(CaretFromPoint(args.mouse_point));
      dragging_ = false;
      break;
    case kEventKillFocus:
      dragging_ = false;
      SetCompositionText(u"");
      break;
    default:
      break;
  }
  Control::HandleEvent(args);
}

int32_t RichEdit::GetNaturalHeight(int32_t width) {
  width = std::max(0, width);
  const Rect& pad = GetTextPadding();
  Size text{0, 0};
  if (TextMeasurer* measurer = TextMeasurer::Instance()) {
    const int32_t wrap = std::max(1, width - pad.left - pad.right);
    text = measurer->Measure(GetFontSpec(), text_, multi_line_ ? wrap : 0, !multi_line_);
  }
  return text.cy + pad.top + pad.bottom;
}

Size RichEdit::EstimateContentSize(Size available) {
  const Rect& pad = GetTextPadding();
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
