#include <windows.h>

#include <string>
#include <vector>

#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// Resource names and types are 16-bit numbers when given as numbers.
bool IsResourceNumber(int32_t id) { return id >= 0 && id <= 0xFFFF; }

bool LoadRaw(HMODULE module, LPCWSTR type, int32_t id, std::string* bytes) {
  if (!IsResourceNumber(id)) return false;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return false;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return false;
  const void* data = LockResource(loaded);
  if (data == nullptr && size != 0) return false;
  bytes->assign(static_cast<const char*>(data), size);
  return true;
}

// The version record is the system's version resource; callers get its
// fixed file version as the text "major.minor.build.revision", the same
// form the Linux table carries.
bool LoadVersionText(HMODULE module, std::string* text) {
  std::string record;
  if (!LoadRaw(module, RT_VERSION, kVersionResourceId, &record)) return false;
  // VerQueryValueW may write into the block it reads: give it a copy.
  std::vector<char> block(record.begin(), record.end());
  block.resize(block.size() + 8, '\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD) {
    return false;
  }
  *text = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
          std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
          std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
          std::to_string(LOWORD(fixed->dwFileVersionLS));
  return true;
}

bool Lookup(HMODULE module, std::u16string_view type, int32_t id, std::string* bytes) {
  if (type == kVersionResourceType && id == kVersionResourceId) {
    return LoadVersionText(module, bytes);
  }
  return LoadRaw(module, ToWide(type).c_str(), id, bytes);
}

}  // namespace

bool LoadEmbeddedResource(std::u16string_view type, int32_t id, std::string* bytes) {
  return Lookup(nullptr, type, id, bytes);
}

bool LoadResourceFromFile(const std::string& path, std::u16string_view type, int32_t id,
                          std::string* bytes) {
  const std::wstring wide_path = ToWidePath(nbase::Utf8ToUtf16(path));
  if (wide_path.empty()) return false;
  // Mapped as data only: nothing of the file runs.
  HMODULE module = LoadLibraryExW(wide_path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return false;
  const bool found = Lookup(module, type, id, bytes);
  FreeLibrary(module);
  return found;
}

}  // namespace platform
