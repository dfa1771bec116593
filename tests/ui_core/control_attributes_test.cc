// Base attributes of every control: value forms, DPI scaling, booleans that
// are true only for "true", and classes applied where they stand.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "ui/core/control.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window_builder.h"

namespace ui {
namespace {

class ControlAttributesTest : public ::testing::Test {
 protected:
  void SetUp() override { varnik_test::ResetUiGlobals(); }
  void TearDown() override { varnik_test::ResetUiGlobals(); }
};

TEST_F(ControlAttributesTest, SizeValues) {
  struct Case {
    const char16_t* value;
    int32_t percent;
    bool active;
    int32_t expected;
  };
  const Case cases[] = {
      {u"stretch", 150, true, kSizeStretch},
      {u"auto", 150, true, kSizeAuto},
      {u"80", 100, true, 80},
      {u"80", 150, true, 120},
      {u"80", 150, false, 80},
      {u"81", 125, true, 101},  // 101.25
      {u"3", 150, true, 5},     // 4.5 rounds away from zero
      {u"0", 150, true, 0},
  };
  for (const Case& c : cases) {
    DpiScale::Set(c.percent, c.active);
    Control control;
    control.SetAttribute(u"width", c.value);
    control.SetAttribute(u"height", c.value);
    EXPECT_EQ(control.GetFixedWidth(), c.expected) << c.percent;
    EXPECT_EQ(control.GetFixedHeight(), c.expected) << c.percent;
  }
}

TEST_F(ControlAttributesTest, MulDivRoundsHalfAwayFromZero) {
  EXPECT_EQ(DpiScale::MulDiv(3, 150, 100), 5);
  EXPECT_EQ(DpiScale::MulDiv(-3, 150, 100), -5);
  EXPECT_EQ(DpiScale::MulDiv(7, 125, 100), 9);  // 8.75
  EXPECT_EQ(DpiScale::MulDiv(1, 1, 0), -1);
  EXPECT_EQ(DpiScale::MulDiv(2000000000, 3, 2), -1);  // overflow
}

TEST_F(ControlAttributesTest, BorderSizeSingleOrFourSides) {
  DpiScale::Set(150, true);
  Control c;
  c.SetAttribute(u"bordersize", u"2");
  EXPECT_EQ(c.GetBorderSize(), (Rect{3, 3, 3, 3}));
  c.SetAttribute(u"bordersize", u"1,2,3,4");
  EXPECT_EQ(c.GetBorderSize(), (Rect{1, 2, 3, 4}));
  c.SetAttribute(u"topbordersize", u"2");
  EXPECT_EQ(c.GetBorderSize().top, 3);
}

TEST_F(ControlAttributesTest, BooleansAreTrueOnlyForExactTrue) {
  struct Case {
    const char16_t* value;
    bool expected;
  };
  for (const Case& c : {Case{u"true", true}, Case{u"True", false}, Case{u"1", false},
                        Case{u"TRUE", false}, Case{u"", false}}) {
    Control control;
    control.SetAttribute(u"visible", c.value);
    control.SetAttribute(u"enabled", c.value);
    control.SetAttribute(u"keyboard", c.value);
    EXPECT_EQ(control.IsVisible(), c.expected);
    EXPECT_EQ(control.IsEnabled(), c.expected);
    EXPECT_EQ(control.IsKeyboardEnabled(), c.expected);
  }
}

TEST_F(ControlAttributesTest, MinimumIgnoresNegativeAndScales) {
  DpiScale::Set(150, true);
  Control c;
  c.SetAttribute(u"minwidth", u"-5");
  EXPECT_EQ(c.GetMinWidth(), 0);
  c.SetAttribute(u"minwidth", u"10");
  c.SetAttribute(u"minheight", u"7");
  EXPECT_EQ(c.GetMinWidth(), 15);
  EXPECT_EQ(c.GetMinHeight(), 11);
  c.SetAttribute(u"minwidth", u"-1");
  EXPECT_EQ(c.GetMinWidth(), 15);
}

TEST_F(ControlAttributesTest, NoFocusIgnoresItsValue) {
  Control c;
  EXPECT_TRUE(c.IsFocusable());
  c.SetAttribute(u"nofocus", u"false");
  EXPECT_FALSE(c.IsFocusable());
}

TEST_F(ControlAttributesTest, AlignmentAcceptsOnlyKnownWords) {
  Control c;
  c.SetAttribute(u"halign", u"right");
  c.SetAttribute(u"halign", u"middle");
  EXPECT_EQ(c.GetHorAlign(), kHorAlignRight);
  c.SetAttribute(u"valign", u"center");
  EXPECT_EQ(c.GetVerAlign(), kVerAlignCenter);
  c.SetAttribute(u"valign", u"bottom");
  EXPECT_EQ(c.GetVerAlign(), kVerAlignBottom);
  c.SetAttribute(u"valign", u"top");
  EXPECT_EQ(c.GetVerAlign(), kVerAlignTop);
}

TEST_F(ControlAttributesTest, MarginRenderOffsetAndStates) {
  DpiScale::Set(125, true);
  Control c;
  c.SetAttribute(u"margin", u"30,30,0,10");
  EXPECT_EQ(c.GetMargin(), (Rect{38, 38, 0, 13}));
  c.SetAttribute(u"renderoffset", u"4,-4");
  EXPECT_EQ(c.GetRenderOffset(), (Point{5, -5}));
  c.SetAttribute(u"borderround", u"4,4");
  EXPECT_EQ(c.GetBorderRound(), (Point{4, 4}));
  c.SetAttribute(u"state", u"hot");
  EXPECT_EQ(c.GetState(), kStateHot);
  EXPECT_EQ(c.GetHotAlpha(), 255);
  c.SetAttribute(u"state", u"normal");
  EXPECT_EQ(c.GetState(), kStateNormal);
  EXPECT_EQ(c.GetHotAlpha(), 0);
  c.SetAttribute(u"state", u"disabled");
  EXPECT_EQ(c.GetState(), kStateDisabled);
  c.SetAttribute(u"cursortype", u"hand");
  EXPECT_EQ(c.GetCursorType(), kCursorHand);
}

TEST_F(ControlAttributesTest, ColoursByNameOrHexWithLeadingBlanks) {
  GlobalManager::AddColor(u"white", 0xFFFFFFFF);
  Control c;
  c.SetAttribute(u"bkcolor", u"white");
  EXPECT_EQ(c.GetBkColor(), 0xFFFFFFFFu);
  c.SetAttribute(u"bkcolor", u"  #80a1B2c3");
  EXPECT_EQ(c.GetBkColor(), 0x80A1B2C3u);
  c.SetAttribute(u"bordercolor", u"#ff006DD9");
  EXPECT_EQ(c.GetBorderColor(), 0xFF006DD9u);
  c.SetAttribute(u"hotcolor", u"#ff000001");
  EXPECT_EQ(c.GetStateColor(kStateHot), 0xFF000001u);
  // An unknown name leaves the colour as it was.
  c.SetAttribute(u"bkcolor", u"no_such_colour");
  EXPECT_EQ(c.GetBkColor(), 0x80A1B2C3u);
}

TEST_F(ControlAttributesTest, ClassAppliesWhereItStands) {
  GlobalManager::AddClass(u"btn", u"width=\"80\" height=\"30\" normalimage=\"file='a.png'\"");
  Control before;
  before.SetAttribute(u"width", u"100");
  before.SetAttribute(u"class", u"btn");
  EXPECT_EQ(before.GetFixedWidth(), 80);

  Control after;
  after.SetAttribute(u"class", u"btn");
  after.SetAttribute(u"width", u"100");
  EXPECT_EQ(after.GetFixedWidth(), 100);
  EXPECT_EQ(after.GetFixedHeight(), 30);
  EXPECT_EQ(after.GetStateImage(kStateNormal), u"file='a.png'");

  Control unknown;
  unknown.SetAttribute(u"class", u"nothing");
  EXPECT_EQ(unknown.GetFixedWidth(), kSizeStretch);
}

TEST_F(ControlAttributesTest, LabelTakesItsOwnNamesFirst) {
  GlobalManager::AddFont(u"system", 12, false, false);
  GlobalManager::AddFont(u"system", 14, true, false);
  GlobalManager::AddColor(u"gray", 0xFF8E99A6);
  DpiScale::Set(150, true);
  Label label;
  label.SetAttribute(u"text", u"abc");
  label.SetAttribute(u"font", u"1");
  label.SetAttribute(u"normaltextcolor", u"gray");
  label.SetAttribute(u"textpadding", u"2,0,2,0");
  label.SetAttribute(u"name", u"l");
  EXPECT_EQ(label.GetText(), u"abc");
  EXPECT_TRUE(label.GetFontSpec().bold);
  EXPECT_EQ(label.GetFontSpec().size_px, 21);  // 14 at 150 %
  label.SetAttribute(u"font", u"7");           // no such font: font 0
  EXPECT_EQ(label.GetFontSpec().size_px, 18);
  EXPECT_EQ(label.GetPaintTextColor(), 0xFF8E99A6u);
  EXPECT_EQ(label.GetTextPadding(), (Rect{3, 0, 3, 0}));
  EXPECT_EQ(label.GetName(), u"l");
  // A label sizes itself from its text unless told otherwise.
  EXPECT_EQ(label.GetFixedWidth(), kSizeAuto);
  EXPECT_EQ(label.GetFixedHeight(), kSizeAuto);
}

TEST_F(ControlAttributesTest, EveryKindUnderstandsTheBaseVocabulary) {
  DpiScale::Set(150, true);
  for (const char16_t* kind :
       {u"Control", u"Label", u"Button", u"CheckBox", u"Progress", u"RichEdit", u"VBox"}) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(kind));
    std::unique_ptr<Control> c(WindowBuilder::CreateControlByName(kind));
    ASSERT_NE(c, nullptr);
    c->SetAttribute(u"name", u"n");
    c->SetAttribute(u"width", u"20");
    c->SetAttribute(u"margin", u"2,0,0,4");
    c->SetAttribute(u"halign", u"center");
    c->SetAttribute(u"hotimage", u"h.png");
    c->SetAttribute(u"cursortype", u"hand");
    c->SetAttribute(u"tooltiptext", u"tip");
    c->SetAttribute(u"receivepointer", u"true");
    c->SetAttribute(u"no_such_attribute", u"1");
    EXPECT_EQ(c->GetName(), u"n");
    EXPECT_EQ(c->GetFixedWidth(), 30);
    EXPECT_EQ(c->GetMargin(), (Rect{3, 0, 0, 6}));
    EXPECT_EQ(c->GetHorAlign(), kHorAlignCenter);
    EXPECT_EQ(c->GetStateImage(kStateHot), u"h.png");
    EXPECT_EQ(c->GetCursorType(), kCursorHand);
    EXPECT_EQ(c->GetToolTipText(), u"tip");
    EXPECT_TRUE(c->IsReceivePointer());
  }
}

