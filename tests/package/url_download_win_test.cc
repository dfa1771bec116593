// The package download on Windows through the real URLDownloadToFileW, from
// a loopback HTTP server in this process: a 256 MiB package with progress,
// error answers, a stalled server, the size bound, the abort flag and a
// server that is not there. Every outcome is one of our result codes, and a
// failed download leaves no file.
#include <winsock2.h>
// winsock2.h before windows.h, which would bring the old socket header.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/url_download.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

constexpr uint64_t kLargePackage = uint64_t{256} << 20;
constexpr uint64_t kSmallPackage = uint64_t{10} << 20;

// Byte `i` of a package of the test server: "MZ", then a fixed pattern.
char PackageByte(uint64_t i) {
  if (i < 2) return i == 0 ? 'M' : 'Z';
  return static_cast<char>((i * 131 + 7) & 0xff);
}

// A small HTTP/1.1 server on 127.0.0.1 with an ephemeral port, one thread a
// connection, one answer a connection ("Connection: close"). It serves the
// package (with or without a length), a redirect, error answers and a stall
// that holds until the server stops.
class TestServer {
 public:
  TestServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (listener_ == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }

  ~TestServer() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stopping_ = true;
      for (SOCKET client : clients_) closesocket(client);
    }
    stopped_.notify_all();
    closesocket(listener_);
    if (acceptor_.joinable()) acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    WSACleanup();
  }

  std::u16string Url(const std::string& path) const {
    const std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
    return std::u16string(url.begin(), url.end());
  }
  std::string cache_control() {
    std::lock_guard<std::mutex> hold(lock_);
    return cache_control_;
  }
  bool listening() const { return port_ > 0; }

 private:
  void Accept() {
    while (true) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;  // The listener closed: stopping.
      std::lock_guard<std::mutex> hold(lock_);
      if (stopping_) {
        closesocket(client);
        return;
      }
      clients_.push_back(client);
      workers_.emplace_back([this, client] { Serve(client); });
    }
  }

  static bool Send(SOCKET client, const char* data, size_t size) {
    while (size > 0) {
      const int sent = send(client, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
      if (sent <= 0) return false;
      data += sent;
      size -= static_cast<size_t>(sent);
    }
    return true;
  }
  static bool Send(SOCKET client, const std::string& text) {
    return Send(client, text.data(), text.size());
  }

  // The request's path and its header block ("Name: value" lines).
  static bool ReadRequest(SOCKET client, std::string* path, std::string* headers) {
    std::string received;
    char buffer[4096];
    while (received.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client, buffer, sizeof(buffer), 0);
      if (got <= 0 || received.size() > 65536) return false;
      received.append(buffer, static_cast<size_t>(got));
    }
    const size_t first_blank = received.find(' ');
    const size_t second_blank = received.find(' ', first_blank + 1);
    if (first_blank == std::string::npos || second_blank == std::string::npos) return false;
    *path = received.substr(first_blank + 1, second_blank - first_blank - 1);
    *headers = received.substr(received.find("\r\n") + 2);
    return true;
  }

  static std::string Head(const std::string& status, const std::string& fields) {
    return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + fields + "\r\n";
  }

  static bool SendPackage(SOCKET client, uint64_t size, bool chunked) {
    if (!Send(client, Head("200 OK", chunked ? "Transfer-Encoding: chunked\r\n"
                                              : "Content-Length: " + std::to_string(size) +
                                                    "\r\n"))) {
      return false;
    }
    std::string piece;
    for (uint64_t offset = 0; offset < size; offset += piece.size()) {
      piece.resize(static_cast<size_t>(std::min<uint64_t>(size - offset, 256 * 1024)));
      for (size_t i = 0; i < piece.size(); ++i) piece[i] = PackageByte(offset + i);
      if (chunked) {
        char length[32];
        std::snprintf(length, sizeof(length), "%zx\r\n", piece.size());
        if (!Send(client, length) || !Send(client, piece) || !Send(client, "\r\n")) return false;
      } else if (!Send(client, piece)) {
        return false;
      }
    }
    return !chunked || Send(client, "0\r\n\r\n");
  }

  void Serve(SOCKET client) {
    std::string path, headers;
    if (ReadRequest(client, &path, &headers)) Answer(client, path, headers);
    shutdown(client, SD_SEND);
    std::lock_guard<std::mutex> hold(lock_);
    auto found = std::find(clients_.begin(), clients_.end(), client);
    if (found != clients_.end()) {
      clients_.erase(found);
      closesocket(client);
    }
  }

  void Answer(SOCKET client, const std::string& path, const std::string& headers) {
    if (path == "/package") {
      const size_t field = headers.find("Cache-Control: ");
      {
        std::lock_guard<std::mutex> hold(lock_);
        cache_control_ = field == std::string::npos
                             ? std::string()
                             : headers.substr(field + 15, headers.find("\r\n", field) - field - 15);
      }
      SendPackage(client, kLargePackage, false);
    } else if (path == "/small") {
      SendPackage(client, kSmallPackage, false);
    } else if (path == "/chunked") {
      SendPackage(client, kSmallPackage, true);
    } else if (path == "/moved") {
      Send(client, Head("302 Found", "Location: /small\r\nContent-Length: 0\r\n"));
    } else if (path == "/missing" || path == "/broken") {
      const std::string page = "<html>" + path + "</html>";
      Send(client, Head(path == "/missing" ? "404 Not Found" : "500 Internal Server Error",
                        "Content-Type: text/html\r\nContent-Length: " +
                            std::to_string(page.size()) + "\r\n") +
                       page);
    } else if (path == "/stall") {
      // The headers and the first two bytes, then nothing until the end.
      Send(client, Head("200 OK", "Content-Length: " + std::to_string(kSmallPackage) + "\r\n") +
                       "MZ");
      std::unique_lock<std::mutex> lock(lock_);
      stopped_.wait(lock, [this] { return stopping_; });
    } else {
      Send(client, Head("404 Not Found", "Content-Length: 0\r\n"));
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> workers_;  // Guarded by lock_ while the acceptor runs.
  std::vector<SOCKET> clients_;
  std::mutex lock_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::string cache_control_;
};

class UrlDownloadWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.listening());
    file_ = std::filesystem::path(folder_.path16()) / L"DudIdiruvovoInstaller.exe";
  }
  std::u16string File() const { return file_.u16string(); }
  bool FileExists() const { return std::filesystem::exists(file_); }
  // Tight bounds, so that a stall ends within seconds.
  static DownloadOptions Quick() {
    DownloadOptions options;
    options.connect_timeout_seconds = 5;
    options.low_speed_seconds = 2;
    return options;
  }
  // True when the file holds exactly the server's package of `size` bytes.
  bool FileIsPackage(uint64_t size) const {
    std::ifstream in(file_, std::ios::binary);
    std::string piece(1 << 20, '\0');
    uint64_t offset = 0;
    while (in.read(&piece[0], static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
      for (std::streamsize i = 0; i < in.gcount(); ++i) {
        if (piece[static_cast<size_t>(i)] != PackageByte(offset + static_cast<uint64_t>(i))) {
          return false;
        }
      }
      offset += static_cast<uint64_t>(in.gcount());
    }
    return offset == size;
  }

  TestServer server_;
  varnik_test::ScopedTempDir folder_;
  std::filesystem::path file_;
};

