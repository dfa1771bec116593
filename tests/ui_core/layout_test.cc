// Box layouts: stretch shares and remainders, child margins, alignment,
// clamping, floats and estimates of plain, row and column boxes.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/ui_globals.h"
#include "ui/core/box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/h_box.h"
#include "ui/core/v_box.h"

namespace ui {
namespace {

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { varnik_test::ResetUiGlobals(); }
  void TearDown() override { varnik_test::ResetUiGlobals(); }
};

Control* Fixed(int32_t w, int32_t h) {
  Control* c = new Control;
  c->SetFixedWidth(w, false);
  c->SetFixedHeight(h, false);
  return c;
}

TEST_F(LayoutTest, VBoxStretchSharesAndRemainder) {
  struct Case {
    int32_t height;
    int32_t stretch_children;
    std::vector<int32_t> expected_heights;
  };
  const Case cases[] = {
      {100, 2, {50, 50}},     {101, 2, {51, 50}}, {102, 3, {34, 34, 34}},
      {104, 3, {35, 35, 34}}, {1, 3, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    VBox box;
    for (int i = 0; i < c.stretch_children; ++i) box.Add(Fixed(kSizeStretch, kSizeStretch));
    box.SetPos(Rect{0, 0, 40, c.height});
    int32_t top = 0;
    for (int i = 0; i < c.stretch_children; ++i) {
      const Rect& r = box.GetAt(i)->GetPos();
      EXPECT_EQ(r.Height(), c.expected_heights[i]) << "height " << c.height << " child " << i;
      EXPECT_EQ(r.top, top);
      EXPECT_EQ(r.Width(), 40);
      top = r.bottom;
    }
  }
}

TEST_F(LayoutTest, ChildMarginSeparatesFixedChildren) {
  VBox box;
  box.SetAttribute(u"childmargin", u"10");
  for (int i = 0; i < 3; ++i) box.Add(Fixed(30, 20));
  Size used = box.GetLayout()->ArrangeChild(box.GetItems(), Rect{0, 0, 100, 200});
  EXPECT_EQ(box.GetAt(0)->GetPos().top, 0);
  EXPECT_EQ(box.GetAt(1)->GetPos().top, 30);
  EXPECT_EQ(box.GetAt(2)->GetPos().top, 60);
  EXPECT_EQ(used, (Size{30, 80}));
}

TEST_F(LayoutTest, ChildMarginIsScaledOnlyWhenAdaptationIsActive) {
  struct Case {
    int32_t percent;
    bool active;
    int32_t expected;
  };
  for (const Case& c :
       {Case{150, true, 15}, Case{150, false, 10}, Case{125, true, 13}, Case{100, true, 10}}) {
    DpiScale::Set(c.percent, c.active);
    HBox box;
    box.SetAttribute(u"childmargin", u"10");
    EXPECT_EQ(box.GetLayout()->GetChildMargin(), c.expected) << c.percent << " " << c.active;
  }
}

TEST_F(LayoutTest, CentredChildInColumn) {
  VBox box;
  Control* child = Fixed(240, 52);
  child->SetAttribute(u"halign", u"center");
  box.Add(child);
  box.SetPos(Rect{0, 0, 540, 300});
  EXPECT_EQ(child->GetPos(), (Rect{150, 0, 390, 52}));
  // Odd leftovers round towards the start edge.
  box.SetPos(Rect{0, 0, 541, 300});
  EXPECT_EQ(child->GetPos().left, 150);
}

TEST_F(LayoutTest, FillerPushesButtonsToTheRightEdge) {
  HBox bar;
  bar.SetAttribute(u"childmargin", u"10");
  Box* filler = new Box;  // stretch x stretch
  Control* a = Fixed(80, 30);
  Control* b = Fixed(80, 30);
  b->SetAttribute(u"margin", u"5,0,0,0");
  bar.Add(filler);
  bar.Add(a);
  bar.Add(b);
  bar.SetPos(Rect{10, 100, 410, 140});
  EXPECT_EQ(b->GetPos(), (Rect{330, 100, 410, 130}));
  EXPECT_EQ(a->GetPos(), (Rect{235, 100, 315, 130}));
  EXPECT_EQ(filler->GetPos(), (Rect{10, 100, 225, 140}));
}

TEST_F(LayoutTest, InvisibleChildrenTakeNoSpaceAndNoChildMargin) {
  VBox box;
  box.SetAttribute(u"childmargin", u"7");
  Control* hidden = Fixed(10, 50);
  hidden->SetVisible(false);
  box.Add(Fixed(10, 20));
  box.Add(hidden);
  box.Add(Fixed(10, 20));
  box.SetPos(Rect{0, 0, 100, 100});
  EXPECT_EQ(box.GetAt(2)->GetPos().top, 27);
  EXPECT_EQ(box.GetLayout()->EstimateSizeByChild(box.GetItems(), Size{100, 100}), (Size{10, 47}));
}

TEST_F(LayoutTest, PlainBoxEstimates) {
  Box box;
  box.SetAttribute(u"padding", u"1,2,3,4");
  Control* hidden = Fixed(10, 10);
  hidden->SetVisible(false);
  box.Add(hidden);
  EXPECT_EQ(box.GetLayout()->EstimateSizeByChild(box.GetItems(), Size{100, 100}),
            (Size{-9999 + 4, -9999 + 6}));

  Control* a = Fixed(30, 5);
  a->SetAttribute(u"margin", u"2,0,3,1");
  box.Add(a);
  Control* b = Fixed(10, 40);
  b->SetMaxHeight(25);
  box.Add(b);
  EXPECT_EQ(box.GetLayout()->EstimateSizeByChild(box.GetItems(), Size{100, 100}),
            (Size{35 + 4, 25 + 6}));
  // An auto-sized box reports the estimate as its wish.
  box.SetFixedWidth(kSizeAuto);
  box.SetFixedHeight(kSizeAuto);
  EXPECT_EQ(box.EstimateSize(Size{100, 100}), (Size{39, 31}));
}

TEST_F(LayoutTest, PlainBoxAlignsAndClampsEachChild) {
  Box box;
  box.SetAttribute(u"padding", u"10,10,10,10");
  Control* br = Fixed(20, 20);
  br->SetAttribute(u"halign", u"right");
  br->SetAttribute(u"valign", u"bottom");
  br->SetAttribute(u"margin", u"0,0,5,5");
  Control* stretched = Fixed(kSizeStretch, kSizeStretch);
  stretched->SetMaxWidth(50);
  stretched->SetMinHeight(200);
  Control* centred = Fixed(21, 11);
  centred->SetAttribute(u"halign", u"center");
  centred->SetAttribute(u"valign", u"center");
  box.Add(br);
  box.Add(stretched);
  box.Add(centred);
  box.SetPos(Rect{0, 0, 120, 100});
  EXPECT_EQ(br->GetPos(), (Rect{85, 65, 105, 85}));
  EXPECT_EQ(stretched->GetPos(), (Rect{10, 10, 60, 210}));
  EXPECT_EQ(centred->GetPos(), (Rect{49, 44, 70, 55}));
}

TEST_F(LayoutTest, RowSharesWidthAndStretchesHeightAcross) {
  HBox row;
  row.SetAttribute(u"padding", u"5,5,5,5");
  Control* a = Fixed(kSizeStretch, kSizeStretch);
  a->SetAttribute(u"margin", u"1,2,3,4");
  Control* b = Fixed(kSizeStretch, 10);
  b->SetAttribute(u"valign", u"center");
  Control* c = Fixed(kSizeStretch, 10);
  c->SetAttribute(u"valign", u"bottom");
  row.Add(a);
  row.Add(b);
  row.Add(c);
  row.SetPos(Rect{0, 0, 110, 60});
  // Inner 100 wide; margins 4 fixed; shares (100 - 4) / 3 = 32 exactly.
  EXPECT_EQ(a->GetPos(), (Rect{6, 7, 38, 51}));
  EXPECT_EQ(b->GetPos(), (Rect{41, 25, 73, 35}));
  EXPECT_EQ(c->GetPos(), (Rect{73, 45, 105, 55}));
}

TEST_F(LayoutTest, ClampingAlongAndAcrossTheAxis) {
  VBox column;
  Control* a = Fixed(kSizeStretch, kSizeStretch);
  a->SetMaxHeight(30);
  a->SetMaxWidth(40);
  Control* b = Fixed(5, 5);
  b->SetMinHeight(12);
  b->SetMinWidth(9);
  column.Add(a);
  column.Add(b);
  column.SetPos(Rect{0, 0, 100, 100});
  // Pass one counts the stretch child as 0; the clamp then limits it.
  EXPECT_EQ(a->GetPos(), (Rect{0, 0, 40, 30}));
  EXPECT_EQ(b->GetPos(), (Rect{0, 30, 9, 42}));

  // A negative maximum width does not limit; a maximum height always does.
  HBox row;
  Control* r = Fixed(30, kSizeStretch);
  r->SetMaxWidth(-1);
  r->SetMaxHeight(20);
  row.Add(r);
  row.SetPos(Rect{0, 0, 100, 50});
  EXPECT_EQ(r->GetPos(), (Rect{0, 0, 30, 20}));
}

TEST_F(LayoutTest, FloatingChildLeavesTheFlow) {
  VBox column;
  column.SetAttribute(u"childmargin", u"4");
  Control* floating = Fixed(20, 20);
  floating->SetAttribute(u"float", u"true");
  floating->SetAttribute(u"halign", u"right");
  floating->SetAttribute(u"valign", u"bottom");
  column.Add(Fixed(kSizeStretch, 10));
  column.Add(floating);
  column.Add(Fixed(kSizeStretch, kSizeStretch));
  column.SetPos(Rect{0, 0, 100, 100});
  EXPECT_EQ(floating->GetPos(), (Rect{80, 80, 100, 100}));
  EXPECT_EQ(column.GetAt(2)->GetPos(), (Rect{0, 14, 100, 100}));
}

TEST_F(LayoutTest, ColumnAndRowEstimates) {
  VBox column;
  column.SetAttribute(u"padding", u"1,2,3,4");
  column.SetAttribute(u"childmargin", u"5");
  Control* a = Fixed(30, 10);
  a->SetAttribute(u"margin", u"1,1,1,1");
  column.Add(a);
  column.Add(Fixed(50, 20));
  column.Add(Fixed(kSizeStretch, kSizeStretch));  // estimates as 0 x 0
  EXPECT_EQ(column.GetLayout()->EstimateSizeByChild(column.GetItems(), Size{200, 200}),
            (Size{50 + 4, 12 + 20 + 0 + 2 * 5 + 6}));

  HBox row;
  row.SetAttribute(u"childmargin", u"3");
  row.Add(Fixed(10, 7));
  EXPECT_EQ(row.GetLayout()->EstimateSizeByChild(row.GetItems(), Size{200, 200}), (Size{10, 7}));
  row.Add(Fixed(11, 9));
  EXPECT_EQ(row.GetLayout()->EstimateSizeByChild(row.GetItems(), Size{200, 200}), (Size{24, 9}));
}

TEST_F(LayoutTest, OverfullColumnGivesStretchNothing) {
  VBox column;
  column.Add(Fixed(10, 80));
  column.Add(Fixed(10, kSizeStretch));
  column.Add(Fixed(10, 40));
  column.SetPos(Rect{0, 0, 10, 100});
  EXPECT_EQ(column.GetAt(1)->GetPos().Height(), 0);
  EXPECT_EQ(column.GetAt(2)->GetPos(), (Rect{0, 80, 10, 120}));
}

}  // namespace
}  // namespace ui
