#include "bench/table/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace benchtable {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(2);

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv,
                           std::map<std::string, std::string> environment)
    : argv_(std::move(argv)), environment_(std::move(environment)) {}

ChildProcess::~ChildProcess() {
  if (running()) {
    kill(pid_, SIGKILL);
    Reap(true);
  }
  if (!output_path_.empty()) unlink(output_path_.c_str());
}

double ChildProcess::MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

std::optional<uint64_t> ChildProcess::ParseStatCpuTicks(std::string_view stat) {
  const size_t close = stat.rfind(')');
  if (close == std::string_view::npos) return std::nullopt;
  // After ") " come field 3 (state) onwards; utime is field 14.
  std::istringstream fields{std::string(stat.substr(close + 1))};
  std::string field;
  uint64_t utime = 0, stime = 0;
  for (int number = 3; number <= 15; ++number) {
    if (!(fields >> field)) return std::nullopt;
    if (number < 14) continue;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(field.c_str(), &end, 10);
    if (end == field.c_str() || *end != '\0') return std::nullopt;
    (number == 14 ? utime : stime) = value;
  }
  return utime + stime;
}

bool ChildProcess::Start() {
  if (argv_.empty() || pid_ > 0) return false;
  char pattern[] = "/tmp/benchtable-child.XXXXXX";
  const int output_fd = mkstemp(pattern);
  if (output_fd < 0) return false;
  output_path_ = pattern;

  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const char* eq = std::strchr(*entry, '=');
    if (eq) merged[std::string(*entry, static_cast<size_t>(eq - *entry))] = eq + 1;
  }
  for (const auto& [name, value] : environment_) {
    if (value.empty()) {
      merged.erase(name);
    } else {
      merged[name] = value;
    }
  }
  std::vector<std::string> env_strings;
  for (const auto& [name, value] : merged) env_strings.push_back(name + "=" + value);
  std::vector<char*> env_pointers;
  for (auto& s : env_strings) env_pointers.push_back(s.data());
  env_pointers.push_back(nullptr);
  std::vector<char*> arg_pointers;
  for (auto& s : argv_) arg_pointers.push_back(s.data());
  arg_pointers.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output_fd, STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, output_fd);
  started_ms_ = MonotonicMs();
  const int error = posix_spawnp(&pid_, arg_pointers[0], &actions, nullptr, arg_pointers.data(),
                                 env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  close(output_fd);
  if (error != 0) {
    pid_ = -1;
    return false;
  }
  return true;
}

std::string ChildProcess::Output() const {
  return output_path_.empty() ? std::string() : ReadWholeFile(output_path_);
}

bool ChildProcess::WaitForOutput(const std::function<bool(const std::string&)>& ready,
                                 std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    // Read the output before checking the end, so that text written just
    // before exiting still counts.
    const bool was_running = running() && !Reap(false);
    if (ready(Output())) return true;
    if (!was_running) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

bool ChildProcess::WaitForText(const std::string& text, std::chrono::milliseconds timeout) {
  return WaitForOutput(
      [&text](const std::string& output) { return output.find(text) != std::string::npos; },
      timeout);
}

std::optional<uint64_t> ChildProcess::ParseSchedstatNs(std::string_view schedstat) {
  const size_t end = schedstat.find_first_of(" \n");
  const std::string first(schedstat.substr(0, end));
  if (first.empty() || first.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::strtoull(first.c_str(), nullptr, 10);
}

std::optional<double> ChildProcess::CpuTimeMs() const {
  if (!running()) return std::nullopt;
  // Every thread's scheduler time; a thread that ends between the listing
  // and the read is left out.
  std::error_code error;
  uint64_t total_ns = 0;
  bool any = false;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task", error)) {
    const std::optional<uint64_t> ns =
        ParseSchedstatNs(ReadWholeFile(task.path().string() + "/schedstat"));
    if (ns) {
      total_ns += *ns;
      any = true;
    }
  }
  if (!error && any) return total_ns / 1e6;
  const std::string stat = ReadWholeFile("/proc/" + std::to_string(pid_) + "/stat");
  const std::optional<uint64_t> ticks = ParseStatCpuTicks(stat);
  if (!ticks) return std::nullopt;
  return *ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool ChildProcess::Reap(bool block) {
  if (pid_ <= 0) return false;
  if (ended_) return true;
  int status = 0;
  rusage usage{};
  pid_t got;
  do {
    got = wait4(pid_, &status, block ? 0 : WNOHANG, &usage);
  } while (got < 0 && errno == EINTR);
  if (got != pid_) return false;
  ended_ = true;
  peak_rss_kib_ = usage.ru_maxrss;
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return true;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!Reap(false)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

bool ChildProcess::Stop(int signal_number, std::chrono::milliseconds timeout) {
  if (!running()) return ended_;
  kill(pid_, signal_number);
  if (WaitForExit(timeout)) return true;
  kill(pid_, SIGKILL);
  Reap(true);
  return false;
}

}  // namespace benchtable
