#include "report/event_reporter.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "platform/system_info.h"
#include "report/base64.h"
#include "report/http_client.h"
#include "report/json_text.h"
#include "report/machine_identity.h"

namespace report {

namespace {

const char16_t kAppName[] = u"ZorvInstaller";

// Reports posted and not yet finished; a delivery counts until its task is
// gone, whether it ran or was discarded with a stopped thread's queue.
class PendingCounter {
 public:
  void Add() {
    std::lock_guard<std::mutex> hold(lock_);
    ++count_;
  }
  void Done() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      --count_;
    }
    changed_.notify_all();
  }
  size_t count() {
    std::lock_guard<std::mutex> hold(lock_);
    return count_;
  }
  bool WaitForNone(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, timeout, [this] { return count_ == 0; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  size_t count_ = 0;
};

PendingCounter& Pending() {
  static PendingCounter* counter = new PendingCounter();  // Outlives every thread.
  return *counter;
}

// One report's body on its way to the server.
class Delivery {
 public:
  explicit Delivery(std::string body) : body_(std::move(body)) { Pending().Add(); }
  ~Delivery() { Pending().Done(); }
  Delivery(const Delivery&) = delete;
  Delivery& operator=(const Delivery&) = delete;

  // Runs on thread 6: a fresh client per report; the outcome is ignored.
  void Send() const {
    HttpClient client;
    client.AddDefaultHeaders();
    std::string response;
    client.PostLog(response, body_);
  }

 private:
  const std::string body_;
};

void AppendMember(std::u16string& out, const char16_t* name, const std::u16string& value) {
  out += u'"';
  out += name;
  out += u"\":";
  AppendJsonString(out, value);
}

}  // namespace

std::u16string BuildEventEnvelope(const std::u16string& event_id, const std::u16string& data_text) {
  std::u16string envelope;
  envelope.reserve(128 + event_id.size() + data_text.size());
  envelope += u'{';
  AppendMember(envelope, u"eventId", event_id);
  envelope += u',';
  AppendMember(envelope, u"imei", GetMachineId());
  envelope += u',';
  AppendMember(envelope, u"appver", GetFileVersionText());
  envelope += u',';
  AppendMember(envelope, u"appName", kAppName);
  if (!data_text.empty()) {
    envelope += u",\"data\":";
    envelope += data_text;
  }
  envelope += u'}';
  return envelope;
}

std::string EncodeEventBody(const std::u16string& envelope) {
  return "log=" + Base64Encode(nbase::Utf16ToUtf8(envelope));
}

bool PostEventBody(const std::u16string& envelope) {
  auto delivery = std::make_shared<Delivery>(EncodeEventBody(envelope));
  // A refused post destroys the task and with it the body: the report is lost.
  return nbase::ThreadRegistry::PostTask(nbase::kThreadHttp,
                                         [delivery = std::move(delivery)] { delivery->Send(); });
}

void ReportEvent(std::u16string event_id, EventData data) {
  PostEventBody(BuildEventEnvelope(event_id, data.ToJsonText()));
}

void GatherReportProperties() {
  std::u16string channel;
  if (platform::ReadChannel(&channel)) {
    GatherReportProperties(std::optional<std::u16string>(std::move(channel)));
  } else {
    GatherReportProperties(std::nullopt);
  }
}

void GatherReportProperties(const std::optional<std::u16string>& channel) {
  // Nothing here waits on the report thread's work: the HTTP library is
  // started by the first report's client there, and a new machine
  // identifier is written to the registry there, ahead of every report.
  using nbase::Utf16ToUtf8;
  HttpClient::SetCommonProperty("appver", Utf16ToUtf8(GetFileVersionText()));
  HttpClient::SetCommonProperty("os", platform::GetPlatformName());
  HttpClient::SetCommonProperty("imei", Utf16ToUtf8(GetMachineIdWrittenOn(nbase::kThreadHttp)));
  HttpClient::SetCommonProperty("appname", Utf16ToUtf8(kAppName));
  HttpClient::SetCommonProperty(
      "system", Utf16ToUtf8(platform::GetOsName() + u" " + platform::GetBitnessText()));
  HttpClient::SetCommonProperty("coopcom", "zorv");
  HttpClient::SetCommonProperty("channel", channel ? Utf16ToUtf8(*channel) : "default");
}

void ReportAppStart(const DisplayMetrics& metrics) {
  EventData data;
  data.Set(u"FirstStart", u"true");
  data.SetNumber(u"Dpi", metrics.dpi);
  data.SetNumber(u"Scale", metrics.scale_percent);
  ReportEvent(u"AppStart", std::move(data));
}

bool FlushPendingReports(std::chrono::milliseconds timeout) {
  return Pending().WaitForNone(timeout);
}

size_t PendingReportCount() { return Pending().count(); }

}  // namespace report
