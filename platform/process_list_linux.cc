#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "platform/process_list.h"

namespace platform {
namespace {

std::string_view BaseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool ReadLink(const std::string& path, std::string* target) {
  char buffer[4096];
  ssize_t length = readlink(path.c_str(), buffer, sizeof(buffer));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) return false;
  target->assign(buffer, static_cast<size_t>(length));
  static constexpr std::string_view kDeleted = " (deleted)";
  if (target->size() > kDeleted.size() &&
      target->compare(target->size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
    target->resize(target->size() - kDeleted.size());
  }
  return true;
}

std::vector<std::string> ReadArguments(const std::string& proc_folder) {
  std::vector<std::string> arguments;
  int fd = open((proc_folder + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return arguments;
  std::string content;
  char buffer[4096];
  ssize_t got;
  // The first few arguments are all that is needed.
  while (content.size() < 16384 && (got = read(fd, buffer, sizeof(buffer))) > 0) {
    content.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  size_t start = 0;
  while (start < content.size() && arguments.size() < 4) {
    size_t end = content.find('\0', start);
    if (end == std::string::npos) end = content.size();
    arguments.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

// True when the file at `path` (relative paths from the process's folder)
// is a script rather than a program of its own: it has no ELF header.
bool IsScriptFile(const std::string& proc_folder, const std::string& path) {
  std::string full = path;
  if (path.empty()) return false;
  if (path[0] != '/') full = proc_folder + "/cwd/" + path;
  int fd = open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  char head[4] = {};
  ssize_t got = read(fd, head, sizeof(head));
  close(fd);
  return got >= 2 &&
         !(got == 4 && head[0] == 0x7f && head[1] == 'E' && head[2] == 'L' && head[3] == 'F');
}

bool MatchesName(const std::string& proc_folder, const std::string& name) {
  std::string exe;
  std::vector<std::string> arguments = ReadArguments(proc_folder);
  if (arguments.empty()) return false;  // Kernel threads and zombies.
  if (!ReadLink(proc_folder + "/exe", &exe)) {
    // Another user's process: its first argument names the program.
    return BaseName(arguments[0]) == name;
  }
  if (BaseName(exe) == name) return true;
  // An interpreter running a script: "interpreter [option] script ...".
  for (size_t i = 1; i < arguments.size() && i <= 2; ++i) {
    if (BaseName(arguments[i]) == name && IsScriptFile(proc_folder, arguments[i])) return true;
  }
  return false;
}

}  // namespace

std::vector<pid_t> ListProcessesByName(const std::u16string& name) {
  std::vector<pid_t> found;
  const std::string wanted = nbase::Utf16ToUtf8(name);
  if (wanted.empty()) return found;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return found;
  const pid_t self = getpid();
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || pid <= 0 || pid == self) continue;
    if (MatchesName(std::string("/proc/") + entry->d_name, wanted)) {
      found.push_back(static_cast<pid_t>(pid));
    }
  }
  closedir(proc);
  std::sort(found.begin(), found.end());
  return found;
}

int32_t FindProcesses(const std::u16string& name, bool terminate) {
  std::vector<pid_t> found = ListProcessesByName(name);
  if (terminate) {
    for (pid_t pid : found) kill(pid, SIGKILL);  // A refusal leaves it counted.
  }
  return static_cast<int32_t>(found.size());
}

}  // namespace platform
