// Buttons and check boxes: activation, keyboard, menu, disabled buttons,
// and the check box's select / unselect events in place of clicks.
#include "ui/core/button.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/tick_count.h"
#include "ui/core/check_box.h"
#include "ui/core/h_box.h"
#include "ui/core/window.h"

namespace ui {
namespace {

// A window with one row holding a button and a check box, and a recorder of
// the events that reach their handlers.
class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    row_ = new HBox;
    button_ = new Button;
    button_->SetName(u"btn");
    button_->SetFixedWidth(80, false);
    button_->SetFixedHeight(30, false);
    check_ = new CheckBox;
    check_->SetName(u"check");
    check_->SetFixedWidth(80, false);
    check_->SetFixedHeight(30, false);
    row_->Add(button_);
    row_->Add(check_);
    window_.AttachRoot(row_);
    window_.Resize(Size{200, 30});
    for (Control* c : {static_cast<Control*>(button_), static_cast<Control*>(check_)}) {
      window_.AttachEvent(c, kEventAll, [this](const EventArgs& args) {
        if (args.type == kEventClick || args.type == kEventSelect || args.type == kEventUnselect ||
            args.type == kEventMenu) {
          events_.push_back(args.type);
          senders_.push_back(args.sender);
        }
        return true;
      });
    }
  }

  void Click(Point p) {
    window_.OnMouseMove(p);
    window_.OnButtonDown(p);
    window_.OnButtonUp(p);
  }

  Window window_;
  HBox* row_ = nullptr;
  Button* button_ = nullptr;
  CheckBox* check_ = nullptr;
  std::vector<int32_t> events_;
  std::vector<Control*> senders_;
};

TEST_F(ButtonTest, ClickSendsOneClickEventWithTimestampAndPosition) {
  EventArgs seen;
  window_.AttachEvent(button_, kEventClick, [&](const EventArgs& args) {
    seen = args;
    return true;
  });
  const uint32_t before = nbase::GetTickCount();
  Click(Point{10, 10});
  EXPECT_EQ(events_, (std::vector<int32_t>{kEventClick}));
  EXPECT_EQ(senders_[0], button_);
  EXPECT_EQ(seen.mouse_point, (Point{10, 10}));
  EXPECT_GE(seen.timestamp - before, 0u);
  EXPECT_LT(seen.timestamp - before, 60000u);
}

TEST_F(ButtonTest, CheckBoxSendsSelectThenUnselectAndNoClick) {
  Click(Point{100, 10});
  Click(Point{100, 10});
  EXPECT_EQ(events_, (std::vector<int32_t>{kEventSelect, kEventUnselect}));
  EXPECT_FALSE(check_->IsSelected());
}

TEST_F(ButtonTest, SettingTheSameSelectionSendsNothing) {
  check_->Selected(false, true);
  EXPECT_TRUE(events_.empty());
  check_->Selected(true, true);
  check_->Selected(true, true);
  EXPECT_EQ(events_, (std::vector<int32_t>{kEventSelect}));
  check_->Selected(false, false);
  EXPECT_EQ(events_.size(), 1u);
  EXPECT_FALSE(check_->IsSelected());
}

TEST_F(ButtonTest, SelectedAttributeOutsideAWindowReachesNobody) {
  CheckBox loose;
  int calls = 0;
  loose.AttachEvent(kEventAll, [&](const EventArgs&) {
    ++calls;
    return true;
  });
  loose.SetAttribute(u"selected", u"true");
  EXPECT_TRUE(loose.IsSelected());
  EXPECT_EQ(calls, 0);
  // Without a window a button can be activated but sends nothing.
  Button lone;
  lone.AttachEvent(kEventClick, [&](const EventArgs&) {
    ++calls;
    return true;
  });
  EXPECT_TRUE(lone.Activate());
  EXPECT_EQ(calls, 0);
}

TEST_F(ButtonTest, DisabledButtonSendsNoClickFromMouseOrKeyboard) {
  window_.SetFocus(button_);
  button_->SetEnabled(false);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  Click(Point{10, 10});
  window_.OnKeyDown(kKeySpace);
  window_.OnKeyDown(kKeyReturn);
  EXPECT_FALSE(button_->Activate());
  EXPECT_TRUE(events_.empty());
  EXPECT_EQ(button_->GetState(), kStateDisabled);
}

TEST_F(ButtonTest, DisabledButtonHandsMouseEventsToItsParent) {
  std::vector<int32_t> parent_saw;
  row_->AttachEvent(kEventAll, [&](const EventArgs& args) {
    if (args.sender == button_) parent_saw.push_back(args.type);
    return true;
  });
  std::vector<int32_t> button_saw;
  button_->AttachEvent(kEventAll, [&](const EventArgs& args) {
    button_saw.push_back(args.type);
    return true;
  });
  button_->SetEnabled(false);
  window_.OnButtonDown(Point{10, 10});
  window_.OnButtonUp(Point{10, 10});
  EXPECT_EQ(parent_saw,
            (std::vector<int32_t>{kEventMouseEnter, kEventMouseButtonDown, kEventMouseButtonUp}));
  EXPECT_TRUE(button_saw.empty());
}

TEST_F(ButtonTest, SpaceOrReturnOnAFocusedButtonClicksOnce) {
  struct Case {
    int32_t key;
    bool keyboard;
    size_t clicks;
  };
  for (const Case& c : {Case{kKeySpace, true, 1}, Case{kKeyReturn, true, 1}, Case{'A', true, 0},
                        Case{kKeySpace, false, 0}}) {
    events_.clear();
    button_->SetKeyboardEnabled(c.keyboard);
    window_.SetFocus(button_);
    ASSERT_EQ(window_.GetFocus(), button_);
    window_.OnKeyDown(c.key);
    EXPECT_EQ(events_.size(), c.clicks) << "key " << c.key;
  }
}

TEST_F(ButtonTest, SpaceTogglesAFocusedCheckBox) {
  window_.SetFocus(check_);
  window_.OnKeyDown(kKeySpace);
  EXPECT_TRUE(check_->IsSelected());
  EXPECT_EQ(events_, (std::vector<int32_t>{kEventSelect}));
}

TEST_F(ButtonTest, MenuEventOnlyWhenTheButtonTakesPartInMenus) {
  window_.OnRightButtonDown(Point{10, 10});
  EXPECT_TRUE(events_.empty());
  button_->SetAttribute(u"menu", u"true");
  window_.OnMouseMove(Point{12, 11});
  window_.OnRightButtonDown(Point{12, 11});
  EXPECT_EQ(events_, (std::vector<int32_t>{kEventMenu}));
}

TEST_F(ButtonTest, SelectedLooksReplaceTheOrdinaryOnes) {
  check_->SetAttribute(u"normalimage", u"off.png");
  check_->SetAttribute(u"selectednormalimage", u"on.png");
  check_->SetAttribute(u"selectedtextcolor", u"#ff112233");
  check_->SetAttribute(u"normaltextcolor", u"#ff445566");
  EXPECT_EQ(check_->GetSelectedStateImage(kStateNormal), u"off.png");
  EXPECT_EQ(check_->GetPaintTextColor(), 0xFF445566u);
  check_->Selected(true, false);
  EXPECT_EQ(check_->GetSelectedStateImage(kStateNormal), u"on.png");
  EXPECT_EQ(check_->GetSelectedStateImage(kStateHot), u"");
  EXPECT_EQ(check_->GetPaintTextColor(), 0xFF112233u);
}

}  // namespace
}  // namespace ui
