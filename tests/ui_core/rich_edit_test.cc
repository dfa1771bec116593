// The rich edit model: user edits and their text-change events, read-only
// and disabled fields, single-line rules and the fit-to-content height.
#include "ui/core/rich_edit.h"

#include <gtest/gtest.h>

#include "tests/support/ui_globals.h"
#include "ui/core/global_manager.h"
#include "ui/core/v_box.h"
#include "ui/core/window.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    varnik_test::ResetUiGlobals();
    GlobalManager::AddFont(u"system", 14, false, false);
    TextMeasurer::SetInstance(&measurer_);
    root_ = new VBox;
    edit_ = new RichEdit;
    edit_->SetName(u"edit");
    edit_->SetFixedHeight(30, false);
    root_->Add(edit_);
    window_.AttachRoot(root_);
    window_.Resize(Size{300, 100});
    window_.AttachEvent(edit_, kEventTextChange, [this](const EventArgs& args) {
      changes_.push_back(static_cast<RichEdit*>(args.sender)->GetText());
      return true;
    });
  }
  void TearDown() override { varnik_test::ResetUiGlobals(); }

  void Type(const std::u16string& text) {
    for (char16_t ch : text) window_.OnChar(ch);
  }

  PangoTextMeasurer measurer_;
  Window window_;
  VBox* root_ = nullptr;
  RichEdit* edit_ = nullptr;
  std::vector<std::u16string> changes_;
};

TEST_F(RichEditTest, TypingSendsOneChangePerEdit) {
  window_.OnButtonDown(Point{5, 5});
  window_.OnButtonUp(Point{5, 5});
  ASSERT_EQ(window_.GetFocus(), edit_);
  Type(u"ab");
  window_.OnKeyDown(kKeyLeft);
  Type(u"中");
  window_.OnKeyDown(kKeyBack);
  window_.OnKeyDown(kKeyEnd);
  window_.OnKeyDown(kKeyDelete);  // nothing after the caret: no change
  window_.OnKeyDown(kKeyHome);
  window_.OnKeyDown(kKeyDelete);
  EXPECT_EQ(changes_, (std::vector<std::u16string>{u"a", u"ab", u"a中b", u"ab", u"b"}));
  EXPECT_EQ(edit_->GetText(), u"b");
}

TEST_F(RichEditTest, CodeChangesSendNothing) {
  edit_->SetText(u"D:\\Programs\\dudIdiruvovo");
  EXPECT_EQ(edit_->GetText(), u"D:\\Programs\\dudIdiruvovo");
  EXPECT_TRUE(changes_.empty());
}

TEST_F(RichEditTest, ReadOnlyAndDisabledFieldsRefuseEdits) {
  struct Case {
    const char16_t* attribute;
    const char16_t* value;
  };
  for (const Case& c : {Case{u"readonly", u"true"}, Case{u"enabled", u"false"}}) {
    edit_->SetAttribute(u"readonly", u"false");
    edit_->SetAttribute(u"enabled", u"true");
    edit_->SetText(u"x");
    window_.SetFocus(edit_);
    edit_->SetAttribute(c.attribute, c.value);
    Type(u"y");
    window_.OnKeyDown(kKeyBack);
    EXPECT_FALSE(edit_->InsertText(u"z"));
    EXPECT_EQ(edit_->GetText(), u"x") << c.attribute;
  }
  EXPECT_TRUE(changes_.empty());
}

TEST_F(RichEditTest, ReturnAndLineRules) {
  window_.SetFocus(edit_);
  // Single line: return inserts nothing, pasted text keeps its first line.
  window_.OnKeyDown(kKeyReturn);
  EXPECT_TRUE(edit_->InsertText(u"one\ntwo"));
  EXPECT_EQ(edit_->GetText(), u"one");
  edit_->SetAttribute(u"multiline", u"true");
  window_.OnKeyDown(kKeyReturn);
  Type(u"2");
  EXPECT_EQ(edit_->GetText(), u"one\n2");
  // With the return message the key is reported instead of inserted.
  int returns = 0;
  edit_->AttachEvent(kEventReturn, [&](const EventArgs&) {
    ++returns;
    return true;
  });
  edit_->SetAttribute(u"wantreturnmsg", u"true");
  window_.OnKeyDown(kKeyReturn);
  EXPECT_EQ(returns, 1);
  EXPECT_EQ(edit_->GetText(), u"one\n2");
  // A limit cuts typed text.
  edit_->SetAttribute(u"limittext", u"6");
  Type(u"345");
  EXPECT_EQ(edit_->GetText(), u"one\n23");
}

