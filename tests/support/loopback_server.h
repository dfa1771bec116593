// A real HTTP server on 127.0.0.1 for tests, benchmarks and the demo.
//
// A small recorder in front sees every request's bytes exactly as they came
// over the wire (request line, header lines in order with duplicates, body)
// and then, depending on the mode, serves the request, holds the connection
// open without answering, or closes it. On Linux a cpp-httplib server behind
// the recorder serves it: routes are ordinary cpp-httplib handlers added
// through routes() before Start(). The Windows build has no cpp-httplib
// server (Debian ships its implementation only as a Linux library), so there
// the recorder answers itself and no routes exist. Any request no route
// takes gets default_status() and the default body as text.
// Everything listens on 127.0.0.1 with ephemeral ports; Stop() (or the
// destructor) ends every connection and thread, stalled ones included.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/loopback_socket.h"

namespace testsupport {

// One request as it arrived.
struct RecordedRequest {
  std::string method;
  std::string target;  // As on the request line: path and "?query".
  std::string path;
  std::string query;                      // Without the "?"; empty when none.
  std::vector<std::string> header_lines;  // "Name: value", in wire order.
  std::string body;                       // Content-Length or de-chunked bytes.

  // The header names in wire order.
  std::vector<std::string> HeaderNames() const;
  // The value of the first header of that name (ASCII case ignored), "" if none.
  std::string HeaderValue(std::string_view name) const;
  // How many lines carry a header of that name.
  size_t HeaderCount(std::string_view name) const;
};

class LoopbackServer {
 public:
  enum class Mode {
    kServe,  // Hand the request to the routes and send their answer.
    kStall,  // Record the request, then never answer and never close.
    kClose,  // Record the request, then close the connection without answer.
    kRaw,    // Record the request, send raw_answer() as it is, then close.
  };

  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Add handlers here before Start(). Linux only.
  httplib::Server& routes();

  // Listens on 127.0.0.1 with an ephemeral port. False when it cannot.
  bool Start();
  // Ends every connection (stalled ones too) and joins every thread.
  void Stop();

  int port() const { return port_; }
  // "127.0.0.1:port", the form VARNIK_SERVER_HOST takes.
  std::string host_port() const;

  void set_mode(Mode mode) { mode_ = mode; }
  Mode mode() const { return mode_; }
  // Status of the answer to requests that no route takes (200 at first).
  void set_default_status(int status) { default_status_ = status; }
  int default_status() const { return default_status_; }
  // Body of that answer ("ok" at first), sent as text/plain.
  void set_default_body(std::string body);
  // The bytes kRaw sends: anything, a broken or cut-off answer included.
  void set_raw_answer(std::string bytes);

  // Ends every connection held open by kStall so far (their clients see the
  // connection close); later stalls are held again.
  void ReleaseStalled();

  std::vector<RecordedRequest> Requests() const;
  size_t RequestCount() const;
  void ClearRequests();
  // Waits until at least `count` requests were recorded, at most `timeout`.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;
  // Connections accepted so far.
  size_t ConnectionCount() const { return connections_accepted_; }

 private:
  // What serves requests in kServe mode; one implementation per system.
  struct Backend;
  struct BackendDeleter {
    void operator()(Backend* backend) const;
  };
  struct Connection {
    SocketFd client_fd = kNoSocket;
    SocketFd backend_fd = kNoSocket;  // Linux: the connection to the backend
    std::thread pump;                 // Linux: backend answers back to the client
  };

  void AcceptLoop();
  void ServeConnection(std::shared_ptr<Connection> connection);
  void Record(RecordedRequest request);
  bool StartBackend();
  void StopBackend();
  // Serves one recorded request whose bytes are `raw`; false ends the
  // connection.
  bool ServeThroughBackend(Connection& connection, bool close_requested, const std::string& raw);
  // The answer to a request that no route takes.
  std::string DefaultAnswer(bool close_connection) const;

  std::unique_ptr<Backend, BackendDeleter> backend_;

  SocketFd listen_fd_ = kNoSocket;
  StopSignal stop_;  // raised once Stop() began
  int port_ = 0;
  std::thread accept_thread_;
  std::atomic<bool> running_{false};
  std::atomic<Mode> mode_{Mode::kServe};
  std::atomic<int> default_status_{200};
  std::atomic<size_t> connections_accepted_{0};
  std::string default_body_ = "ok";  // Guarded by mutex_.
  std::string raw_answer_;           // Guarded by mutex_.

  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::shared_ptr<Connection>> connections_;
  std::vector<std::thread> connection_threads_;
  std::vector<SocketFd> stalled_fds_;
};

// Standard Base64 decoding with "=" padding. False on a character outside
// the alphabet, a length that is not a multiple of four or misplaced padding.
bool Base64Decode(std::string_view text, std::string* bytes);

// The envelope inside a report body "log=<Base64>", or false when the body
// does not have that form.
bool DecodeLogBody(std::string_view body, std::string* envelope);

}  // namespace testsupport
