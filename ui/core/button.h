// Button: a label that can be activated. A completed click, or a space or
// return key while the button takes keyboard input, sends the click event to
// its handlers when the button is enabled and visible. A disabled button
// hands its mouse events to its parent box.
#pragma once

#include "ui/core/label.h"

namespace ui {

class Button : public Label {
 public:
  // Text is centred both ways by default, as buttons show it.
  Button();
  std::u16string GetType() const override { return u"Button"; }

  // Sends kEventClick when the button can be activated and belongs to a
  // window. Returns whether it could be activated.
  bool Activate() override;
  bool TakesClicks() const override { return true; }

 protected:
  void HandleEvent(const EventArgs& args) override;
};

}  // namespace ui
