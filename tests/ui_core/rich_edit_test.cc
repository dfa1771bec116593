// The rich edit model: user edits and their text-change events, read-only
// and disabled fields, single-line rules and the fit-to-content height.
#include "ui/core/rich_edit.h"

#include <gtest/gtest.h>

#include "ui/core/global_manager.h"
#include "ui/core/v_box.h"
#include "ui/core/window.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GlobalManager::Reset();
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
  void TearDown() override {
    TextMeasurer::SetInstance(nullptr);
    GlobalManager::Reset();
  }

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

}  // namespace
}  // namespace ui
