#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/path_util.h"
#include "platform/shell_folders.h"

namespace platform {
namespace {

std::string TrimTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// XDG_DESKTOP_DIR from user-dirs.dirs: a line XDG_DESKTOP_DIR="$HOME/Desk",
// either absolute or relative to $HOME. Empty when absent or malformed.
std::string ReadDesktopFromUserDirs(const std::string& home) {
  std::string config = GetXdgFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return std::string();
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  std::string result;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    static constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    if (line.compare(start, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(start + kKey.size());
    while (!value.empty() &&
           (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
      value.pop_back();
    }
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    static constexpr std::string_view kHome = "$HOME";
    if (value.compare(0, kHome.size(), kHome) == 0 &&
        (value.size() == kHome.size() || value[kHome.size()] == '/')) {
      if (home.empty()) continue;
      result = home + value.substr(kHome.size());
    } else if (!value.empty() && value.front() == '/') {
      result = value;
    }
  }
  return result.empty() ? result : TrimTrailingSeparators(result);
}

}  // namespace

std::string GetHomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return TrimTrailingSeparators(home);
  std::vector<char> buffer(16384);
  struct passwd pwd;
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pwd, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return TrimTrailingSeparators(found->pw_dir);
  }
  return std::string();
}

std::string GetXdgFolder(const char* variable, std::string_view home_relative_default) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return TrimTrailingSeparators(value);
  std::string home = GetHomeFolder();
  if (home.empty()) return home;
  return home + "/" + std::string(home_relative_default);
}

std::u16string GetSpecialFolder(int csidl) {
  std::string folder;
  switch (csidl) {
    case kCsidlProgramFilesX86:
      folder = GetXdgFolder("XDG_DATA_HOME", ".local/share");
      break;
    case kCsidlAppData:
      folder = GetXdgFolder("XDG_CACHE_HOME", ".cache");
      break;
    case kCsidlDesktop: {
      std::string home = GetHomeFolder();
      folder = ReadDesktopFromUserDirs(home);
      if (folder.empty() && !home.empty()) folder = home + "/Desktop";
      break;
    }
    default:
      break;
  }
  return FromNativePath(folder);
}

std::vector<std::u16string> GetTempFolderCandidates() {
  return {GetPrivateTempFolder(u"/var/tmp"), GetPrivateTempFolder(u"/tmp")};
}

std::u16string GetPrivateTempFolder(std::u16string_view parent) {
  std::u16string path = JoinPath(
      parent, FromNativePath("varnik-" + std::to_string(static_cast<unsigned>(geteuid()))));
  std::string native = ToNativePath(path);
  if (native.empty()) return std::u16string();
  if (mkdir(native.c_str(), 0700) != 0 && errno != EEXIST) return std::u16string();
  // Check what is there now, whoever made it: lstat never follows a link.
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return std::u16string();
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
    return std::u16string();
  }
  return path;
}

}  // namespace platform
