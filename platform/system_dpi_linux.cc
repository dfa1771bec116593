#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/system_dpi.h"

extern char** environ;

namespace platform {

namespace {

// xrdb talks to the X server; a server that does not answer must not hold
// up the start-up longer than this.
constexpr int kXrdbTimeoutMs = 2000;
constexpr size_t kMaxXrdbOutput = 256 * 1024;

bool IsExecutableOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string_view rest(path);
  while (true) {
    const size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (dir.empty()) dir = ".";
    if (access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// The output of `xrdb -query`, empty when it cannot be had in time.
std::string QueryResourceDatabase() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display || !IsExecutableOnPath("xrdb")) return {};
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char arg0[] = "xrdb";
  char arg1[] = "-query";
  char* argv[] = {arg0, arg1, nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, "xrdb", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string output;
  if (spawned == 0) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kXrdbTimeoutMs);
    char buffer[4096];
    while (output.size() < kMaxXrdbOutput) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd poll_fd{fds[0], POLLIN, 0};
      if (poll(&poll_fd, 1, static_cast<int>(left.count())) <= 0) break;
      const ssize_t n = read(fds[0], buffer, sizeof(buffer));
      if (n <= 0) break;
      output.append(buffer, static_cast<size_t>(n));
    }
    kill(pid, SIGKILL);  // harmless when it already ended; it is still our child
    int status = 0;
    waitpid(pid, &status, 0);
  }
  close(fds[0]);
  return output;
}

int32_t ComputeSystemDpi() {
  const char* dpi_override = std::getenv(kDpiVariable);
  const char* gdk_scale = std::getenv("GDK_SCALE");
  const std::string_view override_text = dpi_override ? dpi_override : "";
  // The X server is asked only when nothing before it decides.
  std::string resources;
  if (DpiOverride(override_text) == 0) resources = QueryResourceDatabase();
  return SystemDpiFromSources(override_text, resources, gdk_scale ? gdk_scale : "");
}

}  // namespace

int32_t GetSystemDpi() {
  static const int32_t dpi = ComputeSystemDpi();
  return dpi;
}

}  // namespace platform
