// What controls say they look like: the paint-list steps each kind of
// control adds for its state, images, text and edit field, with image names
// resolved against the layout and sizes scaled, and what the tree walk
// leaves out (hidden controls, controls outside the dirty rectangle).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

namespace ui {
namespace {

std::string R(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

std::string Hex(uint32_t argb) {
  char text[12];
  std::snprintf(text, sizeof text, "#%08X", argb);
  return text;
}

std::string Fraction(double value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// One line per step, naming only what the step holds beyond its defaults.
struct Describer {
  std::string operator()(const FillStep& s) { return "fill " + R(s.rect) + " " + Hex(s.argb); }
  std::string operator()(const BorderStep& s) {
    return "border " + R(s.rect) + " widths " + R(s.widths) + " " + Hex(s.argb);
  }
  std::string operator()(const ImageStep& s) {
    std::string text = "image " + nbase::Utf16ToUtf8(s.path) + " dest " + R(s.dest);
    if (s.has_source) text += " source " + R(s.source);
    if (s.source_corners != Rect() || s.dest_corners != Rect()) {
      text += " corners " + R(s.source_corners) + "/" + R(s.dest_corners);
    }
    if (s.opacity != 1.0) text += " opacity " + Fraction(s.opacity);
    if (s.otherwise) text += " otherwise";
    return text;
  }
  std::string operator()(const TextStep& s) {
    char style[12];
    std::snprintf(style, sizeof style, "0x%X", s.style);
    return "text '" + nbase::Utf16ToUtf8(s.text) + "' " + R(s.rect) + " " + Hex(s.argb) +
           " style " + style + " size " + std::to_string(s.font.size_px);
  }
  std::string operator()(const EditTextStep& s) {
    std::string text = "edit '" + nbase::Utf16ToUtf8(s.text) + "' at " +
                       std::to_string(s.origin.x) + "," + std::to_string(s.origin.y) + " clip " +
                       R(s.clip) + " " + Hex(s.argb);
    if (!s.single_line) text += " wrap " + std::to_string(s.wrap_width);
    if (!s.selection.IsEmpty()) {
      text += " selection " + std::to_string(s.selection.start) + "-" +
              std::to_string(s.selection.end) + " " + Hex(s.selection_argb) + "/" +
              Hex(s.selected_text_argb);
    }
    if (!s.underline.IsEmpty()) {
      text += " underline " + std::to_string(s.underline.start) + "-" +
              std::to_string(s.underline.end);
    }
    if (s.caret) text += " caret " + std::to_string(s.caret_index) + " " + Hex(s.caret_argb);
    return text;
  }
  std::string operator()(const ClipStep& s) { return "clip " + R(s.rect); }
  std::string operator()(const ClipEndStep&) { return "end clip"; }
  std::string operator()(const GroupStep&) { return "group"; }
  std::string operator()(const GroupEndStep& s) { return "end group " + Fraction(s.opacity); }
};

std::vector<std::string> Describe(const PaintList& list) {
  std::vector<std::string> lines;
  for (const PaintStep& step : list.steps()) lines.push_back(std::visit(Describer(), step));
  return lines;
}

// A 200 x 100 window of the basic layout whose root box lays its children
// over one another; controls are placed by margin.
class ControlPaintTest : public ::testing::Test {
 public:
  void SetUp() override {
    varnik_test::ResetUiGlobals();
    GlobalManager::AddFont(u"system", 12, false, false);
    GlobalManager::SetDefaultTextColor(0xFF333333);
    GlobalManager::SetDefaultDisabledTextColor(0xFFA1AEBC);
    window_.SetLayoutPath(u"themes/default/basic/basic.xml");
    root_ = new Box;
    window_.AttachRoot(root_);
    window_.Resize(Size{200, 100});
  }
  void TearDown() override { varnik_test::ResetUiGlobals(); }

  template <typename T>
  T* Place(T* control, int x, int y, int w, int h) {
    control->SetFixedWidth(w, false);
    control->SetFixedHeight(h, false);
    control->SetMargin(Rect{x, y, 0, 0}, false);
    root_->Add(control);
    return control;
  }

  // The steps `control` adds when the whole window is painted.
  std::vector<std::string> StepsOf(Control* control) {
    window_.LayoutIfNeeded();
    PaintList list;
    control->Paint(&list, Rect{0, 0, 200, 100});
    return Describe(list);
  }

  Window window_;
  Box* root_ = nullptr;
};

using Lines = std::vector<std::string>;

TEST_F(ControlPaintTest, ControlsDescribeTheirLooks) {
  struct Case {
    const char* what;
    std::function<Control*(ControlPaintTest*)> make;
    Lines steps;
  };
  const Case cases[] = {
      {"background, state colour and border",
       [](ControlPaintTest* t) {
         Control* c = t->Place(new Control, 10, 20, 50, 30);
         c->SetAttribute(u"bkcolor", u"#FF102030");
         c->SetAttribute(u"normalcolor", u"#80FF0000");
         c->SetAttribute(u"bordercolor", u"#FF0000FF");
         c->SetAttribute(u"bordersize", u"1,2,3,4");
         c->SetState(kStatePushed);  // no pushed colour: the normal one
         return c;
       },
       {"clip 10,20,60,50", "fill 10,20,60,50 #FF102030", "fill 10,20,60,50 #80FF0000",
        "border 10,20,60,50 widths 1,2,3,4 #FF0000FF", "end clip"}},
      {"a translucent control is one group",
       [](ControlPaintTest* t) {
         Control* c = t->Place(new Control, 0, 0, 10, 10);
         c->SetAttribute(u"bkcolor", u"#FF0000FF");
         c->SetAttribute(u"alpha", u"128");
         return c;
       },
       {"clip 0,0,10,10", "group", "fill 0,0,10,10 #FF0000FF", "end group 0.50", "end clip"}},
      {"a hot button: its hot image, else the normal one; names resolve against the layout",
       [](ControlPaintTest* t) {
         Button* b = t->Place(new Button, 0, 0, 40, 20);
         b->SetAttribute(u"normalimage", u"../public/button/n.png");
         b->SetAttribute(u"hotimage", u"../public/button/h.png");
         b->SetAttribute(u"forenormalimage", u"file='fore.png' dest='2,2,10,10'");
         b->SetState(kStateHot);
         return b;
       },
       {"clip 0,0,40,20", "image themes/default/public/button/h.png dest 0,0,40,20",
        "image themes/default/public/button/n.png dest 0,0,40,20 otherwise",
        "image themes/default/basic/fore.png dest 2,2,10,10", "end clip"}},
      {"a pushed image that cannot draw anything: the normal one, unconditionally",
       [](ControlPaintTest* t) {
         Button* b = t->Place(new Button, 0, 0, 40, 20);
         b->SetAttribute(u"normalimage", u"n.png");
         b->SetAttribute(u"pushedimage", u"file='h.png' dest='0,0,0,0'");
         b->SetState(kStatePushed);
         return b;
       },
       {"clip 0,0,40,20", "image themes/default/basic/n.png dest 0,0,40,20", "end clip"}},
      {"a disabled label: padded text in the disabled colour",
       [](ControlPaintTest* t) {
         Label* l = t->Place(new Label, 0, 0, 100, 30);
         l->SetText(u"安装");
         l->SetAttribute(u"textpadding", u"4,2,4,2");
         l->SetAttribute(u"align", u"right");
         l->SetEnabled(false);
         return l;
       },
       {"clip 0,0,100,30", "text '安装' 4,2,96,28 #FFA1AEBC style 0x26 size 12", "end clip"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    root_->RemoveAll();
    EXPECT_EQ(StepsOf(c.make(this)), c.steps);
  }
}

TEST_F(ControlPaintTest, ImageDescriptionsBecomeScaledSteps) {
  struct Case {
    int percent;
    const char16_t* description;
    const char* step;  // nullptr: no step
  };
  const Case cases[] = {
      // Corners keep their image pixels and grow on the screen; the source
      // is never scaled.
      {150, u"file='../a.png' corner='4,4,4,4' dest='2,2,22,12' source='1,2,3,4'",
       "image themes/default/a.png dest 13,13,43,28 source 1,2,3,4 corners 4,4,4,4/6,6,6,6"},
      {100, u"file='a.png' dest='5,5,5,20'", nullptr},  // an empty destination
      {100, u"file=''", nullptr},
      {100, u"file='a.png", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(c.description));
    root_->RemoveAll();
    Control* control = Place(new Control, 10, 10, 40, 20);
    control->SetAttribute(u"bkimage", c.description);
    DpiScale::Set(c.percent, true);
    Lines expected{"clip 10,10,50,30"};
    if (c.step) expected.push_back(c.step);
    expected.push_back("end clip");
    EXPECT_EQ(StepsOf(control), expected);
    DpiScale::Set(100, false);
  }
}

TEST_F(ControlPaintTest, EditFieldsDescribeTextSelectionCompositionAndCaret) {
  struct Case {
    const char* what;
    std::function<void(ControlPaintTest*, RichEdit*)> setup;
    const char* step;
  };
  const Case cases[] = {
      {"focused, with a selection: highlighted, the caret at the selection's moving end",
       [](ControlPaintTest* t, RichEdit* e) {
         e->SetText(u"abcdef");
         t->window_.SetFocus(e);
         e->SetSel(4, 1);
       },
       "edit 'abcdef' at 14,13 clip 14,13,106,37 #FF333333 selection 1-4 #FF3399FF/#FFFFFFFF "
       "caret 1 #FF333333"},
      {"composing: the composition inside the text at the caret, underlined, no selection",
       [](ControlPaintTest* t, RichEdit* e) {
         e->SetText(u"abcd");
         t->window_.SetFocus(e);
         e->SetSel(0, 2);
         e->SetCompositionText(u"zh");
       },
       "edit 'abzhcd' at 14,13 clip 14,13,106,37 #FF333333 underline 2-4 caret 4 #FF333333"},
      {"empty and unfocused: the prompt in the disabled colour, no caret",
       [](ControlPaintTest*, RichEdit* e) { e->SetAttribute(u"prompttext", u"请输入"); },
       "edit '请输入' at 14,13 clip 14,13,106,37 #FFA1AEBC"},
      {"read-only and focused: no caret; disabled: no highlight, the disabled colour",
       [](ControlPaintTest* t, RichEdit* e) {
         e->SetText(u"abc");
         e->SetReadOnly(true);
         t->window_.SetFocus(e);
         e->SelectAll();
         e->SetEnabled(false);
       },
       "edit 'abc' at 14,13 clip 14,13,106,37 #FFA1AEBC"},
      {"multi-line: wraps at the text area's width",
       [](ControlPaintTest*, RichEdit* e) {
         e->SetMultiLine(true);
         e->SetText(u"第一行\n第二行");
       },
       "edit '第一行\n第二行' at 14,13 clip 14,13,106,37 #FF333333 wrap 92"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    root_->RemoveAll();
    auto* edit = Place(new RichEdit, 10, 10, 100, 30);
    edit->SetAttribute(u"padding", u"4,3,4,3");
    c.setup(this, edit);
    EXPECT_EQ(StepsOf(edit), (Lines{"clip 10,10,110,40", c.step, "end clip"}));
  }
}

TEST_F(ControlPaintTest, TheWindowDescribesOnlyTheDirtyPartAndSkipsHiddenControls) {
  Control* left = Place(new Control, 0, 0, 50, 50);
  left->SetAttribute(u"bkcolor", u"#FFFF0000");
  Control* right = Place(new Control, 150, 0, 50, 50);
  right->SetAttribute(u"bkcolor", u"#FF0000FF");
  Control* hidden = Place(new Control, 100, 0, 100, 100);
  hidden->SetAttribute(u"bkcolor", u"#FF00FF00");
  hidden->SetVisible(false);
  PaintList list;
  window_.Paint(&list, Rect{140, 10, 300, 20});
  EXPECT_EQ(Describe(list), (Lines{"clip 140,10,200,20", "clip 140,10,200,20", "clip 150,10,200,20",
                                   "fill 150,0,200,50 #FF0000FF", "end clip", "end clip",
                                   "end clip"}));
  list.Clear();
  window_.Paint(&list);
  EXPECT_EQ(Describe(list).size(), 10u);  // window, root, left and right
}

}  // namespace
}  // namespace ui
