// The chain of system message boxes this process tries, in order: SDL's box
// (the toolkit's own, when SDL is up), the desktop's dialog programs (zenity,
// kdialog), and the installer's own window (FallbackMessageBox, when SDL is
// up). Installed once at start-up, before the first question; a question
// then reaches the user on any desktop that can show a window.
#pragma once

namespace ui {

class MessageBoxChain {
 public:
  MessageBoxChain() = delete;

  // Installs the chain into platform/system_message_box.h. UI thread.
  static void Install();
  // Removes it again (before SDL shuts down).
  static void Uninstall();
};

}  // namespace ui
