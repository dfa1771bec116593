// HBox: a box whose HLayout places the children from left to right.
#pragma once

#include <memory>

#include "ui/core/box.h"
#include "ui/core/h_layout.h"

namespace ui {

class HBox : public Box {
 public:
  HBox() : Box(std::make_unique<HLayout>()) {}
  std::u16string GetType() const override { return u"HBox"; }
};

}  // namespace ui
