// LinearLayout: the row and column arrangement written once over an axis.
// "Along" is the direction the children follow (x for a row, y for a
// column), "across" the other one. HLayout and VLayout only pick the axis,
// so both share every step of the arithmetic.
#pragma once

#include "ui/core/layout.h"

namespace ui {

class LinearLayout : public Layout {
 public:
  explicit LinearLayout(bool horizontal);

  // Two passes: the first sums the fixed sizes and counts the stretch
  // children to find the stretch share and its remainder; the second places
  // the children one after another, the first stretch children taking the
  // leftover pixels. Floating children are placed by the plain rule.
  Size ArrangeChild(const std::vector<Control*>& items, Rect rect) override;
  // The sum along the axis and the largest extent across it, with margins,
  // child margins and padding.
  Size EstimateSizeByChild(const std::vector<Control*>& items, Size available) override;

  bool IsHorizontal() const { return horizontal_; }

 private:
  const bool horizontal_;
};

}  // namespace ui
