// RichEdit: the model of an edit field: its text, a caret and a selection,
// single- or multi-line, read-only, enabled, plain or rich text, and the
// input method's composition shown at the caret. User input (typed
// characters, back space, delete, return, caret keys with Shift for
// selecting, Ctrl+A, mouse press-drag and double-click) edits the text when
// the field is enabled and not read-only; a read-only field still selects
// and copies. Every change the user makes sends one kEventTextChange to the
// handlers; setting the text from code does not. The field also measures its
// fit-to-content height at a width. The clipboard itself is the backend's:
// it asks the field for Copy, Cut and InsertText (paste).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "ui/core/text_control.h"

namespace ui {

class RichEdit : public TextControl {
 public:
  RichEdit();
  std::u16string GetType() const override { return u"RichEdit"; }
  // Presses place the caret, and typed text, the input method's composition
  // and the clipboard keys come here.
  bool TakesClicks() const override { return true; }
  bool IsTextInput() const override { return true; }

  // "padding" (the same as "textpadding"), "multiline", "readonly",
  // "wantreturnmsg", "wanttab", "rich", "password", "limittext", "prompttext"
  // and the scroll-bar switches (rich_edit.cc), over the text vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }

  const std::u16string& GetText() const { return text_; }
  // Replaces the text from code (no text-change event); the caret moves to
  // the end. A text longer than the limit is cut.
  void SetText(const std::u16string& text) override;
  // Inserts text at the caret as the user would (paste): only when the
  // field is editable, sending one text-change event. Returns whether the
  // text changed.
  // The text replaces the selection, if any; an empty text deletes it.
  bool InsertText(const std::u16string& text) override;
  size_t GetCaret() const { return caret_; }
  // Moves the caret and drops the selection.
  void SetCaret(size_t caret);

  // The selection runs between the anchor and the caret (either order).
  size_t GetSelectionStart() const { return std::min(anchor_, caret_); }
  size_t GetSelectionEnd() const { return std::max(anchor_, caret_); }
  bool HasSelection() const { return anchor_ != caret_; }
  // Selects from `anchor` to `caret` (cut to the text, never inside a
  // surrogate pair).
  void SetSel(size_t anchor, size_t caret);
  void SelectAll() { SetSel(0, text_.size()); }
  // The selected text for the clipboard; empty for a password field.
  std::u16string Copy() const override;
  // Removes the selection as the user would and gives it in `cut`; false
  // (nothing removed) without a selection, for a password field or when the
  // field is not editable.
  bool Cut(std::u16string* cut) override;

  // The input method's uncommitted text, drawn underlined at the caret; it
  // is not part of the text. Only an editable field keeps one.
  void SetCompositionText(const std::u16string& text) override;
  const std::u16string& GetCompositionText() const { return composition_; }

  // Where the text is drawn: the text area (position minus padding) and the
  // horizontal scroll of a single-line field, kept so that the caret stays
  // in view. UpdateScroll recomputes it (each paint of the field does).
  Rect GetTextRect() const override;
  int32_t GetScrollX() const { return scroll_x_; }
  int32_t UpdateScroll();
  // The caret offset nearest to a point in window coordinates.
  size_t CaretFromPoint(Point point);

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

  // The colour the text is drawn with: the normal state's, or the disabled
  // state's while the field is disabled.
  uint32_t GetTextColor() const;

  // The height the whole text needs when laid out at `width` (wrapped when
  // multi-line), padding included; a negative width counts as 0.
  int32_t GetNaturalHeight(int32_t width);

 protected:
  void HandleEvent(const EventArgs& args) override;
  // Auto width: the unwrapped text; auto height: the natural height at the
  // fixed (or available) width.
  Size EstimateContentSize(Size available) override;
  // The text (its dots for a password field), with the composition at the
  // caret, underlined, as if it were part of it; the prompt in the default
  // disabled colour while the field is empty and unfocused; the selection
  // on the highlight colour while the field is enabled and no composition
  // is shown; the caret while the user can type here. A single line longer
  // than the field scrolls so that the caret stays in view.
  void PaintContent(PaintList* list) override;

 private:
  bool ReplaceRange(size_t from, size_t to, const std::u16string& text);
  void TextChangedByUser();
  void HandleKeyDown(const EventArgs& args);
  // Moves the caret; with `extend` the anchor stays (the selection grows).
  void MoveCaret(size_t caret, bool extend);
  size_t PreviousOffset(size_t i) const;
  size_t NextOffset(size_t i) const;
  // The caret one line up (-1) or down (+1) of a multi-line field.
  size_t LineMove(int direction);
  void SelectWordAt(size_t i);
  int32_t WrapWidth() const;

  std::u16string text_;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  bool dragging_ = false;
  int32_t scroll_x_ = 0;
  std::u16string composition_;
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
