// SdlSystemMessageBox: the system message box of platform/system_message_box.h
// drawn by SDL_ShowMessageBox (X11 or Wayland's own box, shown without an
// owner window, so it works before any window exists).
//
// Promises: "重试" / "取消" for the retry-cancel set (Return presses "重试",
// Escape "取消"); "确定" for the OK set. A box closed without a button answers
// kAnswerCancel; a box SDL cannot show (no display) answers kAnswerNone.
// Blocks the calling (UI) thread until answered.
#pragma once

#include <cstdint>
#include <string_view>

namespace ui {

class SdlSystemMessageBox {
 public:
  SdlSystemMessageBox() = delete;

  // Has the type of platform::SystemMessageBoxFunction.
  static int32_t Show(std::u16string_view text, std::u16string_view caption, int32_t type);
};

}  // namespace ui
