#include "platform/path_util.h"

#include "base/utf.h"

namespace platform {

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  while (!folder.empty() && IsPathSeparator(folder.back())) folder.remove_suffix(1);
  while (!name.empty() && IsPathSeparator(name.front())) name.remove_prefix(1);
  std::u16string result(folder);
  result.push_back(kPathSeparator);
  for (char16_t c : name) result.push_back(IsPathSeparator(c) ? kPathSeparator : c);
  return result;
}

std::u16string WithTrailingSeparator(std::u16string_view folder) {
  while (!folder.empty() && IsPathSeparator(folder.back())) folder.remove_suffix(1);
  std::u16string result(folder);
  result.push_back(kPathSeparator);
  return result;
}

std::u16string FolderOfPath(std::u16string_view path) {
  const size_t last = path.rfind(kPathSeparator);
  if (last == std::u16string_view::npos) return std::u16string();
  return std::u16string(path.substr(0, last == 0 ? 1 : last));
}

std::vector<std::u16string> SplitPath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsPathSeparator(path[end])) ++end;
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string ToNativePath(std::u16string_view path) {
  // A NUL would cut the path short at the system boundary and name another file.
  if (path.find(u'\0') != std::u16string_view::npos) return std::string();
  return nbase::Utf16ToUtf8(path);
}

std::u16string FromNativePath(std::string_view path) { return nbase::Utf8ToUtf16(path); }

}  // namespace platform
