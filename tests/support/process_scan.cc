#include "tests/support/process_scan.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

namespace varnik_test {

namespace {

// Calls `visit` with the pid and the /proc folder of every process.
void ForEachProcess(const std::function<void(pid_t, const std::string&)>& visit) {
  DIR* proc = opendir("/proc");
  if (!proc) return;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid > 0) visit(pid, std::string("/proc/") + entry->d_name);
  }
  closedir(proc);
}

// The target of a process's "exe" link; empty when it cannot be read.
std::string ExecutableOf(const std::string& process_folder) {
  char target[4096];
  const ssize_t n = readlink((process_folder + "/exe").c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

std::string BaseName(std::string path) {
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() &&
      path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
    path.resize(path.size() - deleted.size());
  }
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<RunningProgram> ProgramsUnder(const std::string& folder) {
  std::vector<RunningProgram> found;
  ForEachProcess([&](pid_t pid, const std::string& process_folder) {
    if (ExecutableOf(process_folder).rfind(folder + "/", 0) == 0) {
      found.push_back(RunningProgram{pid, getsid(pid)});
    }
  });
  return found;
}

std::vector<pid_t> ProgramsNamed(const std::string& name) {
  std::vector<pid_t> found;
  ForEachProcess([&](pid_t pid, const std::string& process_folder) {
    std::vector<std::string> names;
    const std::string executable = ExecutableOf(process_folder);
    if (!executable.empty()) names.push_back(BaseName(executable));
    std::ifstream in(process_folder + "/cmdline", std::ios::binary);
    const std::string cmdline((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    for (size_t at = 0, count = 0; at < cmdline.size() && count < 2; ++count) {
      const size_t end = cmdline.find('\0', at);
      names.push_back(BaseName(cmdline.substr(at, end - at)));
      at = end == std::string::npos ? cmdline.size() : end + 1;
    }
    for (const std::string& candidate : names) {
      if (candidate == name) {
        found.push_back(pid);
        return;
      }
    }
  });
  return found;
}

}  // namespace varnik_test
