// FolderChooser: asks the user for a folder, the stand-in for the system's
// folder browser. The desktop's own chooser is used when one is installed
// ("zenity --file-selection --directory", then "kdialog
// --getexistingdirectory"), opened with the given title on the start folder;
// when neither can ask, a small skinned dialog with a path field
// (FolderPathDialog) asks instead.
//
// Promises: ChooseFolder is a modal step. It returns only when the user has
// answered, but the UI thread's loop keeps running meanwhile (the chooser
// runs as a real process waited for on a thread of its own), so every window
// keeps painting and posted tasks keep running; the owner takes no input
// until the answer. A cancelled chooser, or an answer that is not an
// absolute path, chooses nothing. UI thread only.
#pragma once

#include <string>

namespace ui {
class NativeWindow;
}  // namespace ui

namespace installer_ui {

class FolderChooser {
 public:
  enum class Outcome { kChosen, kCancelled, kUnavailable };

  FolderChooser() = delete;

  // True, with `folder` set as the chooser gave it, when the user chose one.
  // `owner` (may be null) is disabled while the chooser is open.
  static bool ChooseFolder(ui::NativeWindow* owner, const std::u16string& title,
                           const std::u16string& start_folder, std::u16string* folder);

  // The desktop's choosers one after the other until one can ask. Blocks the
  // calling thread until the user answers; kUnavailable when none is
  // installed or none could be shown.
  static Outcome RunSystemChooser(const std::u16string& title, const std::u16string& start_folder,
                                  std::u16string* folder);

  // The command lines of the two choosers (arguments quoted as needed).
  static std::u16string ZenityCommandLine(const std::u16string& title,
                                          const std::u16string& start_folder);
  static std::u16string KdialogCommandLine(const std::u16string& title,
                                           const std::u16string& start_folder);

  // The folder in a chooser's output: its first line without the line end.
  // False for an empty answer, one that is not valid UTF-8, or one that is
  // not an absolute path.
  static bool ParseChooserOutput(const std::string& output, std::u16string* folder);
};

}  // namespace installer_ui
