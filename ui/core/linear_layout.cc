#include "ui/core/linear_layout.h"

#include <algorithm>

#include "ui/core/control.h"

namespace ui {

namespace {

// Reads and writes sizes, rectangles and control limits in axis terms.
// The two dimensions differ in one rule: a maximum width limits only when it
// is not negative, a maximum height always limits.
struct Axis {
  bool horizontal;

  int32_t Along(Size s) const { return horizontal ? s.cx : s.cy; }
  int32_t Across(Size s) const { return horizontal ? s.cy : s.cx; }
  Size MakeSize(int32_t along, int32_t across) const {
    return horizontal ? Size{along, across} : Size{across, along};
  }
  int32_t AlongStart(const Rect& r) const { return horizontal ? r.left : r.top; }
  int32_t AcrossStart(const Rect& r) const { return horizontal ? r.top : r.left; }
  int32_t AcrossEnd(const Rect& r) const { return horizontal ? r.bottom : r.right; }
  int32_t AlongLead(const Rect& m) const { return horizontal ? m.left : m.top; }
  int32_t AlongTrail(const Rect& m) const { return horizontal ? m.right : m.bottom; }
  int32_t AcrossLead(const Rect& m) const { return horizontal ? m.top : m.left; }
  int32_t AcrossTrail(const Rect& m) const { return horizontal ? m.bottom : m.right; }
  Rect MakeRect(int32_t along_start, int32_t along, int32_t across_start, int32_t across) const {
    return horizontal ? Rect{along_start, across_start, along_start + along, across_start + across}
                      : Rect{across_start, along_start, across_start + across, along_start + along};
  }
  int32_t AcrossAlign(const Control* c) const {
    return horizontal ? c->GetVerAlign() : c->GetHorAlign();
  }

  static int32_t ClampWidth(const Control* c, int32_t w) {
    w = std::max(w, c->GetMinWidth());
    if (c->GetMaxWidth() >= 0) w = std::min(w, c->GetMaxWidth());
    return w;
  }
  static int32_t ClampHeight(const Control* c, int32_t h) {
    h = std::max(h, c->GetMinHeight());
    return std::min(h, c->GetMaxHeight());
  }
  int32_t ClampAlong(const Control* c, int32_t v) const {
    return horizontal ? ClampWidth(c, v) : ClampHeight(c, v);
  }
  int32_t ClampAcross(const Control* c, int32_t v) const {
    return horizontal ? ClampHeight(c, v) : ClampWidth(c, v);
  }
};

bool InFlow(const Control* c) { return c->IsVisible() && !c->IsFloat(); }

}  // namespace

LinearLayout::LinearLayout(bool horizontal) : horizontal_(horizontal) {}

Size LinearLayout::ArrangeChild(const std::vector<Control*>& items, Rect rect) {
  const Axis axis{horizontal_};
  const Size room{rect.Width(), rect.Height()};
  const int32_t room_along = axis.Along(room);
  const int32_t room_across = axis.Across(room);

  // Pass 1: fixed total, stretch count, children in the flow.
  int32_t fixed_total = 0;
  int32_t stretch_count = 0;
  int32_t flow_count = 0;
  for (Control* child : items) {
    if (!InFlow(child)) continue;
    const Size estimate = child->EstimateSize(room);
    const Rect& m = child->GetMargin();
    if (axis.Along(estimate) == kSizeStretch) {
      ++stretch_count;
    } else {
      fixed_total += axis.ClampAlong(child, axis.Along(estimate));
    }
    fixed_total += axis.AlongLead(m) + axis.AlongTrail(m);
    ++flow_count;
  }
  const int32_t gaps = child_margin_ * std::max(flow_count - 1, 0);
  fixed_total += gaps;

  int32_t share = 0;
  if (stretch_count > 0) share = std::max(0, (room_along - fixed_total) / stretch_count);
  int32_t remainder = room_along - share * stretch_count - fixed_total;

  // Pass 2: place the children one after another.
  int32_t edge = axis.AlongStart(rect);
  int32_t free_along = room_along;
  int32_t widest_across = 0;
  int32_t used_along = 0;
  for (Control* child : items) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(child, rect);
      continue;
    }
    const Rect& m = child->GetMargin();
    free_along -= axis.AlongLead(m);
    const Size estimate = child->EstimateSize(axis.MakeSize(free_along, room_across));

    int32_t along = axis.Along(estimate);
    if (along == kSizeStretch) {
      along = share;
      if (remainder > 0) {
        ++along;
        --remainder;
      }
    }
    along = axis.ClampAlong(child, along);

    int32_t across = axis.Across(estimate);
    if (across == kSizeStretch) across = room_across - axis.AcrossLead(m) - axis.AcrossTrail(m);
    across = axis.ClampAcross(child, std::max(across, 0));

    const int32_t lo = axis.AcrossStart(rect) + axis.AcrossLead(m);
    const int32_t hi = axis.AcrossEnd(rect) - axis.AcrossTrail(m);
    int32_t across_start = lo;
    if (axis.AcrossAlign(child) == 2) {
      across_start = hi - across;
    } else if (axis.AcrossAlign(child) == 1) {
      across_start = lo + (hi - lo - across) / 2;
    }

    child->SetPos(axis.MakeRect(edge + axis.AlongLead(m), along, across_start, across));

    edge += axis.AlongLead(m) + along + axis.AlongTrail(m) + child_margin_;
    free_along -= along + axis.AlongTrail(m) + child_margin_;
    widest_across = std::max(widest_across, across);
    used_along += axis.AlongLead(m) + along + axis.AlongTrail(m);
  }
  return axis.MakeSize(used_along + gaps, widest_across);
}

Size LinearLayout::EstimateSizeByChild(const std::vector<Control*>& items, Size available) {
  const Axis axis{horizontal_};
  int32_t along_total = 0;
  int32_t across_max = 0;
  int32_t count = 0;
  for (Control* child : items) {
    if (!InFlow(child)) continue;
    const Size estimate = child->EstimateSize(available);
    const Rect& m = child->GetMargin();
    along_total +=
        axis.AlongLead(m) + axis.ClampAlong(child, axis.Along(estimate)) + axis.AlongTrail(m);
    across_max =
        std::max(across_max, axis.AcrossLead(m) + axis.ClampAcross(child, axis.Across(estimate)) +
                                 axis.AcrossTrail(m));
    ++count;
  }
  if (count >= 2) along_total += child_margin_ * (count - 1);
  Size wanted = axis.MakeSize(along_total, across_max);
  wanted.cx += padding_.left + padding_.right;
  wanted.cy += padding_.top + padding_.bottom;
  return wanted;
}

}  // namespace ui
