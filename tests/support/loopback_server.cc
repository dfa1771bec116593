#include "tests/support/loopback_server.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace testsupport {

namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 256 * 1024 * 1024;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Reads a chunked body from `buffer` (refilled from the socket), appending the
// raw bytes to `raw` and the payload to `body`. False on a malformed body.
bool ReadChunkedBody(SocketFd fd, const StopSignal& stop, std::string& buffer, std::string& raw,
                     std::string& body) {
  auto read_line = [&](std::string& line) {
    size_t end;
    while ((end = buffer.find("\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxHeadBytes || !ReadMore(fd, stop, buffer)) return false;
    }
    line = buffer.substr(0, end);
    raw.append(buffer, 0, end + 2);
    buffer.erase(0, end + 2);
    return true;
  };
  std::string line;
  for (;;) {
    if (!read_line(line)) return false;
    char* end = nullptr;
    unsigned long size = std::strtoul(line.c_str(), &end, 16);
    if (end == line.c_str() || size > kMaxBodyBytes || body.size() + size > kMaxBodyBytes) {
      return false;
    }
    if (size == 0) {
      // Trailer lines up to the empty line.
      do {
        if (!read_line(line)) return false;
      } while (!line.empty());
      return true;
    }
    while (buffer.size() < size + 2) {
      if (!ReadMore(fd, stop, buffer)) return false;
    }
    body.append(buffer, 0, size);
    raw.append(buffer, 0, size + 2);
    buffer.erase(0, size + 2);
  }
}

}  // namespace

std::vector<std::string> RecordedRequest::HeaderNames() const {
  std::vector<std::string> names;
  for (const auto& line : header_lines) names.push_back(line.substr(0, line.find(':')));
  return names;
}

std::string RecordedRequest::HeaderValue(std::string_view name) const {
  for (const auto& line : header_lines) {
    size_t colon = line.find(':');
    if (colon != std::string::npos && EqualsNoCase(std::string_view(line).substr(0, colon), name)) {
      return std::string(Trim(std::string_view(line).substr(colon + 1)));
    }
  }
  return std::string();
}

size_t RecordedRequest::HeaderCount(std::string_view name) const {
  size_t count = 0;
  for (const auto& line : header_lines) {
    size_t colon = line.find(':');
    if (colon != std::string::npos && EqualsNoCase(std::string_view(line).substr(0, colon), name)) {
      ++count;
    }
  }
  return count;
}

LoopbackServer::LoopbackServer() = default;

LoopbackServer::~LoopbackServer() { Stop(); }

bool LoopbackServer::Start() {
  if (running_) return true;
  if (!StartBackend()) return false;
  const bool stop_open = stop_.Open();
  listen_fd_ = ListenOnLoopback(&port_);
  if (!stop_open || listen_fd_ == kNoSocket) {
    running_ = true;
    Stop();
    return false;
  }
  running_ = true;
  accept_thread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void LoopbackServer::Stop() {
  if (!running_.exchange(false)) return;
  stop_.Raise();
  if (accept_thread_.joinable()) accept_thread_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    threads.swap(connection_threads_);
  }
  for (auto& thread : threads) thread.join();
  connections_.clear();
  StopBackend();
  CloseSocket(listen_fd_);
  listen_fd_ = kNoSocket;
  stop_.Close();
}

std::string LoopbackServer::DefaultAnswer(bool close_connection) const {
  std::string body;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    body = default_body_;
  }
  std::string answer = "HTTP/1.1 " + std::to_string(default_status_) + " Answer\r\n";
  answer += "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  if (close_connection) answer += "Connection: close\r\n";
  return answer + "\r\n" + body;
}

std::string LoopbackServer::host_port() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<RecordedRequest> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return requests_;
}

size_t LoopbackServer::RequestCount() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return requests_.size();
}

void LoopbackServer::ClearRequests() {
  std::lock_guard<std::mutex> hold(mutex_);
  requests_.clear();
}

bool LoopbackServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> hold(mutex_);
  return recorded_.wait_for(hold, timeout, [&] { return requests_.size() >= count; });
}

void LoopbackServer::set_default_body(std::string body) {
  std::lock_guard<std::mutex> hold(mutex_);
  default_body_ = std::move(body);
}

void LoopbackServer::set_raw_answer(std::string bytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  raw_answer_ = std::move(bytes);
}

void LoopbackServer::ReleaseStalled() {
  std::lock_guard<std::mutex> hold(mutex_);
  // Only shut down: the connection's own thread closes the descriptor after
  // it has left the list, so a number is never reused under our hands.
  for (SocketFd fd : stalled_fds_) ShutdownSocket(fd);
}

