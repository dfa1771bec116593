#include "ui/core/button.h"

#include "ui/core/box.h"

namespace ui {

Button::Button() { SetAttribute(u"align", u"center"); }

bool Button::Activate() {
  if (!Control::Activate()) return false;
  if (GetWindow()) SendEvent(kEventClick);
  return true;
}

void Button::HandleEvent(const EventArgs& args) {
  if (!IsEnabled() && IsMouseEvent(args.type)) {
    if (GetParent()) GetParent()->Event(args);
    return;
  }
  if (args.type == kEventKeyDown) {
    if (IsKeyboardEnabled() && (args.key == kKeySpace || args.key == kKeyReturn)) Activate();
    return;
  }
  if (args.type == kEventInternalMenu) {
    if (IsContextMenuUsed()) SendEvent(kEventMenu);
    return;
  }
  Label::HandleEvent(args);
}

}  // namespace ui
