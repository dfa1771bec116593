#include "report/event_reporter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/misc_thread.h"
#include "base/thread_ids.h"
#include "base/utf.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "report/http_client.h"
#include "report/machine_identity.h"
#include "tests/report/report_server.h"

// On Windows GoogleTest brings in windows.h, whose ReportEvent macro names
// the system's event-log call; here the name is ours.
#undef ReportEvent

namespace report {
namespace {

using nbase::Utf16ToUtf8;
using reporttest::kWatchdog;
using reporttest::ReportServer;
using testsupport::LoopbackServer;

// The envelope the server must see, with the identity this fixture stores.
std::u16string Envelope(const std::u16string& event_id, const std::u16string& data) {
  return u"{\"eventId\":\"" + event_id +
         u"\",\"imei\":\"ID\",\"appver\":\"1.0.0.0\",\"appName\":\"ZorvInstaller\",\"data\":" +
         data + u"}";
}

// The envelopes of every recorded request, in arrival order.
std::vector<std::string> ReceivedEnvelopes() {
  std::vector<std::string> envelopes;
  for (const auto& request : ReportServer().Requests()) {
    std::string envelope;
    EXPECT_TRUE(testsupport::DecodeLogBody(request.body, &envelope)) << request.body;
    envelopes.push_back(envelope);
  }
  return envelopes;
}

class EventReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reporttest::ResetReportServer();
    HttpClient::ClearCommonProperties();
    ResetIdentityCachesForTesting();
    ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kUniqueIdValue, u"ID"), 0);
    GatherReportProperties(std::u16string(u"zorv_seo_link"));
  }
  void TearDown() override {
    reporttest::ResetReportServer();  // Frees a delivery held by a stall.
    StopHttpThread();
    EXPECT_EQ(PendingReportCount(), 0u);
    HttpClient::ClearCommonProperties();
    ResetIdentityCachesForTesting();
  }

  void StartHttpThread() {
    http_thread_ = std::make_unique<nbase::MiscThread>(nbase::kThreadHttp, "http Thread");
    ASSERT_TRUE(http_thread_->Start());
  }
  void StopHttpThread() {
    if (http_thread_) http_thread_->Stop();
    http_thread_.reset();
  }

  std::unique_ptr<nbase::MiscThread> http_thread_;
};

TEST_F(EventReporterTest, EnvelopeOfTheStartEvent) {
  for (const auto& [dpi, scale, data] :
       {std::tuple{96, 100, u"{\"Dpi\":\"96\",\"FirstStart\":\"true\",\"Scale\":\"100\"}"},
        std::tuple{144, 150, u"{\"Dpi\":\"144\",\"FirstStart\":\"true\",\"Scale\":\"150\"}"}}) {
    EventData table;
    table.Set(u"FirstStart", u"true");
    table.SetNumber(u"Scale", scale);
    table.SetNumber(u"Dpi", dpi);
    EXPECT_EQ(BuildEventEnvelope(u"AppStart", table.ToJsonText()), Envelope(u"AppStart", data));
  }
  EXPECT_EQ(BuildEventEnvelope(u"AppStart", u""),
            u"{\"eventId\":\"AppStart\",\"imei\":\"ID\",\"appver\":\"1.0.0.0\","
            u"\"appName\":\"ZorvInstaller\"}");
}

TEST_F(EventReporterTest, BodyIsBase64OfUtf8WithPadding) {
  struct Case {
    std::u16string envelope;
    std::string body;
  };
  const Case cases[] = {
      {u"{a}", "log=e2F9"},       // 3 bytes: no padding.
      {u"{ab}", "log=e2FifQ=="},  // 3n+1: "==".
      {u"{}", "log=e30="},        // 3n+2: "=".
      {u"已", "log=5bey"},        // One CJK character, three UTF-8 bytes.
      {u"", "log="},
      {u"{}\xD800", "log="},  // A high surrogate last empties the text.
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeEventBody(c.envelope), c.body);
}

