// Fire-and-forget statistics events.
//
// ReportEvent builds the event's JSON envelope and its "log=" body on the
// calling thread (any thread) and posts the body to the "http Thread" (6),
// where a fresh HttpClient delivers it; deliveries run one after another in
// posting order. The caller never waits and never learns the outcome; when
// thread 6 is not running the report is dropped at once. Nothing here throws,
// blocks on the network or fails towards its caller.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "report/event_data.h"

namespace report {

// The screen facts of the start-up event, supplied by the UI framework.
struct DisplayMetrics {
  int32_t dpi = 96;             // System DPI.
  int32_t scale_percent = 100;  // The framework's scale factor, 100 when it does not scale.
};

// Sends `event_id` with `data`. Callable from any thread.
void ReportEvent(std::u16string event_id, EventData data);

// {"eventId":..,"imei":..,"appver":..,"appName":"ZorvInstaller","data":<data_text>}
// with no white space; "data" is left out only when `data_text` is empty.
// String members are JSON-escaped; `data_text` goes in unchanged.
std::u16string BuildEventEnvelope(const std::u16string& event_id, const std::u16string& data_text);

// "log=" followed by the Base64 text of the envelope's UTF-8 form.
std::string EncodeEventBody(const std::u16string& envelope);

// Encodes `envelope` and posts its delivery to thread 6; false when the
// thread is not there (the report is then dropped).
bool PostEventBody(const std::u16string& envelope);

// Fills the common report properties (the Cookie of every report) and the
// identity caches; a new machine identifier is written back on thread 6,
// before any report goes out. Call once on the UI thread during start-up,
// before anything is reported. The first form reads
// the channel from the executable; the second takes it (nullopt: no channel
// resource, sent as "default").
void GatherReportProperties();
void GatherReportProperties(const std::optional<std::u16string>& channel);

// Sends "AppStart" with "Dpi", "FirstStart" = "true" and "Scale".
void ReportAppStart(const DisplayMetrics& metrics);

// Waits until every report posted so far has been delivered or dropped, for
// at most `timeout`. True when none is left. Never waits past its bound (a
// delivery in progress is not interrupted; it simply is not waited for).
// Meant for the end of the process; do not call it on thread 6.
bool FlushPendingReports(std::chrono::milliseconds timeout);

// Reports posted and not yet delivered or dropped.
size_t PendingReportCount();

}  // namespace report
