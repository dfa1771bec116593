#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "base/string_util.h"
#include "base/utf.h"
#include "platform/desktop_entry.h"
#include "platform/error_codes.h"
#include "platform/hive_file.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"

namespace platform {
namespace {

struct ProgramFile {
  std::string native_name;
  std::u16string name;
  std::string path;
};

std::vector<std::string> DataFolders(uint32_t view) {
  std::vector<std::string> folders;
  if (view & kKeyWow64_64Key) {
    std::string home = GetXdgFolder("XDG_DATA_HOME", ".local/share");
    if (!home.empty()) folders.push_back(home);
    return folders;
  }
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string list = (dirs != nullptr && dirs[0] != '\0') ? dirs : "/usr/local/share:/usr/share";
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    std::string folder = list.substr(start, colon - start);
    if (!folder.empty() && folder.front() == '/') folders.push_back(folder);
    start = colon + 1;
  }
  return folders;
}

// The desktop entries of one view, each name once, in byte order.
std::vector<ProgramFile> ListPrograms(uint32_t view) {
  std::vector<ProgramFile> programs;
  for (const std::string& folder : DataFolders(view)) {
    std::string apps = folder + "/applications";
    DIR* dir = opendir(apps.c_str());
    if (dir == nullptr) continue;
    while (struct dirent* item = readdir(dir)) {
      std::string native(item->d_name);
      if (native.size() <= 8 || native.compare(native.size() - 8, 8, ".desktop") != 0) continue;
      std::u16string name = nbase::Utf8ToUtf16(native);
      if (name.empty() || name.size() > kMaxKeyNameUnits)
        continue;  // no registry key could hold it
      std::string path = apps + "/" + native;
      struct stat st;
      if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      bool known = std::any_of(programs.begin(), programs.end(), [&](const ProgramFile& p) {
        return nbase::EqualsIgnoreAsciiCase(p.name, name);
      });
      if (!known) programs.push_back(ProgramFile{native, std::move(name), std::move(path)});
    }
    closedir(dir);
  }
  std::sort(programs.begin(), programs.end(), [](const ProgramFile& a, const ProgramFile& b) {
    return a.native_name < b.native_name;
  });
  return programs;
}

bool FindProgram(uint32_t view, std::u16string_view name, ProgramFile* found) {
  for (ProgramFile& program : ListPrograms(view)) {
    if (nbase::EqualsIgnoreAsciiCase(program.name, name)) {
      *found = std::move(program);
      return true;
    }
  }
  return false;
}

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

std::string RegSzBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  bytes.append(2, '\0');
  return bytes;
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

int32_t RegKey::OpenInternal(RegRoot root, std::u16string path, uint32_t access) {
  Close();
  if (root == RegRoot::kLocalMachine) {
    bool is_subkey = false;
    std::u16string_view name;
    if (!SplitUninstallPath(path, &is_subkey, &name)) return kErrorFileNotFound;
    if (WantsWrite(access)) return kErrorAccessDenied;
    ProgramFile program;
    if (is_subkey && !FindProgram(access & kKeyWow64_64Key, name, &program)) {
      return kErrorFileNotFound;
    }
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
  view_ = access & kKeyWow64_64Key;
  writable_ = WantsWrite(access);
  open_ = true;
  return kErrorSuccess;
}

int32_t RegKey::Open(RegRoot root, std::u16string_view path, uint32_t access) {
  return OpenInternal(root, std::u16string(path), access);
}

int32_t RegKey::Open(const RegKey& parent, std::u16string_view sub_path, uint32_t access) {
  if (!parent.open_) return kErrorInvalidHandle;
  std::u16string path = parent.path_;
  if (!path.empty() && !sub_path.empty()) path.push_back(u'\\');
  path += sub_path;
  return OpenInternal(parent.root_, std::move(path), access);
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
  std::vector<std::u16string> names;
  if (root_ == RegRoot::kLocalMachine) {
    bool is_subkey = false;
    std::u16string_view ignored;
    if (SplitUninstallPath(path_, &is_subkey, &ignored) && !is_subkey) {
      for (ProgramFile& program : ListPrograms(view_)) names.push_back(std::move(program.name));
    }
  } else {
    Hive hive;
    if (HiveFile(hive_path_).Read(&hive) == kErrorSuccess) names = hive.SubKeyNames(path_);
  }
  if (index >= names.size()) return kErrorNoMoreItems;
  *name = names[index];
  return kErrorSuccess;
}

int32_t RegKey::QueryValue(std::u16string_view name, uint32_t* type, void* data,
                           uint32_t* byte_count) const {
  if (!open_) return kErrorInvalidHandle;
  if (root_ == RegRoot::kLocalMachine) {
    bool is_subkey = false;
    std::u16string_view program_name;
    ProgramFile program;
    if (!SplitUninstallPath(path_, &is_subkey, &program_name) || !is_subkey ||
        !FindProgram(view_, program_name, &program)) {
      return kErrorFileNotFound;
    }
    std::ifstream in(program.path, std::ios::binary);
    std::string text(DesktopEntry::kMaxFileBytes + 1, '\0');
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    DesktopEntry entry;
    if (!DesktopEntry::Parse(text, &entry)) return kErrorFileNotFound;
    std::u16string value;
    if (nbase::EqualsIgnoreAsciiCase(name, u"DisplayName")) {
      value = entry.DisplayName();
    } else if (nbase::EqualsIgnoreAsciiCase(name, u"InstallLocation")) {
      value = entry.Path();
    }
    if (value.empty()) return kErrorFileNotFound;
    return CopyOut(kRegSz, RegSzBytes(value), type, data, byte_count);
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
