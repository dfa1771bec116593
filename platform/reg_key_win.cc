#include <windows.h>

#include "platform/error_codes.h"
#include "platform/reg_key.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void CloseKey(void* key) { RegCloseKey(static_cast<HKEY>(key)); }

}  // namespace

// On Windows the key is only the system's handle: the path, root and view
// live inside it, and `access` goes to the system unchanged (view flags
// included).
int32_t RegKey::OpenInternal(RegRoot root, std::u16string path, uint32_t access) {
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExW(RootKey(root), ToWide(path).c_str(), 0, access, &key);
  if (rc != ERROR_SUCCESS) return rc;
  Close();
  native_ = std::unique_ptr<void, void (*)(void*)>(key, &CloseKey);
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::Open(RegRoot root, std::u16string_view path, uint32_t access) {
  return OpenInternal(root, std::u16string(path), access);
}

int32_t RegKey::Open(const RegKey& parent, std::u16string_view sub_path, uint32_t access) {
  if (!parent.open_) return kErrorInvalidHandle;
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExW(static_cast<HKEY>(parent.native_.get()),
                                ToWide(sub_path).c_str(), 0, access, &key);
  if (rc != ERROR_SUCCESS) return rc;
  Close();
  native_ = std::unique_ptr<void, void (*)(void*)>(key, &CloseKey);
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::Create(RegRoot root, std::u16string_view path, uint32_t access) {
  HKEY key = nullptr;
  const LONG rc = RegCreateKeyExW(RootKey(root), ToWide(path).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  Close();
  native_ = std::unique_ptr<void, void (*)(void*)>(key, &CloseKey);
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::EnumKey(uint32_t index, std::u16string* name) const {
  if (!open_) return kErrorInvalidHandle;
  wchar_t buffer[kMaxKeyNameUnits + 1] = {};
  DWORD length = kMaxKeyNameUnits + 1;
  const LONG rc = RegEnumKeyExW(static_cast<HKEY>(native_.get()), index, buffer, &length, nullptr,
                                nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  *name = FromWide(std::wstring_view(buffer, length));
  return kErrorSuccess;
}

int32_t RegKey::QueryValue(std::u16string_view name, uint32_t* type, void* data,
                           uint32_t* byte_count) const {
  if (!open_) return kErrorInvalidHandle;
  DWORD value_type = 0;
  DWORD size = *byte_count;
  const LONG rc = RegQueryValueExW(static_cast<HKEY>(native_.get()), ToWide(name).c_str(), nullptr,
                                   &value_type, static_cast<BYTE*>(data), &size);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    *byte_count = size;
    if (type) *type = value_type;
  }
  return rc;
}

int32_t RegKey::SetValue(std::u16string_view name, uint32_t type, const void* data,
                         uint32_t byte_count) {
  if (!open_) return kErrorInvalidHandle;
  return RegSetValueExW(static_cast<HKEY>(native_.get()), ToWide(name).c_str(), 0, type,
                        static_cast<const BYTE*>(data), byte_count);
}

}  // namespace platform
