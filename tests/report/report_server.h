// The one reporting server of the report_tests process: a real loopback
// server, started on first use, that VARNIK_SERVER_HOST points every report
// at. Each test resets its mode, status and recorded requests.
#pragma once

#include <chrono>

#include "tests/support/loopback_server.h"

namespace reporttest {

// Watchdog for every wait on the server or on deliveries.
constexpr std::chrono::seconds kWatchdog{20};

testsupport::LoopbackServer& ReportServer();

// Serve mode, status 200, no recorded requests.
void ResetReportServer();

}  // namespace reporttest
