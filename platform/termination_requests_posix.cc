#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <thread>

#include "platform/termination_requests.h"

namespace platform {
namespace {

int g_write_fd = -1;

void OnTerminationSignal(int) {
  const int saved_errno = errno;
  const char byte = 1;
  // The pipe is non-blocking: a full pipe already holds a pending request.
  ssize_t ignored = write(g_write_fd, &byte, 1);
  (void)ignored;
  errno = saved_errno;
}

void WatchPipe(int read_fd, TerminationHandler handler) {
  char byte = 0;
  while (true) {
    const ssize_t n = read(read_fd, &byte, 1);
    if (n == 1) handler();
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the pipe is gone; nothing more to watch
  }
}

bool StartOnce(TerminationHandler handler) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  if (fcntl(fds[1], F_SETFL, O_NONBLOCK) != 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  g_write_fd = fds[1];
  try {
    std::thread(WatchPipe, fds[0], handler).detach();
  } catch (...) {
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  bool all = true;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    if (sigaction(signal_number, &action, nullptr) != 0) all = false;
  }
  return all;
}

}  // namespace

bool WatchTerminationRequests(TerminationHandler handler) {
  static const bool started = StartOnce(handler);
  return started;
}

}  // namespace platform
