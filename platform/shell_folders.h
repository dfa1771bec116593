// The user's well-known folders, looked up by the identifiers the installer
// was designed around, and the two temporary folders that close the list of
// download-folder candidates.
//
// On Windows the identifiers are the shell's own (CSIDL values, resolved by
// the shell's item lists) and the temporary folders are "d:\Temp" and
// "c:\Temp", literally. On Linux they stand in as follows:
//
//   42 program files (x86)  -> $XDG_DATA_HOME   (default ~/.local/share)
//   26 application data     -> $XDG_CACHE_HOME  (default ~/.cache)
//    0 desktop              -> XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs
//                              (default ~/Desktop)
// The home folder is $HOME, else the password database. An XDG variable that
// is empty or not an absolute path is ignored, as the XDG rules ask.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr int kCsidlDesktop = 0;
inline constexpr int kCsidlAppData = 26;
inline constexpr int kCsidlProgramFilesX86 = 42;

// The folder's path without a trailing separator, or the empty text when the
// identifier is unknown or the folder cannot be resolved. The folder itself
// may not exist yet.
std::u16string GetSpecialFolder(int csidl);

// The two temporary download-folder candidates, in the order they are tried:
// Windows "d:\Temp", "c:\Temp"; Linux the private folders under /var/tmp
// and /tmp (GetPrivateTempFolder; an entry is empty when refused).
std::vector<std::u16string> GetTempFolderCandidates();

// Linux only: the user's home folder in UTF-8, or empty.
std::string GetHomeFolder();

// Linux only: an XDG base folder: the variable's value when it is an absolute path, else
// the home folder joined with `home_relative_default`. Empty when neither is
// known.
std::string GetXdgFolder(const char* variable, std::string_view home_relative_default);

// Linux only: "<parent>/varnik-<uid>": a folder only this user may enter. Created with
// mode 0700 when missing. An existing entry is accepted only when it is a
// real folder (not a symbolic link) owned by this user with no access for
// others; anything else (a planted link, another user's folder, a file) is
// refused and the result is empty.
std::u16string GetPrivateTempFolder(std::u16string_view parent);

}  // namespace platform
