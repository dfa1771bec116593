#include <dirent.h>
#include <errno.h>
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
bool IsRegularFile(int folder, const char* name, unsigned char listed_type) {
  if (listed_type == DT_REG) return true;
  if (listed_type != DT_LNK && listed_type != DT_UNKNOWN) return false;
  struct stat st;
  return fstatat(folder, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// The file's bytes into the first `*length` bytes of `text`, at most one
// byte more than a desktop entry may have (so that an oversized file is
// recognised without reading it all). `text` keeps its room between calls:
// nothing is zero-filled per file. Three calls for an ordinary entry: open, one read that comes
// back short, close. The open never waits, should something else have taken the file's place.
bool ReadEntryFile(int folder, const std::string& name, std::string* text, size_t* length) {
  const int fd = openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  constexpr size_t kChunk = 64 * 1024;
  const size_t limit = DesktopEntry::kMaxFileBytes + 1;
  size_t got = 0;
  while (got < limit) {
    if (text->size() < std::min(got + kChunk, limit)) text->resize(std::min(got + kChunk, limit));
    const size_t room = std::min(text->size(), limit) - got;
    const ssize_t n = read(fd, &(*text)[got], room);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
    if (static_cast<size_t>(n) < room) break;  // a regular file reads short only at its end
  }
  close(fd);
  *length = got;
  return true;
}

}  // namespace

std::shared_ptr<InstalledProgramList> InstalledProgramList::Read(uint32_t view) {
  auto list = std::make_shared<InstalledProgramList>();
  std::unordered_set<std::u16string> seen;
  for (const std::string& folder : DataFolders(view)) {
    const int folder_fd =
        open((folder + "/applications").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd < 0) continue;
    list->folders_.push_back(folder_fd);
    // The listing gets a descriptor of its own; folder_fd stays for the reads.
    const int listing_fd = fcntl(folder_fd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = listing_fd < 0 ? nullptr : fdopendir(listing_fd);
    if (dir == nullptr) {
      if (listing_fd >= 0) close(listing_fd);
      continue;
    }
    while (struct dirent* item = readdir(dir)) {
      const std::string_view native(item->d_name);
      if (native.size() <= 8 || native.substr(native.size() - 8) != ".desktop") continue;
      std::u16string name = nbase::Utf8ToUtf16(native);
      // No registry key could hold a name that does not convert or is too long.
      if (name.empty() || name.size() > kMaxKeyNameUnits) continue;
      if (!IsRegularFile(folder_fd, item->d_name, item->d_type)) continue;
      if (!seen.insert(LowerAscii(name)).second) continue;
      Program program;
      program.name = std::move(name);
      program.file_name = std::string(native);
      program.folder = list->folders_.size() - 1;
      list->programs_.push_back(std::move(program));
    }
    closedir(dir);
  }
  // Byte order of the UTF-8 file names.
  std::sort(list->programs_.begin(), list->programs_.end(),
            [](const Program& a, const Program& b) { return a.file_name < b.file_name; });
  list->index_.reserve(list->programs_.size());
  for (size_t i = 0; i < list->programs_.size(); ++i) {
    list->index_.emplace(LowerAscii(list->programs_[i].name), i);
  }
  return list;
}

InstalledProgramList::~InstalledProgramList() {
  for (int folder : folders_) close(folder);
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
    DesktopEntry entry;
    size_t length = 0;
    if (ReadEntryFile(folders_[program.folder], program.file_name, &buffer_, &length) &&
        DesktopEntry::ParseNameAndPath(std::string_view(buffer_).substr(0, length), &entry)) {
      program.valid = true;
      program.values.display_name = entry.DisplayName();
      program.values.location = entry.Path();
    }
  }
  return program.valid ? &program.values : nullptr;
}

}  // namespace platform
