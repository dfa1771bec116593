// The system message box through the desktop's dialog programs: zenity
// (GNOME and most others), then kdialog (KDE). A link of the message-box
// chain (system_message_box.h) for desktops where the toolkit's own box
// cannot be drawn, for example for lack of the X core fonts it needs.
//
// Promises: asks only when a display is named (DISPLAY or WAYLAND_DISPLAY),
// since without one a dialog program ends as if the user had cancelled.
// The retry-cancel set shows "重试" and "取消", the OK set "确定", with the
// caption as the title and an error icon when asked for. A program that is
// missing or fails (any exit code but its "yes" and "no") counts as not
// shown, and the next program is tried. Blocks until answered; no shell
// ever sees the texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class DialogToolMessageBox {
 public:
  DialogToolMessageBox() = delete;

  // Has the type of SystemMessageBoxFunction.
  static int32_t Show(std::u16string_view text, std::u16string_view caption, int32_t type);

  // The two programs' command lines for a box.
  static std::u16string ZenityCommandLine(std::u16string_view text, std::u16string_view caption,
                                          int32_t type);
  static std::u16string KdialogCommandLine(std::u16string_view text, std::u16string_view caption,
                                           int32_t type);
};

}  // namespace platform
