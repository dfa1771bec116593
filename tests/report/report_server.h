// The environment of the report_tests process: one real loopback reporting
// server that VARNIK_SERVER_HOST points every report at, a per-user registry
// private to the process, and a scratch folder for files. All are set up
// before the first test, before any thread exists.
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

// A private folder for files the tests make.
const std::string& ScratchFolder();

}  // namespace reporttest