TEST_F(UrlDownloadWinTest, A256MiBPackageArrivesWholeWithProgress) {
  uint64_t last_done = 0, last_total = 0;
  int calls = 0;
  bool monotonic = true;
  int32_t window_requests = 0;
  DownloadOptions options;
  options.window_requests = &window_requests;
  options.progress = [&](uint64_t done, uint64_t total) {
    monotonic = monotonic && done >= last_done;
    last_done = done;
    last_total = total;
    ++calls;
  };
  EXPECT_EQ(DownloadUrlToFile(server_.Url("/package"), File(), options), 0);
  EXPECT_TRUE(FileIsPackage(kLargePackage));
  EXPECT_GT(calls, 0);
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(last_done, kLargePackage);
  EXPECT_EQ(last_total, kLargePackage);
  EXPECT_EQ(window_requests, 0);
  EXPECT_EQ(server_.cache_control(), "no-cache") << "the newest version, from no cache";
}

TEST_F(UrlDownloadWinTest, RedirectsAndAnswersWithoutLengthArrive) {
  EXPECT_EQ(DownloadUrlToFile(server_.Url("/moved"), File(), Quick()), 0);
  EXPECT_TRUE(FileIsPackage(kSmallPackage));
  EXPECT_EQ(DownloadUrlToFile(server_.Url("/chunked"), File(), Quick()), 0);
  EXPECT_TRUE(FileIsPackage(kSmallPackage));
}

TEST_F(UrlDownloadWinTest, FailuresKeepNoFileAndGiveOurCodes) {
  const struct {
    std::string path;
    int32_t code;
  } cases[] = {
      {"/missing", kDownloadNotFound},
      {"/broken", kDownloadServerError},
      {"/stall", kDownloadTimeout},
  };
  for (const auto& c : cases) {
    std::ofstream(file_) << "an older file";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadUrlToFile(server_.Url(c.path), File(), Quick()), c.code) << c.path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.path;
    EXPECT_FALSE(FileExists()) << c.path;
  }
}

TEST_F(UrlDownloadWinTest, TheSizeBoundHoldsWithAndWithoutALength) {
  DownloadOptions options = Quick();
  options.max_bytes = 1 << 20;
  for (const char* path : {"/small", "/chunked"}) {
    EXPECT_EQ(DownloadUrlToFile(server_.Url(path), File(), options), kDownloadTooLarge) << path;
    EXPECT_FALSE(FileExists()) << path;
  }
  options.max_bytes = kSmallPackage;  // Exactly the size still passes.
  EXPECT_EQ(DownloadUrlToFile(server_.Url("/small"), File(), options), 0);
}

TEST_F(UrlDownloadWinTest, TheAbortFlagStopsAStalledTransfer) {
  std::atomic<bool> abort{true};
  DownloadOptions options;  // A minute of patience: only the flag can end it soon.
  options.abort = &abort;
  EXPECT_EQ(DownloadUrlToFile(server_.Url("/stall"), File(), options), kDownloadAborted);
  EXPECT_FALSE(FileExists());
}

TEST_F(UrlDownloadWinTest, BadAddressesAndAbsentServers) {
  EXPECT_EQ(DownloadUrlToFile(u"ftp://127.0.0.1/x", File()), kDownloadUnknownProtocol);
  EXPECT_EQ(DownloadUrlToFile(u"file:///C:/windows/win.ini", File()), kDownloadUnknownProtocol);
  EXPECT_EQ(DownloadUrlToFile(u"", File()), kDownloadInvalidAddress);
  // A port nobody listens on: a server is started and stopped to find one.
  std::u16string absent;
  {
    TestServer closed;
    ASSERT_TRUE(closed.listening());
    absent = closed.Url("/x");
  }
  EXPECT_EQ(DownloadUrlToFile(absent, File(), Quick()), kDownloadCannotConnect);
  EXPECT_FALSE(FileExists());
}

}  // namespace
}  // namespace platform
