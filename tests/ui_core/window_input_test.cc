// The window core: hit testing, hot and pushed states, activation on a
// release inside the control, focus, bubbling, caption buttons, Escape and
// the disabled window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/v_box.h"
#include "ui/core/window.h"

namespace ui {
namespace {

Button* MakeButton(const char16_t* name, int32_t w, int32_t h) {
  Button* b = new Button;
  b->SetName(name);
  b->SetFixedWidth(w, false);
  b->SetFixedHeight(h, false);
  return b;
}

class EscapeWindow : public Window {
 public:
  bool OnEscape() override {
    ++escapes;
    return true;
  }
  int escapes = 0;
};

class WindowInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = new VBox;
    root_->SetName(u"root");
    a_ = MakeButton(u"a", 100, 40);
    b_ = MakeButton(u"b", 100, 40);
    page_ = new Box;
    page_->SetFixedHeight(40, false);
    c_ = MakeButton(u"c", 50, 40);
    page_->Add(c_);
    root_->Add(a_);
    root_->Add(b_);
    root_->Add(page_);
    window_.AttachRoot(root_);
    window_.Resize(Size{200, 200});
    window_.AttachEvent(u"a", kEventClick, Record(u"a"));
    window_.AttachEvent(u"b", kEventClick, Record(u"b"));
    window_.AttachEvent(u"c", kEventClick, Record(u"c"));
  }

  EventCallback Record(const char16_t* tag) {
    return [this, tag](const EventArgs&) {
      log_.push_back(tag);
      return true;
    };
  }

  EscapeWindow window_;
  VBox* root_ = nullptr;
  Button* a_ = nullptr;
  Button* b_ = nullptr;
  Box* page_ = nullptr;
  Button* c_ = nullptr;
  std::vector<std::u16string> log_;
};

TEST_F(WindowInputTest, HitTestingFindsTheTopmostVisibleControl) {
  EXPECT_EQ(root_->FindControlAt(Point{5, 5}), a_);
  EXPECT_EQ(root_->FindControlAt(Point{5, 45}), b_);
  EXPECT_EQ(root_->FindControlAt(Point{5, 85}), c_);
  EXPECT_EQ(root_->FindControlAt(Point{150, 5}), root_);  // outside a, inside root
  EXPECT_EQ(root_->FindControlAt(Point{60, 85}), page_);
  EXPECT_EQ(root_->FindControlAt(Point{250, 5}), nullptr);
  page_->SetVisible(false);
  window_.LayoutIfNeeded();
  EXPECT_EQ(root_->FindControlAt(Point{5, 85}), root_);
  c_->SetMouseEnabled(false);
  page_->SetVisible(true);
  EXPECT_EQ(root_->FindControlAt(Point{5, 85}), page_);
}

TEST_F(WindowInputTest, HotAndPushedStatesFollowThePointer) {
  window_.OnMouseMove(Point{5, 5});
  EXPECT_EQ(a_->GetState(), kStateHot);
  EXPECT_EQ(window_.GetHot(), a_);
  window_.OnMouseMove(Point{5, 45});
  EXPECT_EQ(a_->GetState(), kStateNormal);
  EXPECT_EQ(b_->GetState(), kStateHot);
  window_.OnButtonDown(Point{5, 45});
  EXPECT_EQ(b_->GetState(), kStatePushed);
  EXPECT_EQ(window_.GetCapture(), b_);
  // Dragging out keeps the press; releasing outside clicks nothing.
  window_.OnMouseMove(Point{5, 5});
  EXPECT_EQ(b_->GetState(), kStatePushed);
  window_.OnButtonUp(Point{5, 5});
  EXPECT_EQ(b_->GetState(), kStateNormal);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(window_.GetCapture(), nullptr);
}

TEST_F(WindowInputTest, ReleaseInsideThePressedControlClicksIt) {
  window_.OnButtonDown(Point{5, 45});
  window_.OnMouseMove(Point{5, 5});
  window_.OnMouseMove(Point{6, 46});
  window_.OnButtonUp(Point{6, 46});
  EXPECT_EQ(log_, (std::vector<std::u16string>{u"b"}));
  EXPECT_EQ(b_->GetState(), kStateHot);
  // A press that started elsewhere does not click on release.
  window_.OnButtonDown(Point{150, 5});
  window_.OnButtonUp(Point{5, 5});
  EXPECT_EQ(log_.size(), 1u);
}

