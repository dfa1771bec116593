// FolderChooser: asks the user for a folder. The system's own folder dialog
// (platform/folder_picker.h) asks, with the given title, on the start folder;
// when the system has none that can ask, a small skinned dialog with a path
// field (FolderPathDialog) asks instead.
//
// Promises: ChooseFolder is a modal step. It returns only when the user has
// answered, but the UI thread's loop keeps running meanwhile (the system
// dialog is waited for on a thread of its own), so every window keeps
// painting and posted tasks keep running; the owner takes no input until the
// answer. A cancelled dialog, or an answer that is not an absolute path,
// chooses nothing. UI thread only.
#pragma once

#include <string>

#include "platform/folder_picker.h"

namespace ui {
class NativeWindow;
}  // namespace ui

namespace installer_ui {

class FolderChooser {
 public:
  using Outcome = platform::FolderPickOutcome;

  FolderChooser() = delete;

  // True, with `folder` set as the chooser gave it, when the user chose one.
  // `owner` (may be null) is disabled while the chooser is open.
  static bool ChooseFolder(ui::NativeWindow* owner, const std::u16string& title,
                           const std::u16string& start_folder, std::u16string* folder);
};

}  // namespace installer_ui
