// Asking the user for a folder with the system's own folder dialog.
//
// On Windows it is the shell's folder dialog (IFileOpenDialog picking
// folders; the older SHBrowseForFolderW where that is missing), titled and
// opened on the start folder, owned by the given window. On Linux it is the
// desktop's chooser when one is installed ("zenity --file-selection
// --directory", then "kdialog --getexistingdirectory"), run as a real process
// from an argument list, never through a shell.
//
// Promises: the call blocks the calling thread until the user has answered
// (run it on a worker when the caller's loop must keep running). A cancel is
// final; kUnavailable means no system dialog could ask at all, so the caller
// may ask in a dialog of its own.
#pragma once

#include <string>

namespace platform {

enum class FolderPickOutcome { kChosen, kCancelled, kUnavailable };

// On kChosen `folder` holds the chosen folder as the system gave it.
// `owner_window` is the system handle of the owning window (an HWND on
// Windows) or null; Linux choosers take none.
FolderPickOutcome PickFolder(void* owner_window, const std::u16string& title,
                             const std::u16string& start_folder, std::u16string* folder);

// The folder in a chooser's answer text (a desktop chooser's output, or what
// the user typed into a dialog of the caller's own): its first line without
// the line end. False for an empty answer, one that is not valid UTF-8, or
// one that is not an absolute path of this system.
bool ParseFolderAnswer(const std::string& output, std::u16string* folder);

}  // namespace platform
