#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/loopback_socket.h"

namespace testsupport {
namespace {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

}  // namespace

SocketFd ListenOnLoopback(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof(address);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(fd, 64) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

SocketFd ConnectToLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address = LoopbackAddress(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return kNoSocket;
  }
  return fd;
}

SocketFd AcceptConnection(SocketFd listener) {
  const int fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
  return fd < 0 ? kNoSocket : fd;
}

void ShutdownSocket(SocketFd fd) { shutdown(static_cast<int>(fd), SHUT_RDWR); }

void CloseSocket(SocketFd fd) {
  if (fd != kNoSocket) close(static_cast<int>(fd));
}

StopSignal::~StopSignal() { Close(); }

bool StopSignal::Open() {
  read_fd_ = eventfd(0, EFD_CLOEXEC);
  return read_fd_ >= 0;
}

void StopSignal::Raise() {
  if (read_fd_ == kNoSocket) return;
  uint64_t one = 1;
  ssize_t ignored = write(static_cast<int>(read_fd_), &one, sizeof(one));
  (void)ignored;
}

void StopSignal::Close() {
  if (read_fd_ != kNoSocket) close(static_cast<int>(read_fd_));
  read_fd_ = kNoSocket;
}

bool WaitReadable(SocketFd fd, const StopSignal& stop, int timeout_ms) {
  pollfd fds[2] = {{static_cast<int>(fd), POLLIN, 0}, {static_cast<int>(stop.fd()), POLLIN, 0}};
  for (;;) {
    int n = poll(fds, 2, timeout_ms);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (fds[1].revents) return false;
    return true;
  }
}

bool ReadMore(SocketFd fd, const StopSignal& stop, std::string& buffer, int timeout_ms) {
  if (!WaitReadable(fd, stop, timeout_ms)) return false;
  char chunk[16 * 1024];
  ssize_t n;
  do {
    n = recv(static_cast<int>(fd), chunk, sizeof(chunk), 0);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return false;
  buffer.append(chunk, static_cast<size_t>(n));
  return true;
}

bool WriteAll(SocketFd fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(static_cast<int>(fd), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace testsupport