TEST_F(WindowInputTest, FocusFollowsPressesAndLeavesHiddenControls) {
  std::vector<int32_t> a_focus;
  a_->AttachEvent(kEventSetFocus, [&](const EventArgs&) {
    a_focus.push_back(kEventSetFocus);
    return true;
  });
  a_->AttachEvent(kEventKillFocus, [&](const EventArgs&) {
    a_focus.push_back(kEventKillFocus);
    return true;
  });
  window_.OnButtonDown(Point{5, 5});
  window_.OnButtonUp(Point{5, 5});
  EXPECT_EQ(window_.GetFocus(), a_);
  window_.OnButtonDown(Point{5, 45});
  EXPECT_EQ(window_.GetFocus(), b_);
  EXPECT_EQ(a_focus, (std::vector<int32_t>{kEventSetFocus, kEventKillFocus}));
  b_->SetVisible(false);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  EXPECT_EQ(window_.GetCapture(), nullptr);
  EXPECT_EQ(window_.GetHot(), nullptr);
  // A control marked "nofocus" is not focused by a press.
  c_->SetAttribute(u"nofocus", u"");
  window_.OnButtonDown(Point{5, 45});  // the page moved up into b's place
  EXPECT_EQ(window_.GetCapture(), c_);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  window_.OnButtonDown(Point{150, 5});  // the root box's background
  EXPECT_EQ(window_.GetCapture(), root_);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  window_.SetFocus(c_);
  EXPECT_EQ(window_.GetFocus(), nullptr);
}

TEST_F(WindowInputTest, WindowFocusLossAndReturn) {
  std::vector<int32_t> seen;
  a_->AttachEvent(kEventAll, [&](const EventArgs& args) {
    if (args.type == kEventSetFocus || args.type == kEventKillFocus) seen.push_back(args.type);
    return true;
  });
  window_.SetFocus(a_);
  window_.OnWindowFocus(false);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  window_.OnKeyDown(kKeySpace);  // no focused control: nothing clicks
  EXPECT_TRUE(log_.empty());
  window_.OnWindowFocus(true);
  EXPECT_EQ(window_.GetFocus(), a_);
  EXPECT_EQ(seen, (std::vector<int32_t>{kEventSetFocus, kEventKillFocus, kEventSetFocus}));
  // A control that went away meanwhile does not come back.
  window_.OnWindowFocus(false);
  a_->SetEnabled(false);
  window_.OnWindowFocus(true);
  EXPECT_EQ(window_.GetFocus(), nullptr);
}

TEST_F(WindowInputTest, RootBubbledHandlerSeesEveryClick) {
  std::vector<std::u16string> seen;
  ASSERT_TRUE(window_.AttachBubbledEvent(root_, kEventClick, [&](const EventArgs& args) {
    seen.push_back(args.sender->GetName());
    return true;
  }));
  EXPECT_FALSE(window_.AttachBubbledEvent(a_, kEventClick, Record(u"x")));
  for (Point p : {Point{5, 5}, Point{5, 45}, Point{5, 85}}) {
    window_.OnButtonDown(p);
    window_.OnButtonUp(p);
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_EQ(log_, seen);
}

TEST_F(WindowInputTest, AHandlerReturningFalseStopsBubbling) {
  int root_calls = 0;
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs&) {
    ++root_calls;
    return true;
  });
  page_->AttachBubbledEvent(kEventClick, [](const EventArgs&) { return false; });
  c_->Activate();
  a_->Activate();
  EXPECT_EQ(root_calls, 1);
}

TEST_F(WindowInputTest, AHandlerMayDestroyItsOwnControl) {
  int root_calls = 0;
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs&) {
    ++root_calls;
    return true;
  });
  int later_handler = 0;
  window_.AttachEvent(c_, kEventClick, [&](const EventArgs&) {
    page_->RemoveAll();  // destroys c_ while its click is being sent
    return true;
  });
  window_.AttachEvent(c_, kEventClick, [&](const EventArgs&) {
    ++later_handler;
    return true;
  });
  window_.OnButtonDown(Point{5, 85});
  window_.OnButtonUp(Point{5, 85});
  EXPECT_EQ(page_->GetCount(), 0u);
  EXPECT_EQ(later_handler, 0);
  EXPECT_EQ(root_calls, 0);
  EXPECT_EQ(window_.GetCapture(), nullptr);
  EXPECT_EQ(window_.GetFocus(), nullptr);
  // The window goes on working.
  window_.OnButtonDown(Point{5, 5});
  window_.OnButtonUp(Point{5, 5});
  EXPECT_EQ(root_calls, 1);
}

