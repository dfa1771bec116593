// RichEdit: the model of an edit field: its text, a caret, single- or
// multi-line, read-only, enabled, plain or rich text. User input (typed
// characters, back space, delete, return, caret keys) edits the text when
// the field is enabled and not read-only, and every change the user makes
// sends kEventTextChange to the handlers; setting the text from code does
// not. The field also measures its fit-to-content height at a width.
#pragma once

#include <cstdint>
#include <string>

#include "ui/core/control.h"
#include "ui/core/text_measurer.h"

namespace ui {

class RichEdit : public Control {
 public:
  RichEdit();
  std::u16string GetType() const override { return u"RichEdit"; }

  // "text", "textid", "font", "normaltextcolor", "disabledtextcolor",
  // "padding"/"textpadding", "multiline", "readonly", "wantreturnmsg",
  // "wanttab", "rich", "password", "limittext", "prompttext",
  // "vscrollbar", "autovscroll", "hscrollbar", "autohscroll"; every other
  // name goes to the base.
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;

  const std::u16string& GetText() const { return text_; }
  // Replaces the text from code (no text-change event); the caret moves to
  // the end. A text longer than the limit is cut.
  void SetText(const std::u16string& text);
  // Inserts text at the caret as the user would (paste): only when the
  // field is editable, sending one text-change event. Returns whether the
  // text changed.
  bool InsertText(const std::u16string& text);
  size_t GetCaret() const { return caret_; }
  void SetCaret(size_t caret);

  bool IsReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool IsMultiLine() const { return multi_line_; }
  void SetMultiLine(bool multi_line);
  bool IsRich() const { return rich_; }
  bool IsWantReturn() const { return want_return_msg_; }
  // A multi-line field with "wanttab" takes the Tab key as text.
  bool WantsTab() const override { return want_tab_ && multi_line_; }
  bool IsPassword() const { return password_; }
  bool HasVScrollBar() const { return vscrollbar_; }
  bool IsAutoVScroll() const { return auto_vscroll_; }
  int32_t GetLimitText() const { return limit_text_; }
  const std::u16string& GetPromptText() const { return prompt_text_; }
  // Enabled, visible and not read-only: the user can change the text.
  bool IsEditable() const;

  int32_t GetFont() const { return font_; }
  void SetFont(int32_t index);
  FontSpec GetFontSpec() const;
  const Rect& GetTextPadding() const { return text_padding_; }
  uint32_t GetTextColor() const;

  // The height the whole text needs when laid out at `width` (wrapped when
  // multi-line), padding included; a negative width counts as 0.
  int32_t GetNaturalHeight(int32_t width);

 protected:
  void HandleEvent(const EventArgs& args) override;
  // Auto width: the unwrapped text; auto height: the natural height at the
  // fixed (or available) width.
  Size EstimateContentSize(Size available) override;

 private:
  bool ReplaceRange(size_t from, size_t to, const std::u16string& text);
  void TextChangedByUser();

  std::u16string text_;
  size_t caret_ = 0;
  int32_t font_ = 0;
  Rect text_padding_;
  uint32_t text_color_ = 0;
  bool text_color_set_ = false;
  uint32_t disabled_text_color_ = 0;
  bool disabled_text_color_set_ = false;
  bool multi_line_ = false;
  bool read_only_ = false;
  bool want_return_msg_ = false;
  bool want_tab_ = false;
  bool rich_ = true;
  bool password_ = false;
  bool vscrollbar_ = false;
  bool auto_vscroll_ = false;
  bool hscrollbar_ = false;
  bool auto_hscroll_ = false;
  int32_t limit_text_ = 0;  // 0: no limit
  std::u16string prompt_text_;
};

}  // namespace ui
