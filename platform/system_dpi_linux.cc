#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/system_dpi.h"

extern char** environ;

namespace platform {

namespace {

constexpr int32_t kMaxDpi = 2000;
constexpr int32_t kMaxGdkScale = 16;
// xrdb talks to the X server; a server that does not answer must not hold
// up the start-up longer than this.
constexpr int kXrdbTimeoutMs = 2000;
constexpr size_t kMaxXrdbOutput = 256 * 1024;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

// A whole decimal number within [low, high]; 0 otherwise.
int32_t ParseBoundedInt(std::string_view text, int32_t low, int32_t high) {
  text = Trim(text);
  if (text.empty() || text.size() > 6) return 0;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high ? value : 0;
}

// A decimal number with an optional fraction ("96", "120.5"), rounded.
int32_t ParseBoundedNumber(std::string_view text, int32_t low, int32_t high) {
  text = Trim(text);
  if (text.empty() || text.size() > 16) return 0;
  double value = 0;
  double scale = 0;  // 0 while in the whole part
  bool any_digit = false;
  for (char c : text) {
    if (c == '.' && scale == 0) {
      scale = 0.1;
    } else if (c >= '0' && c <= '9') {
      any_digit = true;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        value += (c - '0') * scale;
        scale /= 10;
      }
    } else {
      return 0;
    }
  }
  if (!any_digit) return 0;
  const double rounded = std::floor(value + 0.5);
  if (rounded < low || rounded > high) return 0;
  return static_cast<int32_t>(rounded);
}

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
  if (ParseBoundedInt(override_text, 1, kMaxDpi) == 0) resources = QueryResourceDatabase();
  return SystemDpiFromSources(override_text, resources, gdk_scale ? gdk_scale : "");
}

}  // namespace

int32_t ParseXftDpi(std::string_view resource_database) {
  constexpr std::string_view kName = "Xft.dpi:";
  while (!resource_database.empty()) {
    const size_t end = resource_database.find('\n');
    std::string_view line = resource_database.substr(0, end);
    line = Trim(line);
    if (line.substr(0, kName.size()) == kName) {
      return ParseBoundedNumber(line.substr(kName.size()), 1, kMaxDpi);
    }
    if (end == std::string_view::npos) break;
    resource_database.remove_prefix(end + 1);
  }
  return 0;
}

int32_t SystemDpiFromSources(std::string_view dpi_override, std::string_view resource_database,
                             std::string_view gdk_scale) {
  if (int32_t dpi = ParseBoundedInt(dpi_override, 1, kMaxDpi)) return dpi;
  if (int32_t dpi = ParseXftDpi(resource_database)) return dpi;
  if (int32_t scale = ParseBoundedInt(gdk_scale, 1, kMaxGdkScale)) return scale * kDefaultDpi;
  return kDefaultDpi;
}

int32_t GetSystemDpi() {
  static const int32_t dpi = ComputeSystemDpi();
  return dpi;
}

}  // namespace platform