void LoopbackServer::Record(RecordedRequest request) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    requests_.push_back(std::move(request));
  }
  recorded_.notify_all();
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    if (!WaitReadable(listen_fd_, stop_)) return;
    const SocketFd fd = AcceptConnection(listen_fd_);
    if (fd == kNoSocket) continue;
    ++connections_accepted_;
    auto connection = std::make_shared<Connection>();
    connection->client_fd = fd;
    std::lock_guard<std::mutex> hold(mutex_);
    connections_.push_back(connection);
    connection_threads_.emplace_back([this, connection] { ServeConnection(connection); });
  }
}

void LoopbackServer::ServeConnection(std::shared_ptr<Connection> connection) {
  const SocketFd fd = connection->client_fd;
  std::string buffer;
  for (;;) {
    // Request line and header lines.
    size_t head_end;
    while ((head_end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxHeadBytes || !ReadMore(fd, stop_, buffer)) goto done;
    }
    RecordedRequest request;
    std::string raw = buffer.substr(0, head_end + 4);
    {
      std::string_view head(raw.data(), head_end);
      size_t line_end = head.find("\r\n");
      std::string_view request_line = head.substr(0, line_end);
      size_t first_blank = request_line.find(' ');
      size_t last_blank = request_line.rfind(' ');
      if (first_blank == std::string_view::npos || last_blank <= first_blank) goto done;
      request.method = std::string(request_line.substr(0, first_blank));
      request.target =
          std::string(request_line.substr(first_blank + 1, last_blank - first_blank - 1));
      size_t question = request.target.find('?');
      request.path = request.target.substr(0, question);
      if (question != std::string::npos) request.query = request.target.substr(question + 1);
      while (line_end != std::string_view::npos) {
        size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        request.header_lines.emplace_back(head.substr(start, line_end - start));
      }
    }
    buffer.erase(0, head_end + 4);

    // Body.
    std::string length_text = request.HeaderValue("Content-Length");
    if (EqualsNoCase(request.HeaderValue("Transfer-Encoding"), "chunked")) {
      if (!ReadChunkedBody(fd, stop_, buffer, raw, request.body)) goto done;
    } else if (!length_text.empty()) {
      unsigned long long length = std::strtoull(length_text.c_str(), nullptr, 10);
      if (length > kMaxBodyBytes) goto done;
      while (buffer.size() < length) {
        if (!ReadMore(fd, stop_, buffer)) goto done;
      }
      request.body = buffer.substr(0, length);
      raw += request.body;
      buffer.erase(0, length);
    }
    // A stalled connection is listed before its request becomes visible, so
    // that whoever sees the request can also release it.
    const Mode mode = mode_;
    const bool close_requested = EqualsNoCase(request.HeaderValue("Connection"), "close");
    if (mode == Mode::kStall) {
      std::lock_guard<std::mutex> hold(mutex_);
      stalled_fds_.push_back(fd);
    }
    Record(std::move(request));

    if (mode == Mode::kClose) goto done;
    if (mode == Mode::kRaw) {
      std::string answer;
      {
        std::lock_guard<std::mutex> hold(mutex_);
        answer = raw_answer_;
      }
      WriteAll(fd, answer);
      goto done;
    }
    if (mode == Mode::kStall) {
      // Hold the connection until the client gives up, ReleaseStalled() or
      // the server stops.
      std::string ignored;
      while (ReadMore(fd, stop_, ignored)) ignored.clear();
      {
        std::lock_guard<std::mutex> hold(mutex_);
        stalled_fds_.erase(std::remove(stalled_fds_.begin(), stalled_fds_.end(), fd),
                           stalled_fds_.end());
      }
      goto done;
    }

    if (!ServeThroughBackend(*connection, close_requested, raw)) goto done;
  }
done:
  ShutdownSocket(fd);
  if (connection->backend_fd != kNoSocket) ShutdownSocket(connection->backend_fd);
  if (connection->pump.joinable()) connection->pump.join();
  CloseSocket(connection->backend_fd);
  CloseSocket(fd);
}

bool Base64Decode(std::string_view text, std::string* bytes) {
  auto value_of = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) return false;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int pad = 0;
    if (last && text[i + 3] == '=') pad = text[i + 2] == '=' ? 2 : 1;
    uint32_t group = 0;
    for (int k = 0; k < 4; ++k) {
      int v = k >= 4 - pad ? 0 : value_of(text[i + k]);
      if (v < 0) return false;
      group = (group << 6) | static_cast<uint32_t>(v);
    }
    out += static_cast<char>(group >> 16);
    if (pad < 2) out += static_cast<char>((group >> 8) & 0xFF);
    if (pad < 1) out += static_cast<char>(group & 0xFF);
  }
  *bytes = std::move(out);
  return true;
}

bool DecodeLogBody(std::string_view body, std::string* envelope) {
  constexpr std::string_view kPrefix = "log=";
  if (body.substr(0, kPrefix.size()) != kPrefix) return false;
  return Base64Decode(body.substr(kPrefix.size()), envelope);
}

}  // namespace testsupport
