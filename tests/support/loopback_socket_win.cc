#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "tests/support/loopback_socket.h"

namespace testsupport {
namespace {

void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  return address;
}

SOCKET NewSocket() {
  StartWinsock();
  // Not inherited: a child program must not keep a connection open.
  return WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

}  // namespace

SocketFd ListenOnLoopback(int* port) {
  const SOCKET s = NewSocket();
  if (s == INVALID_SOCKET) return kNoSocket;
  // Another socket may not take the port over while we hold it.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  sockaddr_in address = LoopbackAddress(0);
  int length = sizeof(address);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(s, 64) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return static_cast<SocketFd>(s);
}

SocketFd ConnectToLoopback(int port) {
  const SOCKET s = NewSocket();
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address = LoopbackAddress(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  return static_cast<SocketFd>(s);
}

SocketFd AcceptConnection(SocketFd listener) {
  const SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketFd>(s);
}

void ShutdownSocket(SocketFd fd) { shutdown(static_cast<SOCKET>(fd), SD_BOTH); }

void CloseSocket(SocketFd fd) {
  if (fd != kNoSocket) closesocket(static_cast<SOCKET>(fd));
}

StopSignal::~StopSignal() { Close(); }

// Windows has no eventfd: the signal is a connected loopback pair whose
// reading end turns readable when the other end sends a byte.
bool StopSignal::Open() {
  int port = 0;
  const SocketFd listener = ListenOnLoopback(&port);
  if (listener == kNoSocket) return false;
  write_fd_ = ConnectToLoopback(port);
  if (write_fd_ != kNoSocket) read_fd_ = AcceptConnection(listener);
  CloseSocket(listener);
  if (read_fd_ == kNoSocket) Close();
  return read_fd_ != kNoSocket;
}

void StopSignal::Raise() {
  if (write_fd_ != kNoSocket) send(static_cast<SOCKET>(write_fd_), "x", 1, 0);
}

void StopSignal::Close() {
  CloseSocket(read_fd_);
  CloseSocket(write_fd_);
  read_fd_ = write_fd_ = kNoSocket;
}

bool WaitReadable(SocketFd fd, const StopSignal& stop, int timeout_ms) {
  WSAPOLLFD fds[2] = {{static_cast<SOCKET>(fd), POLLRDNORM, 0},
                      {static_cast<SOCKET>(stop.fd()), POLLRDNORM, 0}};
  const int n = WSAPoll(fds, 2, timeout_ms);
  if (n <= 0) return false;
  if (fds[1].revents) return false;
  return true;
}

bool ReadMore(SocketFd fd, const StopSignal& stop, std::string& buffer, int timeout_ms) {
  if (!WaitReadable(fd, stop, timeout_ms)) return false;
  char chunk[16 * 1024];
  const int n = recv(static_cast<SOCKET>(fd), chunk, sizeof(chunk), 0);
  if (n <= 0) return false;
  buffer.append(chunk, static_cast<size_t>(n));
  return true;
}

bool WriteAll(SocketFd fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const int piece = bytes.size() > (1u << 30) ? (1 << 30) : static_cast<int>(bytes.size());
    const int n = send(static_cast<SOCKET>(fd), bytes.data(), piece, 0);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace testsupport
