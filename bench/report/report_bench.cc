// Measures what reporting costs.
//
// 1. The caller's cost of one ReportEvent (data text, envelope, UTF-8,
//    Base64, one task post), beside the cost of posting an empty task to the
//    same thread: the part of the cost that is the post itself.
// 2. Sequential delivery to a loopback server through the http thread,
//    beside a minimal libcurl loop posting the same bodies the same way (a
//    fresh handle and connection per body): the floor.
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "base/misc_thread.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "bench/common/bench_metric.h"
#include "report/event_reporter.h"
#include "report/http_client.h"
#include "tests/support/loopback_server.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

report::EventData SampleData(int i) {
  report::EventData data;
  data.SetNumber(u"cost", 42 + i);
  data.SetNumber(u"fileSize", 10485760);
  data.Set(u"ret", u"0");
  data.SetNumber(u"retryTime", i % 6);
  data.Set(u"btn_exit", u"Start 已安装");
  return data;
}

// Holds thread 6 busy until released, so that posts only queue up.
class HttpThreadGate {
 public:
  void Close() {
    nbase::ThreadRegistry::PostTask(nbase::kThreadHttp,
                                    [future = released_.get_future().share()] { future.wait(); });
  }
  void Open() { released_.set_value(); }

 private:
  std::promise<void> released_;
};

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

double CurlFloor(const std::string& url, const std::vector<std::string>& bodies) {
  const auto start = Clock::now();
  for (const auto& body : bodies) {
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Connection: close");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_perform(curl);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
  }
  return Seconds(Clock::now() - start);
}

}  // namespace

int main() {
  // A private registry hive and a closed loopback port while the caller's
  // cost is measured (queued deliveries then fail fast when released).
  char folder[] = "/tmp/report_bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  setenv("XDG_CONFIG_HOME", folder, 1);
  setenv("VARNIK_SERVER_HOST", "127.0.0.1:1", 1);

  report::InitHttpClientLibrary();
  report::GatherReportProperties(std::u16string(u"zorv_seo_link"));
  nbase::MiscThread http_thread(nbase::kThreadHttp, "http Thread");
  if (!http_thread.Start()) return 1;

  // 1. Caller's cost.
  constexpr int kCalls = 10000;
  double report_seconds = 0;
  double post_seconds = 0;
  double text_seconds = 0;
  double data_seconds = 0;
  size_t sink = 0;
  // Batches of a realistic queue depth, each part measured in every batch
  // under the same conditions. The queue drains between batches (the
  // deliveries fail fast on the closed port), outside the timing.
  constexpr int kBatch = 200;
  for (int done = 0; done < kCalls; done += kBatch) {
    // Filling the table alone, then the texts without the post.
    auto start = Clock::now();
    for (int i = done; i < done + kBatch; ++i) sink += SampleData(i).size();
    data_seconds += Seconds(Clock::now() - start);
    start = Clock::now();
    for (int i = done; i < done + kBatch; ++i) {
      sink += report::EncodeEventBody(
                  report::BuildEventEnvelope(u"DownloadTimeCost", SampleData(i).ToJsonText()))
                  .size();
    }
    text_seconds += Seconds(Clock::now() - start);

    HttpThreadGate gate;
    gate.Close();
    start = Clock::now();
    for (int i = done; i < done + kBatch; ++i) {
      report::ReportEvent(u"DownloadTimeCost", SampleData(i));
    }
    report_seconds += Seconds(Clock::now() - start);
    start = Clock::now();
    for (int i = 0; i < kBatch; ++i) nbase::ThreadRegistry::PostTask(nbase::kThreadHttp, [] {});
    post_seconds += Seconds(Clock::now() - start);
    gate.Open();
    if (!report::FlushPendingReports(std::chrono::minutes(1))) return 1;
  }
  if (sink == 0) return 1;
  const double report_us = report_seconds / kCalls * 1e6;
  const double post_us = post_seconds / kCalls * 1e6;
  std::printf("ReportEvent, caller's cost:      %8.2f us per call\n", report_us);
  std::printf("  filling the EventData alone:   %8.2f us\n", data_seconds / kCalls * 1e6);
  std::printf("  filling + texts, no post:      %8.2f us\n", text_seconds / kCalls * 1e6);
  std::printf("empty PostTask to thread 6:      %8.2f us per call\n", post_us);
  std::printf("ratio ReportEvent / PostTask:    %8.2f\n", report_us / post_us);
  bench::PrintMetric("report_caller_us", report_us);
  bench::PrintMetric("report_post_us", post_us);

  // 2. Delivery throughput.
  testsupport::LoopbackServer server;
  if (!server.Start()) return 1;
  setenv("VARNIK_SERVER_HOST", server.host_port().c_str(), 1);
  // Rounds alternate between the two, so that a busy machine weighs on
  // both alike; the floor posts the bodies the round before delivered.
  constexpr int kRounds = 8;
  constexpr int kPerRound = 50;
  constexpr int kReports = kRounds * kPerRound;
  double delivery_seconds = 0;
  double floor_seconds = 0;
  for (int round = 0; round < kRounds; ++round) {
    server.ClearRequests();
    auto start = Clock::now();
    for (int i = 0; i < kPerRound; ++i) {
      report::ReportEvent(u"DownloadTimeCost", SampleData(round * kPerRound + i));
    }
    if (!report::FlushPendingReports(std::chrono::minutes(5))) return 1;
    delivery_seconds += Seconds(Clock::now() - start);
    if (server.RequestCount() != kPerRound) return 1;

    std::vector<std::string> bodies;
    for (const auto& request : server.Requests()) bodies.push_back(request.body);
    server.ClearRequests();
    floor_seconds += CurlFloor(report::HttpClient::ReportingUrl(), bodies);
    if (server.RequestCount() != kPerRound) return 1;
  }

  const double delivery_rate = kReports / delivery_seconds;
  const double floor_rate = kReports / floor_seconds;
  std::printf("delivery via http thread:        %8.0f reports/s\n", delivery_rate);
  std::printf("bare libcurl loop (floor):       %8.0f posts/s\n", floor_rate);
  std::printf("ratio delivery / floor:          %8.2f\n", delivery_rate / floor_rate);
  bench::PrintMetric("report_delivery_per_s", delivery_rate);
  bench::PrintMetric("report_curl_per_s", floor_rate);

  http_thread.Stop();
  server.Stop();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
