// The few socket calls the loopback servers make, the same on Linux and on
// Windows (winsock): TCP on 127.0.0.1, a readiness wait that a stop signal
// cuts short, whole-buffer sends without SIGPIPE. Descriptors are
// close-on-exec / not inherited, so child processes never hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace testsupport {

using SocketFd = intptr_t;  // an int on Linux, a SOCKET on Windows
inline constexpr SocketFd kNoSocket = -1;

// A TCP socket listening on 127.0.0.1 with an ephemeral port (its number in
// `*port`); kNoSocket when the system refuses.
SocketFd ListenOnLoopback(int* port);
// A TCP connection to 127.0.0.1:`port`; kNoSocket on failure.
SocketFd ConnectToLoopback(int port);
// The next connection of a listening socket; kNoSocket on failure.
SocketFd AcceptConnection(SocketFd listener);
// Ends both directions; the descriptor stays valid until CloseSocket.
void ShutdownSocket(SocketFd fd);
void CloseSocket(SocketFd fd);

// A signal raised once, after which it stays raised: Stop() of a server
// wakes every waiting thread with it.
class StopSignal {
 public:
  StopSignal() = default;
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  bool Open();
  void Raise();
  void Close();
  // Readable once raised (an eventfd on Linux, a loopback socket on Windows).
  SocketFd fd() const { return read_fd_; }

 private:
  SocketFd read_fd_ = kNoSocket;
  SocketFd write_fd_ = kNoSocket;  // Windows: the other end of the pair
};

// Waits until `fd` is readable or `stop` is raised, at most `timeout_ms`
// (-1: without limit). False when stopping, on time-out or on an error.
bool WaitReadable(SocketFd fd, const StopSignal& stop, int timeout_ms = -1);

// Reads more bytes from `fd` into `buffer`, waiting as WaitReadable does.
// False on end, error, time-out or stop.
bool ReadMore(SocketFd fd, const StopSignal& stop, std::string& buffer, int timeout_ms = -1);

// Sends every byte; false when the connection fails.
bool WriteAll(SocketFd fd, std::string_view bytes);

}  // namespace testsupport
