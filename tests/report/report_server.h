// The environment of the report_tests process: one real loopback reporting
// server that VARNIK_SERVER_HOST points every report at, and a private
// configuration folder (XDG_CONFIG_HOME) that holds the registry hive. Both
// are set up before the first test, before any thread exists.
#pragma once

#include <chrono>
#include <string>

#include "tests/support/loopback_server.h"

namespace reporttest {

// Watchdog for every wait on the server or on deliveries.
constexpr std::chrono::seconds kWatchdog{20};

testsupport::LoopbackServer& ReportServer();

// Serve mode, status 200, no stalled connection, no recorded requests.
void ResetReportServer();

// The private folder the process's registry hive lives in.
const std::string& ConfigFolder();

}  // namespace reporttest
