// VBox: a box whose VLayout places the children from top to bottom.
#pragma once

#include <memory>

#include "ui/core/box.h"
#include "ui/core/v_layout.h"

namespace ui {

class VBox : public Box {
 public:
  VBox() : Box(std::make_unique<VLayout>()) {}
  std::u16string GetType() const override { return u"VBox"; }
};

}  // namespace ui