TEST_F(RichEditTest, BackSpaceRemovesASurrogatePairWhole) {
  window_.SetFocus(edit_);
  edit_->InsertText(u"a\U0001F600");
  window_.OnKeyDown(kKeyBack);
  EXPECT_EQ(edit_->GetText(), u"a");
}

TEST_F(RichEditTest, NaturalHeightGrowsWithTheText) {
  edit_->SetAttribute(u"multiline", u"true");
  edit_->SetAttribute(u"padding", u"0,4,0,4");
  edit_->SetText(u"短");
  const int32_t one = edit_->GetNaturalHeight(300);
  edit_->SetText(std::u16string(60, u'长'));
  const int32_t many = edit_->GetNaturalHeight(300);
  EXPECT_GT(one, 8);
  EXPECT_GE(many, (one - 8) * 3 + 8);
  EXPECT_EQ(edit_->GetNaturalHeight(-5), edit_->GetNaturalHeight(0));
  // An auto height follows the same measure at the fixed width.
  edit_->SetFixedWidth(300, false);
  edit_->SetFixedHeight(kSizeAuto, false);
  EXPECT_EQ(edit_->EstimateSize(Size{300, 100}).cy, many);
}

TEST_F(RichEditTest, ShiftKeysSelectAndTypingReplacesTheSelection) {
  window_.SetFocus(edit_);
  Type(u"hello world");
  window_.OnKeyDown(kKeyHome, kModShift);  // selects everything before the caret
  EXPECT_EQ(edit_->Copy(), u"hello world");
  window_.OnKeyDown(kKeyRight);  // collapses to the selection's end
  EXPECT_FALSE(edit_->HasSelection());
  EXPECT_EQ(edit_->GetCaret(), 11u);
  for (int i = 0; i < 5; ++i) window_.OnKeyDown(kKeyLeft, kModShift);
  EXPECT_EQ(edit_->Copy(), u"world");
  changes_.clear();
  Type(u"中文");
  EXPECT_EQ(edit_->GetText(), u"hello 中文");
  // One change for the replacement itself, one for the second character.
  EXPECT_EQ(changes_, (std::vector<std::u16string>{u"hello 中", u"hello 中文"}));
  window_.OnKeyDown('A', kModControl);
  EXPECT_EQ(edit_->GetSelectionStart(), 0u);
  EXPECT_EQ(edit_->GetSelectionEnd(), edit_->GetText().size());
  window_.OnKeyDown(kKeyBack);
  EXPECT_EQ(edit_->GetText(), u"");
  EXPECT_EQ(changes_.back(), u"");
  // Without Control, 'A' is no select-all.
  Type(u"xy");
  window_.OnKeyDown('A');
  EXPECT_FALSE(edit_->HasSelection());
}

TEST_F(RichEditTest, CutAndCopyFollowTheFieldState) {
  struct Case {
    const char16_t* attribute;
    const char16_t* value;
    bool copies;
    bool cuts;
  };
  const Case cases[] = {{u"readonly", u"false", true, true},
                        {u"readonly", u"true", true, false},
                        {u"enabled", u"false", true, false},
                        {u"password", u"true", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.attribute, c.attribute + 1));
    edit_->SetAttribute(u"readonly", u"false");
    edit_->SetAttribute(u"enabled", u"true");
    edit_->SetAttribute(u"password", u"false");
    edit_->SetText(u"abc中def");
    edit_->SetAttribute(c.attribute, c.value);
    edit_->SetSel(1, 4);
    changes_.clear();
    EXPECT_EQ(edit_->Copy(), c.copies ? u"bc中" : u"");
    std::u16string cut;
    EXPECT_EQ(edit_->Cut(&cut), c.cuts);
    EXPECT_EQ(edit_->GetText(), c.cuts ? u"adef" : u"abc中def");
    EXPECT_EQ(cut, c.cuts ? u"bc中" : u"");
    EXPECT_EQ(changes_.size(), c.cuts ? 1u : 0u);
  }
  // Nothing selected: nothing to cut.
  edit_->SetAttribute(u"password", u"false");
  edit_->SetCaret(2);
  std::u16string cut;
  EXPECT_FALSE(edit_->Cut(&cut));
}

TEST_F(RichEditTest, SelectionNeverSplitsASurrogatePairAndPasteReplacesIt) {
  window_.SetFocus(edit_);
  edit_->InsertText(u"a\U0001F600b");  // a, two units, b
  edit_->SetSel(0, 2);                 // inside the pair: pulled back before it
  EXPECT_EQ(edit_->GetSelectionEnd(), 1u);
  window_.OnKeyDown(kKeyRight, kModShift);  // over the whole pair
  EXPECT_EQ(edit_->GetSelectionEnd(), 3u);
  EXPECT_TRUE(edit_->InsertText(u"Z"));
  EXPECT_EQ(edit_->GetText(), u"Zb");
  // A limit keeps no half pair of pasted text.
  edit_->SetAttribute(u"limittext", u"3");
  edit_->SetCaret(2);
  EXPECT_FALSE(edit_->InsertText(u"\U0001F600"));
  EXPECT_EQ(edit_->GetText(), u"Zb");
}

