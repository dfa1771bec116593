#include <windows.h>
#include <shlobj.h>

#include "platform/shell_folders.h"
#include "platform/wide_text_win.h"

namespace platform {

std::u16string GetSpecialFolder(int csidl) {
  // The shell's item list for the folder, turned into a path and freed
  // through the shell's allocator; no window owns the lookup.
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return std::u16string();
  std::u16string result;
  LPITEMIDLIST items = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) && items != nullptr) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(items, path)) result = FromWide(path);
    allocator->Free(items);
  }
  allocator->Release();
  return result;
}

std::vector<std::u16string> GetTempFolderCandidates() { return {u"d:\\Temp", u"c:\\Temp"}; }

}  // namespace platform
