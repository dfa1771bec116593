// HLayout: the arrangement of an "HBox", children from left to right.
#pragma once

#include "ui/core/linear_layout.h"

namespace ui {

class HLayout : public LinearLayout {
 public:
  HLayout() : LinearLayout(true) {}
};

}  // namespace ui
