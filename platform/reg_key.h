// An open registry key, with the calls the installer makes on the Windows
// registry: open (with a view flag), create, enumerate subkeys by index,
// query a value into the caller's byte budget, set a value, close. Codes are
// those of error_codes.h (the system's own codes on Windows).
//
// Windows: the registry itself. kCurrentUser is HKEY_CURRENT_USER,
// kLocalMachine HKEY_LOCAL_MACHINE; the view flags select the 32-bit or
// 64-bit view as the system defines them.
//
// Linux stand-in, with two roots:
// - kCurrentUser: the per-user hive file (hive_file.h). Key paths use "\"
//   between their parts; paths and value names compare without ASCII case.
// - kLocalMachine: only the key kUninstallKeyPath, a read-only view of the
//   machine's installed programs built from XDG desktop entries. The default
//   view reads "applications/*.desktop" of every folder in $XDG_DATA_DIRS
//   (default /usr/local/share:/usr/share; the first folder wins for a name),
//   the kKeyWow64_64Key view those of $XDG_DATA_HOME (default
//   ~/.local/share). Each file is a subkey named by its file name, listed in
//   byte order of the names; its value "DisplayName" is the entry's Name
//   (Name[zh_CN] when present) and "InstallLocation" its Path, both REG_SZ.
//   Every other value is absent, and every write gives kErrorAccessDenied.
//   The uninstall key reads its view once, when it is opened (a listing of
//   the folders; each entry's file is read when a value is first asked for),
//   and the subkeys opened from it in the same view share that reading.
// A key of the per-user hive reads the store live at each call, as the
// registry does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class InstalledProgramList;

enum class RegRoot { kCurrentUser, kLocalMachine };

inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWrite = 0x20006;
inline constexpr uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr uint32_t kKeyWow64_32Key = 0x0200;

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;

// Longest subkey name, in UTF-16 code units (without terminator).
inline constexpr size_t kMaxKeyNameUnits = 255;

inline constexpr char16_t kUninstallKeyPath[] =
    u"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() = default;
  RegKey(RegKey&&) = default;
  RegKey& operator=(RegKey&&) = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens an existing key; kErrorFileNotFound when it does not exist
  // (also when there is no hive yet). An empty path opens the root.
  int32_t Open(RegRoot root, std::u16string_view path, uint32_t access);
  // Opens `sub_path` below an open key; the view comes from `access`.
  int32_t Open(const RegKey& parent, std::u16string_view sub_path, uint32_t access);
  // Opens the key, creating it (and its parents) when missing.
  int32_t Create(RegRoot root, std::u16string_view path, uint32_t access);
  void Close() {
    open_ = false;
    native_.reset();
    programs_.reset();
    program_index_.reset();
  }
  bool is_open() const { return open_; }

  // The name of the subkey at `index`; kErrorNoMoreItems past the last.
  int32_t EnumKey(uint32_t index, std::u16string* name) const;

  // Copies the value's bytes into `data` (room for `*byte_count` bytes) and
  // sets `*byte_count` to the value's size and `*type` (when not null) to its
  // type. A null `data` only asks for the size. A value larger than the
  // budget gives kErrorMoreData and copies nothing.
  int32_t QueryValue(std::u16string_view name, uint32_t* type, void* data,
                     uint32_t* byte_count) const;

  // Stores `byte_count` bytes as the value; the key must be open for writing.
  int32_t SetValue(std::u16string_view name, uint32_t type, const void* data, uint32_t byte_count);

 private:
  int32_t OpenInternal(RegRoot root, std::u16string path, uint32_t access);
  // The same with a reading of the installed-program view to share (or
  // null), for the subkeys of an open uninstall key (Linux).
  int32_t OpenInternal(RegRoot root, std::u16string path, uint32_t access,
                       std::shared_ptr<InstalledProgramList> programs);

  bool open_ = false;
  bool writable_ = false;
  RegRoot root_ = RegRoot::kCurrentUser;
  std::u16string path_;
  uint32_t view_ = 0;
  std::string hive_path_;
  // The installed-program view's reading (kLocalMachine) and this key's entry in it.
  std::shared_ptr<InstalledProgramList> programs_;
  std::optional<size_t> program_index_;
  // Windows: the system's open key, closed by its deleter.
  std::unique_ptr<void, void (*)(void*)> native_{nullptr, nullptr};
};

}  // namespace platform
