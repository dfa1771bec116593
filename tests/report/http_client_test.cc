#include "report/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/platform/test_support.h"
#include "tests/report/report_server.h"

namespace report {
namespace {

using reporttest::ReportServer;
using testsupport::LoopbackServer;
using testsupport::RecordedRequest;

const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/56.0.2924.90 Safari/537.36 ZorvExplorer/9.3.2.17331";

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHttpClientLibrary();
    reporttest::ResetReportServer();
    HttpClient::ClearCommonProperties();
  }
  void TearDown() override { HttpClient::ClearCommonProperties(); }

  // One POST through a client with the standard headers.
  int32_t Post(const std::string& body, std::string* response = nullptr,
               int32_t timeout_seconds = 15) {
    HttpClient client;
    client.AddDefaultHeaders();
    client.set_connect_timeout(timeout_seconds);
    client.set_total_timeout(timeout_seconds);
    std::string text;
    int32_t result = client.PostLog(text, body);
    if (response) *response = text;
    return result;
  }

  // The header lines among `names`, in wire order.
  static std::vector<std::string> OurHeaderNames(const RecordedRequest& request) {
    static const std::vector<std::string> ours = {
        "Accept-Charset", "Accept-Encoding", "Accept-Language", "Cache-Control",
        "Connection",     "Cookie",          "User-Agent"};
    std::vector<std::string> names;
    for (const auto& name : request.HeaderNames()) {
      if (std::find(ours.begin(), ours.end(), name) != ours.end()) names.push_back(name);
    }
    return names;
  }
};

TEST_F(HttpClientTest, DefaultsMatchTheReportingContract) {
  HttpClient client;
  EXPECT_EQ(client.dns_cache_timeout(), 60);
  EXPECT_EQ(client.connect_timeout(), 15);
  EXPECT_EQ(client.total_timeout(), 15);
  EXPECT_EQ(client.attempts(), 2);
  EXPECT_EQ(client.proxy(), "");
  EXPECT_TRUE(client.headers().empty());
}

TEST_F(HttpClientTest, FirstHeaderValueWins) {
  HttpClient client;
  client.AddDefaultHeaders();
  client.AddHeader("Connection", "keep-alive");
  client.AddHeader("X-Extra", "1");
  client.AddHeader("X-Extra", "2");
  EXPECT_EQ(client.headers().at("Connection"), "close");
  EXPECT_EQ(client.headers().at("X-Extra"), "1");
  EXPECT_EQ(client.headers().size(), 7u);
}

