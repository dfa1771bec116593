// CheckBox: a button with a selected flag. Activation toggles the flag and
// sends "select" or "unselect" instead of a click; while selected the
// selected colours and images are used.
#pragma once

#include <array>

#include "ui/core/button.h"

namespace ui {

class CheckBox : public Button {
 public:
  CheckBox() = default;
  std::u16string GetType() const override { return u"CheckBox"; }

  // "selected" and the selected looks (check_box.cc), over the button's
  // vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }

  // Toggles the selection when the check box can be activated.
  bool Activate() override;

  bool IsSelected() const { return selected_; }
  // Sets the selection. Nothing happens when it already has that value;
  // otherwise, when the check box belongs to a window and `send_events`,
  // kEventSelect or kEventUnselect goes to the handlers.
  void Selected(bool selected, bool send_events = true);

  // The looks of the current selection: while selected, the selected state
  // images and colours replace the ordinary ones when they are set.
  const std::u16string& GetSelectedStateImage(ControlState state) const;
  const std::u16string& GetSelectedForeStateImage(ControlState state) const;
  uint32_t GetSelectedStateColor(ControlState state) const;
  uint32_t GetPaintTextColor() const override;

 protected:
  uint32_t GetPaintStateColor(ControlState state) const override {
    return GetSelectedStateColor(state);
  }
  const std::u16string& GetPaintStateImage(ControlState state) const override {
    return GetSelectedStateImage(state);
  }
  const std::u16string& GetPaintForeStateImage(ControlState state) const override {
    return GetSelectedForeStateImage(state);
  }

 private:
  void SetSelectedImage(ControlState state, const std::u16string& image);
  void SetSelectedForeImage(ControlState state, const std::u16string& image);
  void SetSelectedColor(ControlState state, const std::u16string& color);

  bool selected_ = false;
  std::array<std::u16string, 4> selected_images_;
  std::array<std::u16string, 4> selected_fore_images_;
  std::array<uint32_t, 4> selected_colors_{};
  uint32_t selected_text_color_ = 0;
  bool selected_text_color_set_ = false;
};

}  // namespace ui
