#include "ui/core/box.h"

#include <algorithm>
#include <utility>

#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

namespace ui {

Box::Box() : Box(std::make_unique<Layout>()) {}

Box::Box(std::unique_ptr<Layout> layout) : layout_(std::move(layout)) {
  if (!layout_) layout_ = std::make_unique<Layout>();
  layout_->SetOwner(this);
}

Box::~Box() { RemoveAll(); }

bool Box::Add(Control* child) { return AddAt(child, items_.size()); }

bool Box::AddAt(Control* child, size_t index) {
  if (!child) return false;
  index = std::min(index, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), child);
  child->SetWindow(GetWindow(), this);
  Arrange();
  return true;
}

bool Box::Remove(Control* child) {
  auto it = std::find(items_.begin(), items_.end(), child);
  if (it == items_.end()) return false;
  items_.erase(it);
  child->Invalidate();  // the place it leaves
  delete child;
  Arrange();
  return true;
}

void Box::RemoveAll() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* child : items) delete child;
  if (!items.empty()) {
    Invalidate();  // the children drew inside the box
    Arrange();
  }
}

void Box::SetWindow(Window* window, Box* parent) {
  Control::SetWindow(window, parent);
  for (Control* child : items_) child->SetWindow(window, this);
}

Control* Box::FindControl(const std::u16string& name) {
  if (Control* self = Control::FindControl(name)) return self;
  for (Control* child : items_) {
    if (Control* found = child->FindControl(name)) return found;
  }
  return nullptr;
}

Control* Box::FindControlAt(Point point) {
  if (!IsVisible() || !GetPos().Contains(point)) return nullptr;
  // Later children are drawn over earlier ones, so they are hit first.
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    if (Control* found = (*it)->FindControlAt(point)) return found;
  }
  return IsMouseEnabled() ? this : nullptr;
}

const ControlAttributes& Box::Attributes() {
  using V = const std::u16string&;
  static const AttributeTable<Box, Control> table(
      &Control::Attributes(),
      {
          {u"padding", [](Box& c, V v) { c.layout_->SetPadding(ParseRect(v), true); }},
          {u"childmargin", [](Box& c, V v) { c.layout_->SetChildMargin(ParseInt(v)); }},
      });
  return table;
}

void Box::SetPos(const Rect& rect) {
  Control::SetPos(rect);
  const Rect& pad = layout_->GetPadding();
  Rect inner{rect.left + pad.left, rect.top + pad.top, rect.right - pad.right,
             rect.bottom - pad.bottom};
  layout_->ArrangeChild(items_, inner);
}

Size Box::EstimateContentSize(Size available) {
  return layout_->EstimateSizeByChild(items_, available);
}

void Box::AttachBubbledEvent(int32_t type, EventCallback callback) {
  if (callback) bubbled_handlers_[type].push_back(std::move(callback));
}

bool Box::FireBubbledHandlers(const EventArgs& args) {
  for (int32_t type : {args.type, static_cast<int32_t>(kEventAll)}) {
    auto it = bubbled_handlers_.find(type);
    if (it == bubbled_handlers_.end()) continue;
    std::vector<EventCallback> callbacks = it->second;
    for (const EventCallback& callback : callbacks) {
      if (!callback(args)) return false;
    }
    if (args.type == kEventAll) break;
  }
  return true;
}

void Box::PaintChildren(PaintList* list, const Rect& clip) {
  for (Control* child : items_) child->Paint(list, clip);
}

}  // namespace ui
