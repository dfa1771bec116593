// Layout: the arrangement of a plain "Box" (children laid over one another)
// and the base of the row and column layouts. It holds the box's padding and
// child margin and implements the plain placement rule that every box also
// uses for its floating children.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/core/geometry.h"

namespace ui {

class Box;
class Control;

class Layout {
 public:
  Layout();
  virtual ~Layout();

  // The box whose children this layout places (not owned).
  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

  // Places every visible child inside `rect` (the area inside the padding)
  // and returns the size the children took.
  virtual Size ArrangeChild(const std::vector<Control*>& items, Rect rect);
  // The size the box wants for its children, padding included. A plain box
  // without visible children wants -9999 plus its padding.
  virtual Size EstimateSizeByChild(const std::vector<Control*>& items, Size available);

  const Rect& GetPadding() const { return padding_; }
  // Sets the padding (DPI-scaled first when `scale`), then re-lays the box.
  void SetPadding(const Rect& padding, bool scale);
  int32_t GetChildMargin() const { return child_margin_; }
  // Sets the gap between neighbours, DPI-scaled, then re-lays the box.
  void SetChildMargin(int32_t margin);

  // The plain placement rule: the child inside `container` less its margins,
  // sized by its wishes and limits and aligned. Returns the child's size
  // ({0, 0} for an invisible child).
  static Size SetFloatPos(Control* child, const Rect& container);

 protected:
  void ArrangeOwner();

  Rect padding_;
  int32_t child_margin_ = 0;
  Box* owner_ = nullptr;
};

}  // namespace ui
