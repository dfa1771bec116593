// The environment of the package_tests process: private XDG folders (the
// registry hive, both installed-program views, the package's data folder),
// one package server on loopback that VARNIK_SERVER_HOST points every host
// at, and a running "http Thread" so reports really reach that server. All of
// it is set up before the first test, before any other thread exists.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/package_server.h"

namespace packagetest {

// Watchdog for every wait on the server, a report or a process.
constexpr std::chrono::seconds kWatchdog{30};

testsupport::PackageServer& Server();

// The root of the private folders, and its parts.
const std::string& Root();
std::string DataHome();          // $XDG_DATA_HOME: the per-user (64-bit) view.
std::string SystemDataDir();     // The only folder of $XDG_DATA_DIRS: the default view.
std::string ProductAppRecord();  // $VARNIK_PRODUCT_APP_RECORD.

// The demo package and the demo product application built by the tools.
std::string DemoPackagePath();
std::string ProductAppBinary();

// Server back to normal, reports cleared, installed-program views emptied.
void ResetWorld();

// The envelopes of the reports named `event_id`, waiting until at least
// `count` of them arrived (at most kWatchdog).
std::vector<std::string> WaitForEvents(const std::string& event_id, size_t count);
// All event ids received so far, in order.
std::vector<std::string> EventIds();
// The "data" object of an envelope, as text.
std::string DataOf(const std::string& envelope);

}  // namespace packagetest
