// The Linux backend of the loopback server: a cpp-httplib server on its own
// loopback port; the recorder forwards each request's raw bytes to it and
// pumps its answer back to the client.
#include <chrono>
#include <thread>

#include "tests/support/loopback_server.h"

namespace testsupport {

struct LoopbackServer::Backend {
  httplib::Server server;
  std::thread thread;
  int port = 0;
};

void LoopbackServer::BackendDeleter::operator()(Backend* backend) const { delete backend; }

httplib::Server& LoopbackServer::routes() {
  if (!backend_) backend_.reset(new Backend);
  return backend_->server;
}

bool LoopbackServer::StartBackend() {
  httplib::Server& server = routes();
  // Requests that no route takes get the default status.
  auto fallback = [this](const httplib::Request&, httplib::Response& res) {
    res.status = default_status_;
    std::string body;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      body = default_body_;
    }
    res.set_content(body, "text/plain");
  };
  server.Get(".*", fallback);
  server.Post(".*", fallback);
  server.Put(".*", fallback);
  server.Delete(".*", fallback);
  backend_->port = server.bind_to_any_port("127.0.0.1");
  if (backend_->port <= 0) return false;
  backend_->thread = std::thread([&server] { server.listen_after_bind(); });
  // stop() is lost on a server that has not begun listening, so wait for it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!server.is_running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      // It gave up listening (the thread ends on its own).
      server.stop();
      backend_->thread.join();
      return false;
    }
    std::this_thread::yield();
  }
  return true;
}

void LoopbackServer::StopBackend() {
  if (!backend_) return;
  backend_->server.stop();
  if (backend_->thread.joinable()) backend_->thread.join();
}

bool LoopbackServer::ServeThroughBackend(Connection& connection, bool, const std::string& raw) {
  if (connection.backend_fd == kNoSocket) {
    const SocketFd backend = ConnectToLoopback(backend_->port);
    if (backend == kNoSocket) return false;
    connection.backend_fd = backend;
    const SocketFd fd = connection.client_fd;
    connection.pump = std::thread([this, fd, backend] {
      std::string bytes;
      while (ReadMore(backend, stop_, bytes)) {
        if (!WriteAll(fd, bytes)) break;
        bytes.clear();
      }
      // The answer is complete (or the server stops): end the client's side.
      ShutdownSocket(fd);
    });
  }
  return WriteAll(connection.backend_fd, raw);
}

}  // namespace testsupport
