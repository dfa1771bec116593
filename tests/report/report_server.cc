#include "tests/report/report_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace reporttest {

namespace {

testsupport::LoopbackServer* server = nullptr;
std::string* config_folder = nullptr;

class ReportEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/report_tests.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config_folder = new std::string(pattern);
    setenv("XDG_CONFIG_HOME", config_folder->c_str(), 1);
    server = new testsupport::LoopbackServer();
    ASSERT_TRUE(server->Start());
    setenv("VARNIK_SERVER_HOST", server->host_port().c_str(), 1);
  }
  void TearDown() override {
    server->Stop();
    std::error_code ignored;
    std::filesystem::remove_all(*config_folder, ignored);
  }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ReportEnvironment());

}  // namespace

testsupport::LoopbackServer& ReportServer() { return *server; }

const std::string& ConfigFolder() { return *config_folder; }

void ResetReportServer() {
  server->set_mode(testsupport::LoopbackServer::Mode::kServe);
  server->set_default_status(200);
  server->set_default_body("ok");
  server->ReleaseStalled();
  server->ClearRequests();
}

}  // namespace reporttest
