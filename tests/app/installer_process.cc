#include "tests/app/installer_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace varnik_test {

namespace {

// The interval at which a deadline wait looks again.
void PollPause() {
  timespec pause{0, 10 * 1000 * 1000};
  nanosleep(&pause, nullptr);
}

}  // namespace

InstallerProcess::InstallerProcess(std::string executable, std::string home,
                                   std::map<std::string, std::string> environment)
    : executable_(std::move(executable)),
      home_(std::move(home)),
      environment_(std::move(environment)),
      output_path_(home_ + "/installer-" + std::to_string(reinterpret_cast<uintptr_t>(this)) +
                   ".log") {}

InstallerProcess::~InstallerProcess() {
  if (running()) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

bool InstallerProcess::Start() {
  for (const char* folder : {"", "/home", "/config", "/data", "/cache", "/runtime"}) {
    mkdir((home_ + folder).c_str(), 0700);
  }
  const char* path = std::getenv("PATH");
  std::map<std::string, std::string> env = {
      {"PATH", path ? path : "/usr/bin:/bin"},
      {"HOME", home_ + "/home"},
      {"XDG_CONFIG_HOME", home_ + "/config"},
      {"XDG_DATA_HOME", home_ + "/data"},
      {"XDG_CACHE_HOME", home_ + "/cache"},
      {"XDG_RUNTIME_DIR", home_ + "/runtime"},
      {"SDL_VIDEODRIVER", "dummy"},
      {"VARNIK_DPI", "96"},
      {"VARNIK_DEBUG", "1"},
  };
  // Sanitizer settings (suppressions, exit behaviour) reach the child as they
  // reach the test, so a sanitized installer is judged by the same rules.
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) env[name] = value;
  }
  for (const auto& [name, value] : environment_) {
    if (value.empty()) {
      env.erase(name);
    } else {
      env[name] = value;
    }
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_path_.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  // The process (and the package it runs) works in the temporary home, so
  // nothing it writes to its working folder lands in the test's folder.
  posix_spawn_file_actions_addchdir_np(&actions, home_.c_str());
  std::vector<std::string> arguments = {executable_};
  arguments.insert(arguments.end(), arguments_.begin(), arguments_.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int result =
      posix_spawn(&pid_, executable_.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) pid_ = -1;
  return result == 0;
}

bool InstallerProcess::Signal(int signal_number) {
  return running() && kill(pid_, signal_number) == 0;
}

bool InstallerProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!ended_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      ended_ = true;
      if (WIFEXITED(status)) exit_code_ = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) term_signal_ = WTERMSIG(status);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    PollPause();
  }
  return true;
}

bool InstallerProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (Output().find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    PollPause();
  }
  return true;
}

std::string InstallerProcess::Output() const {
  std::ifstream file(output_path_, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace varnik_test
