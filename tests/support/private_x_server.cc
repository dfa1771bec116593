#include "tests/support/private_x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace varnik_test {

PrivateXServer::~PrivateXServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

bool PrivateXServer::Start(std::string* error, int width, int height) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = "no pipe";
    return false;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 3);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    // -noreset: the server keeps its state (a prepared keyboard map) when
    // its last client leaves.
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd waiting{fds[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    if (poll(&waiting, 1, 200) <= 0) continue;
    char buffer[16];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) {
    *error = "Xvfb did not report a display within 20 s";
    return false;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
  return true;
}

std::string RunCommand(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                       bool* ok) {
  *ok = false;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return "";
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

}  // namespace varnik_test
