#include <windows.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/path_util.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

DWORD Attributes(std::u16string_view path) {
  const std::wstring wide = ToWidePath(path);
  if (wide.empty()) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(wide.c_str());
}

}  // namespace

bool PathExists(std::u16string_view path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(std::u16string_view path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectoryTree(std::u16string_view path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  const std::vector<std::u16string> parts = SplitPath(path);
  if (parts.empty()) return false;
  // Leading separators stay: "\\server\share" and "\rooted" keep their root.
  std::u16string prefix;
  for (size_t i = 0; i < path.size() && IsPathSeparator(path[i]); ++i) {
    prefix.push_back(kPathSeparator);
  }
  for (const std::u16string& part : parts) {
    // Every prefix ends with a separator, so a drive prefix is "d:\", the
    // drive's root, not the drive's current folder.
    prefix += part;
    prefix.push_back(kPathSeparator);
    if (IsDirectory(prefix)) continue;
    const std::wstring wide = ToWidePath(prefix);
    if (wide.empty()) return false;
    if (!CreateDirectoryW(wide.c_str(), nullptr)) {
      // Another process may have made it between the test and the call.
      if (GetLastError() != ERROR_ALREADY_EXISTS || !IsDirectory(prefix)) return false;
    }
  }
  return true;
}

bool GetFreeDiskBytes(std::u16string_view path, uint64_t* bytes) {
  const std::wstring wide = ToWidePath(path);
  if (wide.empty()) return false;
  ULARGE_INTEGER available = {};
  if (!GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr)) return false;
  *bytes = available.QuadPart;
  return true;
}

int64_t GetFileSize(std::u16string_view path) {
  const std::wstring wide = ToWidePath(path);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                              data.nFileSizeLow);
}

bool RemoveFile(std::u16string_view path) {
  const std::wstring wide = ToWidePath(path);
  return !wide.empty() && DeleteFileW(wide.c_str());
}

namespace {

// Opens a regular disk file for reading, sharing it with writers and
// deleters; INVALID_HANDLE_VALUE with `*result` set otherwise.
HANDLE OpenRegularFile(std::u16string_view path, ReadFileResult* result, uint64_t* size) {
  const std::wstring wide = ToWidePath(path);
  if (wide.empty()) {
    *result = ReadFileResult::kMissing;
    return INVALID_HANDLE_VALUE;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *result = ReadFileResult::kNotRegular;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *result = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                  ? ReadFileResult::kMissing
                  : ReadFileResult::kFailed;
    return INVALID_HANDLE_VALUE;
  }
  LARGE_INTEGER file_size = {};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &file_size)) {
    *result = ReadFileResult::kNotRegular;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  *size = static_cast<uint64_t>(file_size.QuadPart);
  *result = ReadFileResult::kOk;
  return file;
}

// Appends up to `limit` + 1 bytes of `file` to `out`, so that a file that
// grew past the limit is noticed. False on a read error.
bool ReadUpTo(HANDLE file, uint64_t limit, std::string* out) {
  char buffer[65536];
  while (out->size() <= limit) {
    const DWORD want =
        static_cast<DWORD>(std::min<uint64_t>(sizeof(buffer), limit + 1 - out->size()));
    DWORD got = 0;
    if (!::ReadFile(file, buffer, want, &got, nullptr)) return false;
    if (got == 0) break;
    out->append(buffer, got);
  }
  return true;
}

}  // namespace

ReadFileResult ReadWholeFile(std::u16string_view path, uint64_t max_bytes, std::string* content) {
  content->clear();
  ReadFileResult result;
  uint64_t size = 0;
  HANDLE file = OpenRegularFile(path, &result, &size);
  if (file == INVALID_HANDLE_VALUE) return result;
  if (size > max_bytes) {
    CloseHandle(file);
    return ReadFileResult::kTooLarge;
  }
  const bool read_ok = ReadUpTo(file, max_bytes, content);
  CloseHandle(file);
  if (!read_ok) result = ReadFileResult::kFailed;
  if (read_ok && content->size() > max_bytes) result = ReadFileResult::kTooLarge;
  if (result != ReadFileResult::kOk) content->clear();
  return result;
}

bool ReadFileHead(std::u16string_view path, size_t count, std::string* head, uint64_t* file_size) {
  head->clear();
  ReadFileResult result;
  HANDLE file = OpenRegularFile(path, &result, file_size);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool read_ok = count == 0 || ReadUpTo(file, count - 1, head);
  CloseHandle(file);
  return read_ok;
}

}  // namespace platform