TEST_F(ControlAttributesTest, EachFadeNameSwitchesItsOwnAnimation) {
  const std::pair<std::u16string, bool FadeSwitches::*> fades[] = {
      {u"fadealpha", &FadeSwitches::alpha},
      {u"fadehot", &FadeSwitches::hot},
      {u"fadewidth", &FadeSwitches::width},
      {u"fadeheight", &FadeSwitches::height},
      {u"fadeinoutxfromleft", &FadeSwitches::x_from_left},
      {u"fadeinoutxfromright", &FadeSwitches::x_from_right},
      {u"fadeinoutyfromtop", &FadeSwitches::y_from_top},
      {u"fadeinoutyfrombottom", &FadeSwitches::y_from_bottom},
  };
  for (const auto& [name, fade] : fades) {
    Control c;
    c.SetAttribute(name, u"true");
    for (const auto& [other, other_fade] : fades) {
      EXPECT_EQ(c.GetFades().*other_fade, other == name)
          << nbase::Utf16ToUtf8(name) << " / " << nbase::Utf16ToUtf8(other);
    }
    c.SetAttribute(name, u"True");
    EXPECT_FALSE(c.GetFades().*fade);
  }
}

TEST_F(ControlAttributesTest, BothTextControlsReadTheTextAttributesAlike) {
  GlobalManager::AddFont(u"system", 12, false, false);
  GlobalManager::AddFont(u"system", 14, true, false);
  DpiScale::Set(150, true);
  Label label;
  RichEdit edit;
  for (Control* c : {static_cast<Control*>(&label), static_cast<Control*>(&edit)}) {
    c->SetAttribute(u"text", u"abc");
    c->SetAttribute(u"font", u"1");
    c->SetAttribute(u"normaltextcolor", u"#ff000011");
    c->SetAttribute(u"disabledtextcolor", u"#ff000022");
    c->SetAttribute(u"disabledtextcolor", u"no_such_colour");  // keeps the colour set
    c->SetAttribute(u"textpadding", u"2,0,2,4");
  }
  EXPECT_EQ(label.GetText(), edit.GetText());
  EXPECT_EQ(label.GetFont(), 1);
  EXPECT_EQ(edit.GetFont(), 1);
  EXPECT_EQ(label.GetTextPadding(), (Rect{3, 0, 3, 6}));
  EXPECT_EQ(edit.GetTextPadding(), (Rect{3, 0, 3, 6}));
  EXPECT_EQ(label.GetPaintTextColor(), 0xFF000011u);
  EXPECT_EQ(edit.GetTextColor(), 0xFF000011u);
  label.SetEnabled(false);
  edit.SetEnabled(false);
  EXPECT_EQ(label.GetPaintTextColor(), 0xFF000022u);
  EXPECT_EQ(edit.GetTextColor(), 0xFF000022u);
  // The edit field's own name for the padding.
  edit.SetAttribute(u"padding", u"4,4,4,4");
  EXPECT_EQ(edit.GetTextPadding(), (Rect{6, 6, 6, 6}));
}

TEST_F(ControlAttributesTest, AttributeListsApplyWholeOrNotAtAll) {
  Control c;
  EXPECT_TRUE(c.ApplyAttributeList(u"width=\"12\" name=\"x\""));
  EXPECT_EQ(c.GetFixedWidth(), 12);
  EXPECT_EQ(c.GetName(), u"x");
  EXPECT_FALSE(c.ApplyAttributeList(u"width=\"13\" name=\"y"));
  EXPECT_EQ(c.GetFixedWidth(), 12);
  EXPECT_EQ(c.GetName(), u"x");
}

}  // namespace
}  // namespace ui