TEST_F(HttpClientTest, SendsHeadersInNameOrderWithExactCookie) {
  HttpClient::SetCommonProperty("system", "Linux Mint 21 64bit");
  HttpClient::SetCommonProperty("appver", "1.6.1.8");
  HttpClient::SetCommonProperty("os", "linux");
  HttpClient::SetCommonProperty("imei", "0123456789ABCDEF0123456789ABCDEF");
  HttpClient::SetCommonProperty("appname", "ZorvInstaller");
  HttpClient::SetCommonProperty("coopcom", "zorv");
  HttpClient::SetCommonProperty("channel", "zorv_seo_link");

  const std::string body = "log=eyJhIjoiYiJ9+/==";
  std::string response;
  ASSERT_EQ(Post(body, &response), 0);
  EXPECT_EQ(response, "ok");
  ASSERT_EQ(ReportServer().RequestCount(), 1u);
  const RecordedRequest request = ReportServer().Requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/caller?c=site&a=writelog");
  EXPECT_EQ(request.body, body);

  EXPECT_EQ(OurHeaderNames(request),
            (std::vector<std::string>{"Accept-Charset", "Accept-Encoding", "Accept-Language",
                                      "Cache-Control", "Connection", "Cookie", "User-Agent"}));
  // Each line exactly as the client formats it: name, colon, one blank, value.
  const std::vector<std::string> expected_lines = {
      "Accept-Charset: utf-8;q=0.7,*;q=0.3",
      "Accept-Encoding: deflate",
      "Accept-Language: en-US,en;q=0.9",
      "Cache-Control: no-cache",
      "Connection: close",
      "Cookie: appname=ZorvInstaller;appver=1.6.1.8;channel=zorv_seo_link;coopcom=zorv;"
      "imei=0123456789ABCDEF0123456789ABCDEF;os=linux;system=Linux Mint 21 64bit;",
      std::string("User-Agent: ") + kUserAgent,
  };
  for (const auto& line : expected_lines) {
    EXPECT_EQ(std::count(request.header_lines.begin(), request.header_lines.end(), line), 1)
        << line;
  }
  // No Content-Type of our own: the library's form default, once.
  EXPECT_EQ(request.HeaderCount("Content-Type"), 1u);
  EXPECT_EQ(request.HeaderValue("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.HeaderValue("Content-Length"), std::to_string(body.size()));
}

TEST_F(HttpClientTest, NoCookieHeaderWhenNoProperties) {
  ASSERT_EQ(Post("log="), 0);
  ASSERT_EQ(ReportServer().RequestCount(), 1u);
  const RecordedRequest request = ReportServer().Requests()[0];
  EXPECT_EQ(request.HeaderCount("Cookie"), 0u);
  EXPECT_EQ(request.HeaderCount("User-Agent"), 1u);
}

TEST_F(HttpClientTest, PropertySetTwiceGoesOutOnceWithSecondValue) {
  HttpClient::SetCommonProperty("channel", "first");
  HttpClient::SetCommonProperty("channel", "second");
  ASSERT_EQ(Post("log="), 0);
  ASSERT_EQ(ReportServer().RequestCount(), 1u);
  EXPECT_EQ(ReportServer().Requests()[0].HeaderValue("Cookie"), "channel=second;");
}

TEST_F(HttpClientTest, EmptyPropertyValueKeepsItsEntry) {
  HttpClient::SetCommonProperty("channel", "");
  HttpClient::SetCommonProperty("os", "linux");
  ASSERT_EQ(Post("log="), 0);
  ASSERT_EQ(ReportServer().RequestCount(), 1u);
  EXPECT_EQ(ReportServer().Requests()[0].HeaderValue("Cookie"), "channel=;os=linux;");
}

TEST_F(HttpClientTest, ErrorStatusIsACompletedTransfer) {
  for (int status : {404, 500}) {
    reporttest::ResetReportServer();
    ReportServer().set_default_status(status);
    EXPECT_EQ(Post("log=QQ=="), 0) << status;
    EXPECT_EQ(ReportServer().RequestCount(), 1u) << status;
  }
}

TEST_F(HttpClientTest, StallingServerTimesOutAfterExactlyTwoAttempts) {
  HttpClient::SetCommonProperty("imei", "ID");
  ReportServer().set_mode(LoopbackServer::Mode::kStall);
  EXPECT_EQ(Post("log=QUJD", nullptr, 1), platform::kTransferTimedOut);
  ASSERT_EQ(ReportServer().RequestCount(), 2u);
  const auto requests = ReportServer().Requests();
  // The second attempt repeats the first one's header lines, each once.
  EXPECT_EQ(requests[1].header_lines, requests[0].header_lines);
  for (const auto& line : requests[1].header_lines) {
    EXPECT_EQ(std::count(requests[1].header_lines.begin(), requests[1].header_lines.end(), line), 1)
        << line;
  }
  EXPECT_EQ(requests[1].HeaderValue("Cookie"), "imei=ID;");
  EXPECT_EQ(requests[1].body, "log=QUJD");
}

TEST_F(HttpClientTest, ClosedConnectionFailsAfterTwoAttempts) {
  ReportServer().set_mode(LoopbackServer::Mode::kClose);
  EXPECT_EQ(Post("log="), platform::kTransferGotNothing);
  EXPECT_EQ(ReportServer().RequestCount(), 2u);
}

TEST_F(HttpClientTest, BrokenAnswersFailEachAttempt) {
  constexpr int32_t kAnyFailure = -1;  // The library's own choice of code.
  struct Case {
    std::string answer;
    int32_t result;
    std::string response;  // Kept from both attempts.
  };
  const Case cases[] = {
      {"garbage that is not HTTP\r\n\r\n", kAnyFailure, ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart", platform::kTransferPartialAnswer, "partpart"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", platform::kTransferOk, "abc"},
  };
  for (const auto& c : cases) {
    reporttest::ResetReportServer();
    ReportServer().set_mode(LoopbackServer::Mode::kRaw);
    ReportServer().set_raw_answer(c.answer);
    std::string response;
    const int32_t result = Post("log=", &response);
    if (c.result == kAnyFailure) {
      EXPECT_NE(result, platform::kTransferOk) << c.answer;
    } else {
      EXPECT_EQ(result, c.result) << c.answer;
    }
    EXPECT_EQ(response, c.response) << c.answer;
    EXPECT_EQ(ReportServer().RequestCount(), c.result == platform::kTransferOk ? 1u : 2u) << c.answer;
  }
}

TEST_F(HttpClientTest, UnreachableServerFailsAfterTwoAttempts) {
  // A loopback port that nobody listens on any more.
  LoopbackServer gone;
  ASSERT_TRUE(gone.Start());
  const std::string address = gone.host_port();
  gone.Stop();
  int32_t result = 0;
  {
    varnik_test::ScopedEnv unreachable("VARNIK_SERVER_HOST", address.c_str());
    EXPECT_EQ(HttpClient::ReportingUrl(), "http://" + address + "/caller?c=site&a=writelog");
    result = Post("log=");
  }
  EXPECT_EQ(result, platform::kTransferCouldNotConnect);
  EXPECT_EQ(ReportServer().RequestCount(), 0u);
}

TEST_F(HttpClientTest, AttemptsMemberBoundsTheLoop) {
  ReportServer().set_mode(LoopbackServer::Mode::kClose);
  HttpClient client;
  client.AddDefaultHeaders();
  client.set_attempts(3);
  std::string response;
  EXPECT_EQ(client.PostLog(response, "log="), platform::kTransferGotNothing);
  EXPECT_EQ(ReportServer().RequestCount(), 3u);
}

TEST_F(HttpClientTest, HugeAnswerIsReceivedButKeptBounded) {
  ReportServer().set_default_body(std::string(4 * 1024 * 1024, 'x'));
  std::string response;
  ASSERT_EQ(Post("log=", &response), 0);
  EXPECT_EQ(response, std::string(HttpClient::kMaxResponseBytes, 'x'));
  EXPECT_EQ(ReportServer().RequestCount(), 1u);
}

TEST(HttpClientCallbackTest, AppendResponseTextStopsAtNulAndClaimsWholeChunk) {
  struct Case {
    std::string chunk;
    size_t size;
    size_t count;
    std::string appended;
  };
  const Case cases[] = {
      {"hello", 1, 5, "hello"},
      {std::string("ab\0cd", 5), 1, 5, "ab"},
      {std::string("\0xyz", 4), 2, 2, ""},
      {"", 1, 0, ""},
  };
  for (const auto& c : cases) {
    std::string response = "prior|";
    std::string chunk = c.chunk;
    EXPECT_EQ(HttpClient::AppendResponseText(chunk.data(), c.size, c.count, &response),
              c.size * c.count);
    EXPECT_EQ(response, "prior|" + c.appended);
  }
}

}  // namespace
}  // namespace report
