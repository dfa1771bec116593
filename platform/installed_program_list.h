// One reading of an installed-program view: the desktop entries
// ("applications/*.desktop") of the view's data folders, each name once (the
// first folder wins for a name, names compared without ASCII case), listed
// in byte order, with an index by name. An entry's file is read and parsed
// the first time one of its values is asked for, and only then.
//
// The uninstall key takes one reading when it is opened and its subkeys
// share it, so a scan over every entry costs one listing of the folders and
// one read of each file: linear in the number of entries. Not thread-safe:
// a reading belongs to the keys of one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class InstalledProgramList {
 public:
  // The values of one entry that the uninstall key shows.
  struct Values {
    std::u16string display_name;  // Name[zh_CN] when present, else Name
    std::u16string location;      // Path
  };

  // Reads the listing of the view `view` (0 or kKeyWow64_64Key).
  static std::shared_ptr<InstalledProgramList> Read(uint32_t view);

  InstalledProgramList() = default;
  ~InstalledProgramList();
  InstalledProgramList(const InstalledProgramList&) = delete;
  InstalledProgramList& operator=(const InstalledProgramList&) = delete;

  size_t size() const { return programs_.size(); }
  // The subkey name of the entry at `index` (byte order of the file names).
  const std::u16string& NameAt(size_t index) const { return programs_[index].name; }
  // The entry named `name` (ASCII case ignored), if the view has one.
  std::optional<size_t> Find(std::u16string_view name) const;
  // The entry's values; null when its file is gone or is no desktop entry.
  const Values* ValuesAt(size_t index);

 private:
  struct Program {
    std::u16string name;
    std::string file_name;  // as the folder lists it
    size_t folder = 0;      // index into folders_
    bool parsed = false;
    bool valid = false;
    Values values;
  };

  // The listed folders stay open while the reading lives: each entry is
  // opened relative to its folder, one path step instead of the whole path.
  std::vector<int> folders_;
  std::vector<Program> programs_;
  std::unordered_map<std::u16string, size_t> index_;  // ASCII-lowered name -> entry
  std::string buffer_;                                // the bytes of the entry read last
};

}  // namespace platform
