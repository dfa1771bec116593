#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "base/utf.h"
#include "platform/command_line.h"
#include "platform/process_launcher.h"
#include "platform/process_output.h"

extern char** environ;

namespace platform {

int32_t RunAndCaptureOutput(const std::u16string& command_line, std::string* output,
                            size_t max_output_bytes) {
  if (output) output->clear();
  std::vector<std::string> arguments;
  for (const auto& argument : SplitCommandLine(command_line)) {
    arguments.push_back(nbase::Utf16ToUtf8(argument));
  }
  if (arguments.empty() || arguments[0].empty()) return EINVAL;
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int out_fds[2];
  if (pipe2(out_fds, O_CLOEXEC) != 0) return errno;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_fds[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int start_error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(out_fds[1]);
  if (start_error != 0) {
    close(out_fds[0]);
    return start_error;
  }
  char buffer[4096];
  while (true) {
    const ssize_t got = read(out_fds[0], buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (output && output->size() < max_output_bytes) {
      output->append(buffer, std::min(static_cast<size_t>(got), max_output_bytes - output->size()));
    }
  }
  close(out_fds[0]);
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid || !WIFEXITED(status)) return kNoExitCode;
  return WEXITSTATUS(status);
}

}  // namespace platform
