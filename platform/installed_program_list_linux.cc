#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "base/string_util.h"
#include "base/utf.h"
#include "platform/desktop_entry.h"
#include "platform/installed_program_list.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"

namespace platform {
namespace {

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

std::u16string LowerAscii(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

// A regular file (links followed); the listing's own type saves a stat.
bool IsRegularFile(const std::string& path, unsigned char listed_type) {
  if (listed_type == DT_REG) return true;
  if (listed_type != DT_LNK && listed_type != DT_UNKNOWN) return false;
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file's bytes, at most one byte more than a desktop entry may have (so
// that an oversized file is recognised without reading it all).
bool ReadEntryFile(const std::string& path, std::string* text) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  const size_t want = std::min(static_cast<size_t>(st.st_size), DesktopEntry::kMaxFileBytes + 1);
  text->resize(want);
  size_t got = 0;
  while (got < want) {
    const ssize_t n = read(fd, &(*text)[got], want - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  text->resize(got);
  return true;
}

}  // namespace

std::shared_ptr<InstalledProgramList> InstalledProgramList::Read(uint32_t view) {
  auto list = std::make_shared<InstalledProgramList>();
  std::unordered_set<std::u16string> seen;
  for (const std::string& folder : DataFolders(view)) {
    const std::string apps = folder + "/applications";
    DIR* dir = opendir(apps.c_str());
    if (dir == nullptr) continue;
    while (struct dirent* item = readdir(dir)) {
      const std::string native(item->d_name);
      if (native.size() <= 8 || native.compare(native.size() - 8, 8, ".desktop") != 0) continue;
      std::u16string name = nbase::Utf8ToUtf16(native);
      // No registry key could hold a name that does not convert or is too long.
      if (name.empty() || name.size() > kMaxKeyNameUnits) continue;
      std::string path = apps + "/" + native;
      if (!IsRegularFile(path, item->d_type)) continue;
      if (!seen.insert(LowerAscii(name)).second) continue;
      Program program;
      program.name = std::move(name);
      program.path = std::move(path);
      list->programs_.push_back(std::move(program));
    }
    closedir(dir);
  }
  // Byte order of the UTF-8 file names; the path ends with that name.
  std::sort(list->programs_.begin(), list->programs_.end(), [](const Program& a, const Program& b) {
    return a.path.compare(a.path.rfind('/') + 1, std::string::npos, b.path, b.path.rfind('/') + 1,
                          std::string::npos) < 0;
  });
  list->index_.reserve(list->programs_.size());
  for (size_t i = 0; i < list->programs_.size(); ++i) {
    list->index_.emplace(LowerAscii(list->programs_[i].name), i);
  }
  return list;
}

std::optional<size_t> InstalledProgramList::Find(std::u16string_view name) const {
  auto found = index_.find(LowerAscii(name));
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

const InstalledProgramList::Values* InstalledProgramList::ValuesAt(size_t index) {
  Program& program = programs_[index];
  if (!program.parsed) {
    program.parsed = true;
    std::string text;
    DesktopEntry entry;
    if (ReadEntryFile(program.path, &text) && DesktopEntry::Parse(text, &entry)) {
      program.valid = true;
      program.values.display_name = entry.DisplayName();
      program.values.location = entry.Path();
    }
  }
  return program.valid ? &program.values : nullptr;
}

}  // namespace platform
