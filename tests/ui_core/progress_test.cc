// Progress bar: range normalisation, value clamping, the covered part and
// the image description drawn into it.
#include "ui/core/progress.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(ProgressTest, CoveredPart) {
  struct Case {
    bool horizontal;
    int32_t min, max, value;
    Rect pos;
    Rect expected;
    int32_t stored_max, stored_value;
  };
  const Case cases[] = {
      {true, 0, 100, 45, {0, 0, 420, 6}, {0, 0, 189, 6}, 100, 45},
      {true, 0, 100, 150, {0, 0, 420, 6}, {0, 0, 420, 6}, 100, 100},
      {true, 0, 100, -3, {10, 10, 430, 16}, {0, 0, 0, 6}, 100, 0},
      {true, 10, 10, 10, {0, 0, 100, 6}, {0, 0, 0, 6}, 11, 10},
      {true, 10, 10, 11, {0, 0, 100, 6}, {0, 0, 100, 6}, 11, 11},
      {true, 50, 20, 60, {0, 0, 100, 6}, {0, 0, 100, 6}, 51, 51},
      {true, 0, 3, 1, {0, 0, 100, 6}, {0, 0, 33, 6}, 3, 1},
      {false, 0, 100, 25, {0, 0, 8, 100}, {0, 75, 8, 100}, 100, 25},
      {false, 0, 3, 1, {0, 0, 8, 100}, {0, 66, 8, 100}, 3, 1},
  };
  for (const Case& c : cases) {
    Progress p;
    p.SetHorizontal(c.horizontal);
    p.SetMinValue(c.min);
    p.SetMaxValue(c.max);
    p.SetValue(c.value);
    p.SetPos(c.pos);
    EXPECT_EQ(p.GetProgressPos(), c.expected) << c.min << ".." << c.max << " v " << c.value;
    EXPECT_EQ(p.GetMaxValue(), c.stored_max);
    EXPECT_EQ(p.GetValue(), c.stored_value);
  }
}

TEST(ProgressTest, AttributesAndImageDescription) {
  Progress p;
  p.SetAttribute(u"hor", u"true");
  p.SetAttribute(u"min", u"0");
  p.SetAttribute(u"max", u"100");
  p.SetAttribute(u"value", u"50");
  p.SetAttribute(u"progressimage", u"file='fg.png' corner='1,1,1,1'");
  p.SetPos(Rect{20, 40, 440, 46});
  EXPECT_TRUE(p.IsStretchForeImage());
  EXPECT_EQ(p.GetProgressImageDescription(),
            u"file='fg.png' corner='1,1,1,1' destscale='false' dest='0,0,210,6'");
  p.SetAttribute(u"isstretchfore", u"false");
  EXPECT_EQ(p.GetProgressImageDescription(),
            u"file='fg.png' corner='1,1,1,1' destscale='false' dest='0,0,210,6' "
            u"source='0,0,210,6'");
  p.SetAttribute(u"progressimage", u"fg.png");
  EXPECT_EQ(p.GetProgressImageDescription(),
            u"file='fg.png' destscale='false' dest='0,0,210,6' source='0,0,210,6'");
  p.SetAttribute(u"progressimage", u"");
  EXPECT_EQ(p.GetProgressImageDescription(), u"");
  // Names the bar does not know go on to the label and the base.
  p.SetAttribute(u"height", u"6");
  p.SetAttribute(u"text", u"x");
  EXPECT_EQ(p.GetFixedHeight(), 6);
  EXPECT_EQ(p.GetText(), u"x");
  EXPECT_EQ(p.GetFixedWidth(), kSizeStretch);
}

TEST(ProgressTest, SettingTheValueRepaints) {
  Progress p;
  uint32_t before = p.InvalidateCount();
  p.SetValue(10);
  EXPECT_GT(p.InvalidateCount(), before);
}

}  // namespace
}  // namespace ui
