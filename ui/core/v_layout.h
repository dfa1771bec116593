// VLayout: the arrangement of a "VBox", children from top to bottom.
#pragma once

#include "ui/core/linear_layout.h"

namespace ui {

class VLayout : public LinearLayout {
 public:
  VLayout() : LinearLayout(false) {}
};

}  // namespace ui
