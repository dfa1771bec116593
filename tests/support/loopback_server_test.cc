#include "tests/support/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace testsupport {
namespace {

constexpr std::chrono::seconds kWatchdog{20};

// Sends `request` over a fresh connection and returns everything the server
// sends until it closes (reads give up after the watchdog).
std::string Exchange(int port, const std::string& request) {
  const SocketFd fd = ConnectToLoopback(port);
  StopSignal never;  // opened, never raised: only the watchdog ends a read
  std::string answer;
  if (fd != kNoSocket && never.Open() && WriteAll(fd, request)) {
    const int watchdog_ms = static_cast<int>(std::chrono::milliseconds(kWatchdog).count());
    while (ReadMore(fd, never, answer, watchdog_ms)) {
    }
  }
  CloseSocket(fd);
  return answer;
}

TEST(LoopbackServerTest, RecordsWireOrderDuplicatesAndChunkedBody) {
  LoopbackServer server;
  ASSERT_TRUE(server.Start());
  const std::string answer = Exchange(server.port(),
                                      "POST /up?x=1&y=%20 HTTP/1.1\r\n"
                                      "Host: 127.0.0.1\r\n"
                                      "X-B: 2\r\n"
                                      "x-a:1\r\n"
                                      "X-B: 3\r\n"
                                      "Transfer-Encoding: chunked\r\n"
                                      "Connection: close\r\n"
                                      "\r\n"
                                      "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n");
  EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
  EXPECT_EQ(answer.substr(answer.size() - 2), "ok");
  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/up?x=1&y=%20");
  EXPECT_EQ(request.path, "/up");
  EXPECT_EQ(request.query, "x=1&y=%20");
  EXPECT_EQ(request.header_lines,
            (std::vector<std::string>{"Host: 127.0.0.1", "X-B: 2", "x-a:1", "X-B: 3",
                                      "Transfer-Encoding: chunked", "Connection: close"}));
  EXPECT_EQ(request.HeaderValue("X-A"), "1");
  EXPECT_EQ(request.HeaderValue("x-b"), "2");
  EXPECT_EQ(request.HeaderCount("X-B"), 2u);
  EXPECT_EQ(request.body, "abcde");
}

TEST(LoopbackServerTest, RoutesAnswerThroughTheRecorderAndKeepAliveIsRecordedPerRequest) {
  LoopbackServer server;
  server.routes().Get("/file", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("content", "application/octet-stream");
  });
  ASSERT_TRUE(server.Start());
  server.set_default_status(404);
  httplib::Client client("127.0.0.1", server.port());
  client.set_keep_alive(true);
  client.set_read_timeout(kWatchdog.count(), 0);
  auto file = client.Get("/file");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_EQ(file->body, "content");
  auto missing = client.Get("/other");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  ASSERT_EQ(server.RequestCount(), 2u);
  EXPECT_EQ(server.Requests()[1].path, "/other");
  EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(LoopbackServerTest, CloseModeAnswersNothing) {
  LoopbackServer server;
  ASSERT_TRUE(server.Start());
  server.set_mode(LoopbackServer::Mode::kClose);
  EXPECT_EQ(Exchange(server.port(), "GET / HTTP/1.1\r\nHost: h\r\n\r\n"), "");
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(LoopbackServerTest, StalledConnectionsEndOnReleaseAndOnStop) {
  LoopbackServer server;
  ASSERT_TRUE(server.Start());
  server.set_mode(LoopbackServer::Mode::kStall);
  const std::string request = "GET /slow HTTP/1.1\r\nHost: h\r\n\r\n";
  auto released = std::async(std::launch::async, [&] { return Exchange(server.port(), request); });
  ASSERT_TRUE(server.WaitForRequests(1, kWatchdog));
  server.ReleaseStalled();
  ASSERT_EQ(released.wait_for(kWatchdog), std::future_status::ready);
  EXPECT_EQ(released.get(), "");

  auto stopped = std::async(std::launch::async, [&] { return Exchange(server.port(), request); });
  ASSERT_TRUE(server.WaitForRequests(2, kWatchdog));
  server.Stop();
  ASSERT_EQ(stopped.wait_for(kWatchdog), std::future_status::ready);
  EXPECT_EQ(stopped.get(), "");
}

TEST(LoopbackServerTest, MalformedRequestIsDroppedWithoutRecord) {
  LoopbackServer server;
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(Exchange(server.port(), "NONSENSE\r\n\r\n"), "");
  EXPECT_EQ(Exchange(server.port(),
                     "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n"),
            "");
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(LogBodyTest, DecodesOnlyWellFormedBodies) {
  struct Case {
    std::string body;
    bool ok;
    std::string envelope;
  };
  const Case cases[] = {
      {"log=", true, ""},
      {"log=e30=", true, "{}"},
      {"log=e2FifQ==", true, "{ab}"},
      {"log=5bey", true, "已"},
      {"log=+/8=", true, "\xfb\xff"},
      {"e30=", false, ""},          // No "log=".
      {"log=e30", false, ""},       // Not a multiple of four.
      {"log=e3=0", false, ""},      // Padding in the middle.
      {"log=e30=e30=", false, ""},  // Padding before the end.
      {"log=e3 0", false, ""},      // Outside the alphabet.
      {"log=e3-_", false, ""},      // URL-safe alphabet is not ours.
  };
  for (const auto& c : cases) {
    std::string envelope = "untouched";
    EXPECT_EQ(DecodeLogBody(c.body, &envelope), c.ok) << c.body;
    if (c.ok) {
      EXPECT_EQ(envelope, c.envelope) << c.body;
    }
  }
}

}  // namespace
}  // namespace testsupport
