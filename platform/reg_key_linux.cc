#include <cstring>
#include <vector>

#include "base/string_util.h"
#include "platform/error_codes.h"
#include "platform/hive_file.h"
#include "platform/installed_program_list.h"
#include "platform/reg_key.h"
#include "platform/registry.h"

namespace platform {
namespace {

// Splits "Uninstall\<name>" into the subkey name; false when `path` is not
// the uninstall key or one of its direct subkeys.
bool SplitUninstallPath(std::u16string_view path, bool* is_subkey, std::u16string_view* name) {
  std::u16string_view base = kUninstallKeyPath;
  if (path.size() < base.size() ||
      !nbase::EqualsIgnoreAsciiCase(path.substr(0, base.size()), base)) {
    return false;
  }
  if (path.size() == base.size()) {
    *is_subkey = false;
    return true;
  }
  if (path[base.size()] != u'\\') return false;
  *name = path.substr(base.size() + 1);
  *is_subkey = true;
  return !name->empty() && name->find(u'\\') == std::u16string_view::npos;
}

int32_t CopyOut(uint32_t value_type, const std::string& bytes, uint32_t* type, void* data,
                uint32_t* byte_count) {
  if (byte_count == nullptr) return kErrorInvalidParameter;
  if (type != nullptr) *type = value_type;
  uint32_t budget = *byte_count;
  *byte_count = static_cast<uint32_t>(bytes.size());
  if (data == nullptr) return kErrorSuccess;
  if (bytes.size() > budget) return kErrorMoreData;
  std::memcpy(data, bytes.data(), bytes.size());
  return kErrorSuccess;
}

bool WantsWrite(uint32_t access) { return (access & (kKeySetValue | kKeyCreateSubKey)) != 0; }

}  // namespace

int32_t RegKey::OpenInternal(RegRoot root, std::u16string path, uint32_t access,
                             std::shared_ptr<InstalledProgramList> programs) {
  Close();
  const uint32_t view = access & kKeyWow64_64Key;
  if (root == RegRoot::kLocalMachine) {
    bool is_subkey = false;
    std::u16string_view name;
    if (!SplitUninstallPath(path, &is_subkey, &name)) return kErrorFileNotFound;
    if (WantsWrite(access)) return kErrorAccessDenied;
    // The view is read once here; a subkey opened from the open uninstall
    // key of the same view shares that reading.
    if (!programs) programs = InstalledProgramList::Read(view);
    if (is_subkey) {
      const std::optional<size_t> found = programs->Find(name);
      if (!found) return kErrorFileNotFound;
      program_index_ = *found;
    }
    programs_ = std::move(programs);
  } else {
    hive_path_ = HiveFile::DefaultPath();
    if (!path.empty()) {
      Hive hive;
      int32_t rc = HiveFile(hive_path_).Read(&hive);
      if (rc != kErrorSuccess) return kErrorFileNotFound;
      if (hive.FindKey(path) == nullptr) return kErrorFileNotFound;
    }
  }
  root_ = root;
  path_ = std::move(path);
  view_ = view;
  writable_ = WantsWrite(access);
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::OpenInternal(RegRoot root, std::u16string path, uint32_t access) {
  return OpenInternal(root, std::move(path), access, nullptr);
}

int32_t RegKey::Open(RegRoot root, std::u16string_view path, uint32_t access) {
  return OpenInternal(root, std::u16string(path), access);
}

int32_t RegKey::Open(const RegKey& parent, std::u16string_view sub_path, uint32_t access) {
  if (!parent.open_) return kErrorInvalidHandle;
  std::u16string path = parent.path_;
  if (!path.empty() && !sub_path.empty()) path.push_back(u'\\');
  path += sub_path;
  const bool same_view = parent.view_ == (access & kKeyWow64_64Key);
  return OpenInternal(parent.root_, std::move(path), access,
                      same_view ? parent.programs_ : nullptr);
}

int32_t RegKey::Create(RegRoot root, std::u16string_view path, uint32_t access) {
  Close();
  if (root == RegRoot::kLocalMachine) return kErrorAccessDenied;
  if (path.empty()) return kErrorInvalidParameter;
  HiveFile file(HiveFile::DefaultPath());
  int32_t rc = file.Update([&](Hive* hive) -> int32_t {
    if (hive->FindKey(path) != nullptr) return kErrorSuccess;
    // Parents come into being with their child, as the registry makes them.
    size_t pos = 0;
    while ((pos = path.find(u'\\', pos)) != std::u16string_view::npos) {
      if (pos > 0 && hive->CreateKey(path.substr(0, pos)) == nullptr) return kErrorInvalidParameter;
      ++pos;
    }
    return hive->CreateKey(path) != nullptr ? kErrorSuccess : kErrorInvalidParameter;
  });
  if (rc != kErrorSuccess) return rc;
  root_ = root;
  path_ = std::u16string(path);
  view_ = access & kKeyWow64_64Key;
  writable_ = true;
  hive_path_ = file.path();
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::EnumKey(uint32_t index, std::u16string* name) const {
  if (!open_) return kErrorInvalidHandle;
  if (root_ == RegRoot::kLocalMachine) {
    bool is_subkey = false;
    std::u16string_view ignored;
    if (!SplitUninstallPath(path_, &is_subkey, &ignored) || is_subkey ||
        index >= programs_->size()) {
      return kErrorNoMoreItems;
    }
    *name = programs_->NameAt(index);
    return kErrorSuccess;
  }
  std::vector<std::u16string> names;
  Hive hive;
  if (HiveFile(hive_path_).Read(&hive) == kErrorSuccess) names = hive.SubKeyNames(path_);
  if (index >= names.size()) return kErrorNoMoreItems;
  *name = names[index];
  return kErrorSuccess;
}

int32_t RegKey::QueryValue(std::u16string_view name, uint32_t* type, void* data,
                           uint32_t* byte_count) const {
  if (!open_) return kErrorInvalidHandle;
  if (root_ == RegRoot::kLocalMachine) {
    if (!program_index_) return kErrorFileNotFound;
    const InstalledProgramList::Values* values = programs_->ValuesAt(*program_index_);
    if (values == nullptr) return kErrorFileNotFound;
    std::u16string_view value;
    if (nbase::EqualsIgnoreAsciiCase(name, u"DisplayName")) {
      value = values->display_name;
    } else if (nbase::EqualsIgnoreAsciiCase(name, u"InstallLocation")) {
      value = values->location;
    }
    if (value.empty()) return kErrorFileNotFound;
    return CopyOut(kRegSz, EncodeRegSz(value), type, data, byte_count);
  }
  Hive hive;
  if (HiveFile(hive_path_).Read(&hive) != kErrorSuccess) return kErrorFileNotFound;
  const Hive::Value* value = hive.FindValue(path_, name);
  if (value == nullptr) return kErrorFileNotFound;
  return CopyOut(value->type, value->data, type, data, byte_count);
}

int32_t RegKey::SetValue(std::u16string_view name, uint32_t type, const void* data,
                         uint32_t byte_count) {
  if (!open_) return kErrorInvalidHandle;
  if (root_ == RegRoot::kLocalMachine || !writable_) return kErrorAccessDenied;
  if (data == nullptr && byte_count > 0) return kErrorInvalidParameter;
  if (byte_count > Hive::kMaxDataBytes) return kErrorInvalidParameter;
  std::string bytes(static_cast<const char*>(data), byte_count);
  return HiveFile(hive_path_).Update([&](Hive* hive) -> int32_t {
    if (hive->FindKey(path_) == nullptr) return kErrorFileNotFound;  // removed meanwhile
    return hive->SetValue(path_, name, type, bytes) ? kErrorSuccess : kErrorInvalidParameter;
  });
}

}  // namespace platform