TEST_F(EventReporterTest, DeliveredBodyDecodesToTheEnvelopeByteForByte) {
  StartHttpThread();
  ReportEvent(u"OnClick", EventData{{u"btn_exit", u"Start 已安装"}});
  ReportAppStart(DisplayMetrics{120, 125});
  ASSERT_TRUE(ReportServer().WaitForRequests(2, kWatchdog));
  const auto envelopes = ReceivedEnvelopes();
  EXPECT_EQ(envelopes[0], Utf16ToUtf8(Envelope(u"OnClick", u"{\"btn_exit\":\"Start 已安装\"}")));
  EXPECT_EQ(envelopes[1],
            Utf16ToUtf8(Envelope(u"AppStart",
                                 u"{\"Dpi\":\"120\",\"FirstStart\":\"true\",\"Scale\":\"125\"}")));
  const auto request = ReportServer().Requests()[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/caller?c=site&a=writelog");
  EXPECT_EQ(request.HeaderValue("Cookie"),
            "appname=ZorvInstaller;appver=1.0.0.0;channel=zorv_seo_link;coopcom=zorv;imei=ID;"
            "os=" + std::string(platform::GetPlatformName()) + ";system=" +
                Utf16ToUtf8(platform::GetOsName()) + " " + Utf16ToUtf8(platform::GetBitnessText()) +
                ";");
  EXPECT_TRUE(FlushPendingReports(kWatchdog));
}

TEST_F(EventReporterTest, GatheredPropertiesOfAProgramWithoutResources) {
  HttpClient::ClearCommonProperties();
  ResetIdentityCachesForTesting();
  GatherReportProperties();  // This test program carries no channel and no version.
  const std::map<std::string, std::string> expected = {
      {"appname", "ZorvInstaller"},
      {"appver", "1.0.0.0"},
      {"channel", "default"},
      {"coopcom", "zorv"},
      {"imei", "ID"},
      {"os", platform::GetPlatformName()},
      {"system",
       Utf16ToUtf8(platform::GetOsName()) + " " + Utf16ToUtf8(platform::GetBitnessText())},
  };
  EXPECT_EQ(HttpClient::CommonProperties(), expected);
}

TEST_F(EventReporterTest, ChannelCookieForMissingAndEmptyResource) {
  struct Case {
    std::optional<std::u16string> channel;
    std::string cookie_entry;
  };
  const Case cases[] = {
      {std::nullopt, ";channel=default;"},
      {std::u16string(), ";channel=;"},
      {std::u16string(u"渠道_7"), ";channel=渠道_7;"},
  };
  StartHttpThread();
  for (const auto& c : cases) {
    reporttest::ResetReportServer();
    HttpClient::ClearCommonProperties();
    GatherReportProperties(c.channel);
    ReportEvent(u"OnClick", EventData{{u"ClickSrc", u"Install"}});
    ASSERT_TRUE(ReportServer().WaitForRequests(1, kWatchdog));
    // Flushed before the next case rewrites the properties.
    ASSERT_TRUE(FlushPendingReports(kWatchdog));
    const std::string cookie = ReportServer().Requests()[0].HeaderValue("Cookie");
    EXPECT_NE(cookie.find(c.cookie_entry), std::string::npos) << cookie;
  }
}

TEST_F(EventReporterTest, DeliveriesKeepPostingOrderWithOneConnectionEach) {
  StartHttpThread();
  const size_t connections_before = ReportServer().ConnectionCount();
  constexpr int kReports = 12;
  for (int i = 0; i < kReports; ++i) {
    EventData data;
    data.SetNumber(u"retryTime", i);
    ReportEvent(u"Seq", std::move(data));
  }
  ASSERT_TRUE(ReportServer().WaitForRequests(kReports, kWatchdog));
  ASSERT_TRUE(FlushPendingReports(kWatchdog));
  const auto envelopes = ReceivedEnvelopes();
  ASSERT_EQ(envelopes.size(), static_cast<size_t>(kReports));
  for (int i = 0; i < kReports; ++i) {
    EXPECT_EQ(envelopes[i],
              Utf16ToUtf8(Envelope(
                  u"Seq", u"{\"retryTime\":\"" + nbase::Utf8ToUtf16(std::to_string(i)) + u"\"}")));
  }
  EXPECT_EQ(ReportServer().ConnectionCount() - connections_before, static_cast<size_t>(kReports));
}

TEST_F(EventReporterTest, ReportsFromManyThreadsAllArriveWhole) {
  StartHttpThread();
  constexpr int kThreads = 4;
  constexpr int kEach = 10;
  std::vector<std::thread> callers;
  for (int t = 0; t < kThreads; ++t) {
    callers.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) {
        EventData data;
        data.SetNumber(u"thread", t);
        data.SetNumber(u"index", i);
        ReportEvent(u"Parallel", std::move(data));
      }
    });
  }
  for (auto& caller : callers) caller.join();
  ASSERT_TRUE(FlushPendingReports(kWatchdog));
  const std::vector<std::string> envelopes = ReceivedEnvelopes();
  const std::multiset<std::string> received(envelopes.begin(), envelopes.end());
  std::multiset<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kEach; ++i) {
      expected.insert(Utf16ToUtf8(Envelope(
          u"Parallel", u"{\"index\":\"" + nbase::Utf8ToUtf16(std::to_string(i)) +
                           u"\",\"thread\":\"" + nbase::Utf8ToUtf16(std::to_string(t)) + u"\"}")));
    }
  }
  EXPECT_EQ(received, expected);
}

