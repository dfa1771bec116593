// The cells an image step is drawn in: corners kept, edges and middle
// stretched, corners shrunk to fit, the source part cut to the image.
#include "ui/paint/nine_grid.h"

#include <gtest/gtest.h>

#include <string>

namespace ui {
namespace {

std::string D(const RectD& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%g,%g,%g,%g", r.left, r.top, r.right, r.bottom);
  return text;
}

TEST(NineGridTest, CellsOfAnImageStep) {
  struct Case {
    const char* what;
    Rect source;  // empty: the whole image
    Rect source_corners, dest, dest_corners;
    // Cells 0 (top-left), 4 (middle) and 8 (bottom-right), source -> target.
    const char* top_left;
    const char* middle;
    const char* bottom_right;
  };
  const Case cases[] = {
      {"corners scaled on the screen only", {}, {8, 8, 8, 8}, {0, 0, 60, 60}, {12, 12, 12, 12},
       "0,0,8,8 -> 0,0,12,12", "8,8,22,22 -> 12,12,48,48", "22,22,30,30 -> 48,48,60,60"},
      {"corners wider than the target shrink in proportion", {}, {8, 8, 8, 8}, {0, 0, 10, 40},
       {8, 8, 8, 8}, "0,0,8,8 -> 0,0,5,8", "8,8,22,22 -> 5,8,5,32", "22,22,30,30 -> 5,32,10,40"},
      {"without corners the whole part is the middle", {5, 0, 100, 10}, {}, {0, 0, 50, 20}, {},
       "5,0,5,0 -> 0,0,0,0", "5,0,30,10 -> 0,0,50,20", "30,10,30,10 -> 50,20,50,20"},
      {"negative corners count as none", {}, {-4, -4, 0, 0}, {0, 0, 30, 30}, {-6, -6, 0, 0},
       "0,0,0,0 -> 0,0,0,0", "0,0,30,30 -> 0,0,30,30", "30,30,30,30 -> 30,30,30,30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImageStep step;
    step.has_source = !c.source.IsEmpty();
    step.source = c.source;
    step.source_corners = c.source_corners;
    step.dest = c.dest;
    step.dest_corners = c.dest_corners;
    NineGrid::Cells cells;
    ASSERT_TRUE(NineGrid::Plan(step, Size{30, 30}, &cells));
    auto cell = [&cells](int i) { return D(cells[i].source) + " -> " + D(cells[i].target); };
    EXPECT_EQ(cell(0), c.top_left);
    EXPECT_EQ(cell(4), c.middle);
    EXPECT_EQ(cell(8), c.bottom_right);
  }
}

TEST(NineGridTest, ASourceOutsideTheImageHasNoCells) {
  ImageStep step;
  step.dest = Rect{0, 0, 10, 10};
  step.has_source = true;
  NineGrid::Cells cells;
  for (const Rect& source : {Rect{30, 0, 40, 10}, Rect{0, 0, 0, 10}, Rect{10, 10, 5, 20}}) {
    step.source = source;
    EXPECT_FALSE(NineGrid::Plan(step, Size{30, 30}, &cells)) << source;
  }
  EXPECT_FALSE(NineGrid::Plan(ImageStep{}, Size{0, 0}, &cells));
}

}  // namespace
}  // namespace ui