TEST_F(RichEditTest, MultiLineHomeEndAndUpDownStayOnTheirLines) {
  edit_->SetAttribute(u"multiline", u"true");
  edit_->SetFixedHeight(80, false);
  window_.Resize(Size{300, 100});
  window_.SetFocus(edit_);
  edit_->InsertText(u"first\nsecond\nthird");
  edit_->SetCaret(9);  // "sec|ond"
  window_.OnKeyDown(kKeyHome);
  EXPECT_EQ(edit_->GetCaret(), 6u);
  window_.OnKeyDown(kKeyEnd, kModShift);
  EXPECT_EQ(edit_->Copy(), u"second");
  window_.OnKeyDown(kKeyEnd);
  window_.OnKeyDown(kKeyUp);
  EXPECT_LE(edit_->GetCaret(), 5u);  // on the first line
  window_.OnKeyDown(kKeyDown);
  window_.OnKeyDown(kKeyDown);
  EXPECT_GE(edit_->GetCaret(), 13u);  // on the third line
  window_.OnKeyDown(kKeyDown);
  EXPECT_EQ(edit_->GetCaret(), edit_->GetText().size());
  window_.OnKeyDown(kKeyHome, kModControl);
  EXPECT_EQ(edit_->GetCaret(), 0u);
}

TEST_F(RichEditTest, MousePressDragSelectsAndDoubleClickTakesAWord) {
  window_.SetFocus(edit_);
  edit_->InsertText(u"alpha beta");
  const Rect text = edit_->GetTextRect();
  const int32_t y = text.top + 5;
  window_.OnButtonDown(Point{text.left, y});
  EXPECT_EQ(edit_->GetCaret(), 0u);
  window_.OnMouseMove(Point{text.right - 1, y});  // past the end of the text
  window_.OnButtonUp(Point{text.right - 1, y});
  EXPECT_EQ(edit_->Copy(), u"alpha beta");
  // Moving after the release selects nothing more.
  window_.OnButtonDown(Point{text.left, y});
  window_.OnButtonUp(Point{text.left, y});
  window_.OnMouseMove(Point{text.right - 1, y});
  EXPECT_FALSE(edit_->HasSelection());
  // A double click on the second word.
  const int32_t beta_x =
      text.left +
      ui::TextMeasurer::Instance()->Measure(edit_->GetFontSpec(), u"alpha be", 0, true).cx;
  window_.OnDoubleClick(Point{beta_x, y});
  EXPECT_EQ(edit_->Copy(), u"beta");
  // A disabled field takes no selection from the mouse.
  edit_->SetCaret(0);
  edit_->SetEnabled(false);
  window_.OnDoubleClick(Point{beta_x, y});
  EXPECT_FALSE(edit_->HasSelection());
}

TEST_F(RichEditTest, CompositionIsShownOnlyByEditableFieldsAndNeverChangesTheText) {
  window_.SetFocus(edit_);
  edit_->InsertText(u"ab");
  changes_.clear();
  edit_->SetCompositionText(u"zhong");
  EXPECT_EQ(edit_->GetCompositionText(), u"zhong");
  EXPECT_EQ(edit_->GetText(), u"ab");
  EXPECT_TRUE(changes_.empty());
  // Losing the focus ends the composition.
  window_.SetFocus(nullptr);
  EXPECT_EQ(edit_->GetCompositionText(), u"");
  edit_->SetReadOnly(true);
  edit_->SetCompositionText(u"zhong");
  EXPECT_EQ(edit_->GetCompositionText(), u"");
}

TEST_F(RichEditTest, LongSingleLineScrollsToKeepTheCaretInView) {
  window_.SetFocus(edit_);
  edit_->InsertText(std::u16string(80, u'长'));
  const int32_t scrolled = edit_->UpdateScroll();
  EXPECT_GT(scrolled, 0);
  const int32_t caret_x =
      TextMeasurer::Instance()->Measure(edit_->GetFontSpec(), edit_->GetText(), 0, true).cx;
  EXPECT_LE(caret_x - scrolled, edit_->GetTextRect().Width());
  // Back at the start the view scrolls home; a click there hits offset 0.
  window_.OnKeyDown(kKeyHome);
  EXPECT_EQ(edit_->UpdateScroll(), 0);
  EXPECT_EQ(edit_->CaretFromPoint(Point{edit_->GetTextRect().left, 10}), 0u);
}

}  // namespace
}  // namespace ui
