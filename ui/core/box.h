// Box: a control that owns child controls and a layout that places them.
// A plain Box lays its children over one another; HBox and VBox give it a
// row or column layout. Boxes also carry bubbled handlers: handlers that see
// the events of every control inside the box after the control's own
// handlers (the message box answers every button through one of them).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "ui/core/control.h"
#include "ui/core/layout.h"

namespace ui {

class Box : public Control {
 public:
  // A box with a plain Layout, or with the given one.
  Box();
  explicit Box(std::unique_ptr<Layout> layout);
  ~Box() override;

  std::u16string GetType() const override { return u"Box"; }
  bool IsBox() const override { return true; }
  Layout* GetLayout() const { return layout_.get(); }

  // Takes ownership of `child` and appends it (or inserts at `index`).
  // Returns false for a null child, which the box refuses.
  bool Add(Control* child);
  bool AddAt(Control* child, size_t index);
  // Removes and destroys a child; false when it is not a child of this box.
  bool Remove(Control* child);
  void RemoveAll();
  size_t GetCount() const { return items_.size(); }
  Control* GetAt(size_t index) const { return index < items_.size() ? items_[index] : nullptr; }
  const std::vector<Control*>& GetItems() const { return items_; }

  // Boxes only hold controls: a press on a box's background, or the Tab
  // key, never gives the focus to a box.
  bool IsFocusable() const override { return false; }
  void SetWindow(Window* window, Box* parent) override;
  using Control::SetWindow;
  Control* FindControl(const std::u16string& name) override;
  Control* FindControlAt(Point point) override;
  // The layout's "padding" and "childmargin" (box.cc), over the base
  // vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }
  // Places the box, then its children inside the padding.
  void SetPos(const Rect& rect) override;

  // Handlers for events that rise from the box's descendants.
  void AttachBubbledEvent(int32_t type, EventCallback callback);
  bool FireBubbledHandlers(const EventArgs& args);

  // The layout's request for a new arrangement.
  void RequestArrange() { Arrange(); }

 protected:
  Size EstimateContentSize(Size available) override;
  void PaintChildren(PaintList* list, const Rect& clip) override;

 private:
  std::unique_ptr<Layout> layout_;
  std::vector<Control*> items_;  // owned
  std::map<int32_t, std::vector<EventCallback>> bubbled_handlers_;
};

}  // namespace ui