TEST_F(EventReporterTest, ReportWithoutHttpThreadIsDroppedAndCallerGoesOn) {
  EXPECT_FALSE(PostEventBody(u"{\"eventId\":\"Lost\"}"));
  ReportEvent(u"Lost", EventData{{u"ret", u"1"}});
  EXPECT_EQ(PendingReportCount(), 0u);

  // A thread that has stopped drops reports the same way.
  StartHttpThread();
  StopHttpThread();
  ReportEvent(u"Lost", EventData{{u"ret", u"2"}});
  EXPECT_EQ(PendingReportCount(), 0u);

  // Only what is posted to a running thread arrives.
  StartHttpThread();
  ReportEvent(u"Marker", EventData());
  ASSERT_TRUE(ReportServer().WaitForRequests(1, kWatchdog));
  ASSERT_TRUE(FlushPendingReports(kWatchdog));
  const auto envelopes = ReceivedEnvelopes();
  ASSERT_EQ(envelopes.size(), 1u);
  EXPECT_EQ(envelopes[0], Utf16ToUtf8(Envelope(u"Marker", u"{}")));
}

TEST_F(EventReporterTest, FlushNeverWaitsPastItsBound) {
  StartHttpThread();
  ReportServer().set_mode(LoopbackServer::Mode::kStall);
  ReportEvent(u"Held", EventData());
  ReportEvent(u"Queued", EventData());
  ASSERT_TRUE(ReportServer().WaitForRequests(1, kWatchdog));
  EXPECT_EQ(PendingReportCount(), 2u);

  const auto bound = std::chrono::milliseconds(300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(FlushPendingReports(bound));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, bound);
  EXPECT_LT(waited, bound + std::chrono::seconds(2));

  // Once the server answers again both reports go out and the flush succeeds.
  ReportServer().set_mode(LoopbackServer::Mode::kServe);
  ReportServer().ReleaseStalled();
  EXPECT_TRUE(FlushPendingReports(kWatchdog));
  EXPECT_EQ(PendingReportCount(), 0u);
  std::vector<std::string> ids;
  for (const auto& envelope : ReceivedEnvelopes()) ids.push_back(envelope.substr(0, 18));
  // "Held" twice (the stalled attempt and its retry), then "Queued".
  EXPECT_EQ(ids, (std::vector<std::string>{"{\"eventId\":\"Held\",", "{\"eventId\":\"Held\",",
                                           "{\"eventId\":\"Queued"}));
}

TEST_F(EventReporterTest, ValuesThatBreakJsonAreEscaped) {
  StartHttpThread();
  ReportEvent(
      u"InstallResultReport",
      EventData{{u"errorMsg", u"Download Faild :\"C:\\tmp\"\r\n\x01"}, {u"result", u"faild"}});
  // Text that needs no escaping is sent exactly as before.
  ReportEvent(u"OnClick", EventData{{u"btn_exit", u"Start a\u201Db 曾安装无理由"}});
  ASSERT_TRUE(ReportServer().WaitForRequests(2, kWatchdog));
  ASSERT_TRUE(FlushPendingReports(kWatchdog));
  const auto envelopes = ReceivedEnvelopes();
  EXPECT_EQ(envelopes[0], Utf16ToUtf8(Envelope(
                              u"InstallResultReport",
                              u"{\"errorMsg\":\"Download Faild :\\\"C:\\\\tmp\\\"\\r\\n\\u0001\","
                              u"\"result\":\"faild\"}")));
  EXPECT_EQ(envelopes[1],
            Utf16ToUtf8(Envelope(u"OnClick", u"{\"btn_exit\":\"Start a\u201Db 曾安装无理由\"}")));
}

}  // namespace
}  // namespace report
