#include <errno.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "platform/file_system.h"
#include "platform/path_util.h"

namespace platform {

bool PathExists(std::u16string_view path) {
  std::string native = ToNativePath(path);
  if (native.empty()) return false;
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

bool IsDirectory(std::u16string_view path) {
  std::string native = ToNativePath(path);
  if (native.empty()) return false;
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectoryTree(std::u16string_view path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  std::vector<std::u16string> parts = SplitPath(path);
  if (parts.empty()) return false;
  std::u16string prefix;
  if (path.front() == kPathSeparator) prefix.push_back(kPathSeparator);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) prefix.push_back(kPathSeparator);
    prefix += parts[i];
    if (IsDirectory(prefix)) continue;
    std::string native = ToNativePath(prefix);
    if (native.empty()) return false;
    if (mkdir(native.c_str(), 0755) != 0) {
      // Another process may have made it between the test and the call.
      if (errno != EEXIST || !IsDirectory(prefix)) return false;
    }
  }
  return true;
}

bool GetFreeDiskBytes(std::u16string_view path, uint64_t* bytes) {
  std::string native = ToNativePath(path);
  if (native.empty()) return false;
  struct statvfs vfs;
  if (statvfs(native.c_str(), &vfs) != 0) return false;
  *bytes = static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
  return true;
}

bool IsUsableDownloadDir(std::u16string_view path, uint64_t min_free_bytes) {
  if (!IsDirectory(path)) CreateDirectoryTree(path);
  if (!IsDirectory(path)) return false;
  uint64_t free_bytes = 0;
  if (!GetFreeDiskBytes(path, &free_bytes)) return false;
  return free_bytes >= min_free_bytes;
}

}  // namespace platform
