#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

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

int64_t GetFileSize(std::u16string_view path) {
  const std::string native = ToNativePath(path);
  struct stat st;
  if (native.empty() || lstat(native.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool RemoveFile(std::u16string_view path) {
  const std::string native = ToNativePath(path);
  return !native.empty() && unlink(native.c_str()) == 0;
}

namespace {

// Opens a regular file for reading; -1 with `*result` set otherwise.
// O_NONBLOCK keeps a FIFO from blocking the open; it is refused after fstat.
int OpenRegularFile(std::u16string_view path, ReadFileResult* result, uint64_t* size) {
  const std::string native = ToNativePath(path);
  if (native.empty()) {
    *result = ReadFileResult::kMissing;
    return -1;
  }
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *result = errno == ENOENT || errno == ENOTDIR ? ReadFileResult::kMissing : ReadFileResult::kFailed;
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *result = ReadFileResult::kNotRegular;
    close(fd);
    return -1;
  }
  *size = static_cast<uint64_t>(st.st_size);
  *result = ReadFileResult::kOk;
  return fd;
}

// Appends up to `limit` bytes of `fd` to `out`; reads one byte past the
// limit so that a file that grew is noticed. False on a read error.
bool ReadUpTo(int fd, uint64_t limit, std::string* out) {
  char buffer[65536];
  while (out->size() <= limit) {
    const size_t want = static_cast<size_t>(
        std::min<uint64_t>(sizeof(buffer), limit + 1 - out->size()));
    const ssize_t n = read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    out->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

ReadFileResult ReadWholeFile(std::u16string_view path, uint64_t max_bytes, std::string* content) {
  content->clear();
  ReadFileResult result;
  uint64_t size = 0;
  const int fd = OpenRegularFile(path, &result, &size);
  if (fd < 0) return result;
  if (size > max_bytes) {
    close(fd);
    return ReadFileResult::kTooLarge;
  }
  const bool read_ok = ReadUpTo(fd, max_bytes, content);
  close(fd);
  if (!read_ok) result = ReadFileResult::kFailed;
  if (read_ok && content->size() > max_bytes) result = ReadFileResult::kTooLarge;
  if (result != ReadFileResult::kOk) content->clear();
  return result;
}

bool ReadFileHead(std::u16string_view path, size_t count, std::string* head, uint64_t* file_size) {
  head->clear();
  ReadFileResult result;
  const int fd = OpenRegularFile(path, &result, file_size);
  if (fd < 0) return false;
  const bool read_ok = count == 0 || ReadUpTo(fd, count - 1, head);
  close(fd);
  return read_ok;
}

}  // namespace platform