TEST_F(WindowInputTest, CaptionButtons) {
  root_->Add(MakeButton(u"closebtn", 10, 10));
  root_->Add(MakeButton(u"minbtn", 10, 10));
  root_->Add(MakeButton(u"maxbtn", 10, 10));
  Button* restore = MakeButton(u"restorebtn", 10, 10);
  restore->SetVisible(false);
  root_->Add(restore);
  window_.AttachCaptionButtons();
  window_.FindControl(u"minbtn")->Activate();
  EXPECT_EQ(window_.GetShowState(), Window::ShowState::kMinimized);
  window_.FindControl(u"maxbtn")->Activate();
  EXPECT_EQ(window_.GetShowState(), Window::ShowState::kMaximized);
  EXPECT_FALSE(window_.FindControl(u"maxbtn")->IsVisible());
  EXPECT_TRUE(restore->IsVisible());
  restore->Activate();
  EXPECT_EQ(window_.GetShowState(), Window::ShowState::kNormal);
  EXPECT_TRUE(window_.FindControl(u"maxbtn")->IsVisible());
  EXPECT_FALSE(restore->IsVisible());
  EXPECT_FALSE(window_.IsCloseRequested());
  window_.FindControl(u"closebtn")->Activate();
  EXPECT_TRUE(window_.IsCloseRequested());
  EXPECT_EQ(window_.GetCloseCode(), 1u);
}

TEST_F(WindowInputTest, TabMovesTheFocusInTreeOrder) {
  b_->SetKeyboardEnabled(false);
  std::vector<Control*> visited;
  for (int i = 0; i < 3; ++i) {
    window_.OnKeyDown(kKeyTab);
    visited.push_back(window_.GetFocus());
  }
  // Boxes and controls without keyboard input are passed over.
  EXPECT_EQ(visited, (std::vector<Control*>{a_, c_, a_}));
  // Controls inside a hidden box are skipped.
  page_->SetVisible(false);
  window_.OnKeyDown(kKeyTab);
  EXPECT_EQ(window_.GetFocus(), a_);
}

TEST_F(WindowInputTest, EscapeGoesToTheWindowFirst) {
  int keys = 0;
  a_->AttachEvent(kEventKeyDown, [&](const EventArgs&) {
    ++keys;
    return true;
  });
  window_.SetFocus(a_);
  window_.OnKeyDown(kKeyEscape);
  EXPECT_EQ(window_.escapes, 1);
  EXPECT_EQ(keys, 0);
  window_.OnKeyDown('x');
  EXPECT_EQ(keys, 1);
}

TEST_F(WindowInputTest, DisabledWindowTakesNoInput) {
  window_.SetWindowEnabled(false);
  window_.OnMouseMove(Point{5, 5});
  window_.OnButtonDown(Point{5, 5});
  window_.OnButtonUp(Point{5, 5});
  window_.OnKeyDown(kKeyEscape);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(window_.escapes, 0);
  EXPECT_EQ(a_->GetState(), kStateNormal);
  window_.SetWindowEnabled(true);
  window_.OnButtonDown(Point{5, 5});
  window_.OnButtonUp(Point{5, 5});
  EXPECT_EQ(log_.size(), 1u);
}

TEST_F(WindowInputTest, LayoutFollowsChangedWishes) {
  EXPECT_EQ(b_->GetPos(), (Rect{0, 40, 100, 80}));
  a_->SetAttribute(u"height", u"10");
  EXPECT_TRUE(window_.IsLayoutDirty());
  window_.OnMouseMove(Point{5, 15});  // input lays the tree out first
  EXPECT_EQ(window_.GetHot(), b_);
  EXPECT_EQ(b_->GetPos(), (Rect{0, 10, 100, 50}));
}

TEST_F(WindowInputTest, HandlersBoundThroughTheWindowAreWeak) {
  // A control outlives its window's handlers when the window goes first:
  // moving the control out of the tree and destroying the window leaves a
  // handler that must not run.
  Button* moved = MakeButton(u"m", 10, 10);
  int calls = 0;
  {
    Window other;
    other.AttachRoot(new Box);
    other.AttachEvent(moved, kEventClick, [&](const EventArgs&) {
      ++calls;
      return true;
    });
  }
  root_->Add(moved);
  window_.Relayout();
  moved->Activate();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace ui
