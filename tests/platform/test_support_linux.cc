#include "tests/platform/test_support.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/resource_table.h"

namespace varnik_test {

ScopedTempDir::ScopedTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/varnik-test-XXXXXX";
  char* made = mkdtemp(&pattern[0]);
  if (made != nullptr) path_ = made;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (had_value_) {
    setenv(name_.c_str(), old_value_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

PrivateUserRegistry::PrivateUserRegistry()
    : config_home_(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", folder_.path().c_str())) {}

PrivateUserRegistry::~PrivateUserRegistry() = default;

ChildResult RunInChild(const std::function<std::string()>& body, unsigned watchdog_seconds) {
  ChildResult result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return result;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    alarm(watchdog_seconds);
    std::string output = body();
    const char* data = output.data();
    size_t left = output.size();
    while (left > 0) {
      ssize_t n = write(fds[1], data, left);
      if (n <= 0) _exit(3);
      data += n;
      left -= static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return result;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof(buffer))) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    result.output.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

bool EnterPrivateMountNamespace() {
  if (unshare(CLONE_NEWNS) != 0) return false;
  return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool MountTmpfs(const std::string& path, unsigned long kib) {
  std::filesystem::create_directories(path);
  std::string options = "size=" + std::to_string(kib) + "k,mode=0755";
  return mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

bool MakeProgramWithResourceSection(const std::string& path) {
  const std::string byte = path + ".section";
  WriteFile(byte, std::string(1, '\0'));
  const std::string command = "objcopy --add-section " VARNIK_RESOURCE_SECTION "=" + byte +
                              " /bin/true " + path + " >/dev/null 2>&1";
  const bool made = std::system(command.c_str()) == 0;
  unlink(byte.c_str());
  return made;
}

}  // namespace varnik_test
