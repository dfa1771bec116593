#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/utf.h"
#include "platform/command_line.h"
#include "platform/process_launcher.h"

extern char** environ;

namespace platform {
namespace {

// Everything the child needs, prepared before fork so that the child only
// calls async-signal-safe functions.
struct LaunchPlan {
  std::vector<std::string> candidates;  // Paths to try, in order.
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
  std::vector<char*> argv;
  std::vector<char*> envp;
  // "/bin/sh", candidate, arguments[1..] for each candidate, for ENOEXEC.
  std::vector<std::vector<char*>> shell_argv;
};

bool PrepareLaunch(const std::u16string& command_line, LaunchPlan* plan) {
  for (const auto& argument : SplitCommandLine(command_line)) {
    plan->arguments.push_back(nbase::Utf16ToUtf8(argument));
  }
  if (plan->arguments.empty() || plan->arguments[0].empty()) return false;
  const std::string& program = plan->arguments[0];
  if (program.find('/') != std::string::npos) {
    plan->candidates.push_back(program);
  } else {
    const char* path_variable = std::getenv("PATH");
    std::string search = path_variable != nullptr ? path_variable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= search.size()) {
      size_t colon = search.find(':', start);
      if (colon == std::string::npos) colon = search.size();
      std::string folder = search.substr(start, colon - start);
      if (folder.empty()) folder = ".";
      plan->candidates.push_back(folder + "/" + program);
      start = colon + 1;
    }
  }
  const std::string prefix = std::string(kCommandLineVariable) + "=";
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0) {
      plan->environment.emplace_back(*entry);
    }
  }
  plan->environment.push_back(prefix + nbase::Utf16ToUtf8(command_line));

  for (auto& argument : plan->arguments) plan->argv.push_back(argument.data());
  plan->argv.push_back(nullptr);
  for (auto& entry : plan->environment) plan->envp.push_back(entry.data());
  plan->envp.push_back(nullptr);
  static char shell[] = "/bin/sh";
  for (auto& candidate : plan->candidates) {
    std::vector<char*> argv{shell, candidate.data()};
    for (size_t i = 1; i < plan->arguments.size(); ++i) argv.push_back(plan->arguments[i].data());
    argv.push_back(nullptr);
    plan->shell_argv.push_back(std::move(argv));
  }
  return true;
}

void CloseInheritedDescriptors(int keep) {
  // Mark everything above stderr close-on-exec; the error pipe already is.
  if (syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */) == 0) return;
  long limit = sysconf(_SC_OPEN_MAX);
  if (limit < 0 || limit > 65536) limit = 65536;
  for (int fd = 3; fd < limit; ++fd) {
    if (fd != keep) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

// In the child: the exec attempts of execvp, then the error on the pipe.
[[noreturn]] void ExecInChild(const LaunchPlan& plan, int error_fd) {
  int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd >= 0) dup2(null_fd, 0);
  CloseInheritedDescriptors(error_fd);
  // The child starts as a fresh program would: no blocked signals, and the
  // signals a caller commonly ignores (a broken pipe) back to their default.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);

  int error = ENOENT;
  bool saw_access_error = false;
  for (size_t i = 0; i < plan.candidates.size(); ++i) {
    execve(plan.candidates[i].c_str(), plan.argv.data(), plan.envp.data());
    int attempt_error = errno;
    if (attempt_error == ENOEXEC) {
      execve("/bin/sh", plan.shell_argv[i].data(), plan.envp.data());
      attempt_error = errno;
    }
    if (attempt_error == EACCES) {
      saw_access_error = true;
    } else if (attempt_error != ENOENT && attempt_error != ENOTDIR) {
      error = attempt_error;
      break;
    }
  }
  if (error == ENOENT && saw_access_error) error = EACCES;
  ssize_t ignored = write(error_fd, &error, sizeof(error));
  (void)ignored;
  _exit(127);
}

// Reads the child's exec error from the pipe: 0 when exec succeeded (the
// pipe closed without data).
int ReadStartError(int read_fd) {
  int error = 0;
  ssize_t got;
  do {
    got = read(read_fd, &error, sizeof(error));
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof(error)) ? error : 0;
}

int WaitForChild(pid_t pid, int* status) {
  pid_t result;
  do {
    result = waitpid(pid, status, 0);
  } while (result < 0 && errno == EINTR);
  return result == pid ? 0 : -1;
}

// Forks a child that runs `plan` and waits for that child. A detached start
// goes through an intermediate child that starts a session, forks the
// program and leaves at once, so the program is adopted by init and never
// becomes a zombie of the caller. The close-on-exec pipe carries the exec
// error, if any, back to us. Returns that start error (0 when the program
// started); `waited` tells whether the direct child's `status` was read.
int StartChild(const LaunchPlan& plan, bool detached, int* status, bool* waited) {
  *waited = false;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return errno;
  pid_t pid = fork();
  if (pid < 0) {
    int error = errno;
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    return error;
  }
  if (pid == 0) {
    close(pipe_fds[0]);
    if (!detached) ExecInChild(plan, pipe_fds[1]);
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0) {
      int error = errno;
      ssize_t ignored = write(pipe_fds[1], &error, sizeof(error));
      (void)ignored;
      _exit(127);
    }
    if (grandchild == 0) ExecInChild(plan, pipe_fds[1]);
    _exit(0);
  }
  close(pipe_fds[1]);
  int start_error = ReadStartError(pipe_fds[0]);
  close(pipe_fds[0]);
  *waited = WaitForChild(pid, status) == 0;
  return start_error;
}

}  // namespace

int32_t RunAndWait(const std::u16string& command_line) {
  LaunchPlan plan;
  if (!PrepareLaunch(command_line, &plan)) return EINVAL;
  int status = 0;
  bool waited = false;
  int start_error = StartChild(plan, /*detached=*/false, &status, &waited);
  if (start_error != 0) return start_error;
  if (!waited || !WIFEXITED(status)) return kNoExitCode;
  return WEXITSTATUS(status);
}

int32_t LaunchDetached(const std::u16string& command_line) {
  LaunchPlan plan;
  if (!PrepareLaunch(command_line, &plan)) return EINVAL;
  int status = 0;
  bool waited = false;
  return StartChild(plan, /*detached=*/true, &status, &waited);
}

}  // namespace platform
