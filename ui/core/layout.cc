#include "ui/core/layout.h"

#include <algorithm>

#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/dpi_scale.h"

namespace ui {

Layout::Layout() = default;
Layout::~Layout() = default;

void Layout::SetPadding(const Rect& padding, bool scale) {
  padding_ = scale ? DpiScale::ScaleRect(padding) : padding;
  ArrangeOwner();
}

void Layout::SetChildMargin(int32_t margin) {
  child_margin_ = DpiScale::Scale(margin);
  ArrangeOwner();
}

void Layout::ArrangeOwner() {
  if (owner_) owner_->RequestArrange();
}

Size Layout::SetFloatPos(Control* child, const Rect& container) {
  if (!child->IsVisible()) return Size{0, 0};
  const Rect& margin = child->GetMargin();
  const Rect inner{container.left + margin.left, container.top + margin.top,
                   container.right - margin.right, container.bottom - margin.bottom};
  const int32_t inner_width = inner.Width();
  const int32_t inner_height = inner.Height();
  Size size = child->EstimateSize(Size{inner_width, inner_height});

  // Auto-sized content wider than the room is measured again at the room's
  // width so that it wraps instead of overflowing.
  if (child->GetFixedWidth() == kSizeAuto && child->GetFixedHeight() == kSizeAuto &&
      child->GetMaxWidth() == kMaxSizeUnset && size.cx > inner_width && inner_width > 0) {
    child->SetFixedWidthQuiet(inner_width);
    size = child->EstimateSize(Size{inner_width, inner_height});
    child->SetFixedWidthQuiet(kSizeAuto);
  }

  int32_t width = size.cx;
  if (width == kSizeStretch) width = std::max(0, inner_width);
  width = std::max(width, child->GetMinWidth());
  if (child->GetMaxWidth() >= 0) width = std::min(width, child->GetMaxWidth());
  int32_t height = size.cy;
  if (height == kSizeStretch) height = std::max(0, inner_height);
  height = std::max(height, child->GetMinHeight());
  height = std::min(height, child->GetMaxHeight());

  int32_t left = inner.left;
  if (child->GetHorAlign() == kHorAlignRight) {
    left = inner.right - width;
  } else if (child->GetHorAlign() == kHorAlignCenter) {
    left = inner.left + (inner_width - width) / 2;
  }
  int32_t top = inner.top;
  if (child->GetVerAlign() == kVerAlignBottom) {
    top = inner.bottom - height;
  } else if (child->GetVerAlign() == kVerAlignCenter) {
    top = inner.top + (inner_height - height) / 2;
  }
  child->SetPos(Rect{left, top, left + width, top + height});
  return Size{width, height};
}

Size Layout::ArrangeChild(const std::vector<Control*>& items, Rect rect) {
  Size used{0, 0};
  for (Control* child : items) {
    if (!child->IsVisible()) continue;
    Size size = SetFloatPos(child, rect);
    used.cx = std::max(used.cx, size.cx);
    used.cy = std::max(used.cy, size.cy);
  }
  return used;
}

Size Layout::EstimateSizeByChild(const std::vector<Control*>& items, Size available) {
  Size wanted{-9999, -9999};
  for (Control* child : items) {
    if (!child->IsVisible()) continue;
    Size size = child->EstimateSize(available);
    size.cx = std::max(size.cx, child->GetMinWidth());
    if (child->GetMaxWidth() >= 0) size.cx = std::min(size.cx, child->GetMaxWidth());
    size.cy = std::max(size.cy, child->GetMinHeight());
    size.cy = std::min(size.cy, child->GetMaxHeight());
    const Rect& margin = child->GetMargin();
    wanted.cx = std::max(wanted.cx, margin.left + size.cx + margin.right);
    wanted.cy = std::max(wanted.cy, margin.top + size.cy + margin.bottom);
  }
  wanted.cx += padding_.left + padding_.right;
  wanted.cy += padding_.top + padding_.bottom;
  return wanted;
}

}  // namespace ui
