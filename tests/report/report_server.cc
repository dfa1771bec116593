#include "tests/report/report_server.h"

#include <cstdlib>

namespace reporttest {

testsupport::LoopbackServer& ReportServer() {
  static testsupport::LoopbackServer* server = [] {
    auto* started = new testsupport::LoopbackServer();
    if (!started->Start()) std::abort();
    setenv("VARNIK_SERVER_HOST", started->host_port().c_str(), 1);
    return started;
  }();
  return *server;
}

void ResetReportServer() {
  auto& server = ReportServer();
  server.set_mode(testsupport::LoopbackServer::Mode::kServe);
  server.set_default_status(200);
  server.ClearRequests();
}

}  // namespace reporttest
