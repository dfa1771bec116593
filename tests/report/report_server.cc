#include "tests/report/report_server.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/platform/test_support.h"

namespace reporttest {

namespace {

testsupport::LoopbackServer* server = nullptr;
varnik_test::ScopedTempDir* scratch_folder = nullptr;

class ReportEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    registry_ = std::make_unique<varnik_test::PrivateUserRegistry>();
    scratch_folder = new varnik_test::ScopedTempDir();
    ASSERT_FALSE(scratch_folder->path().empty());
    server = new testsupport::LoopbackServer();
    ASSERT_TRUE(server->Start());
    server_host_ = std::make_unique<varnik_test::ScopedEnv>("VARNIK_SERVER_HOST",
                                                            server->host_port().c_str());
  }
  void TearDown() override {
    server->Stop();
    delete scratch_folder;
    scratch_folder = nullptr;
    registry_.reset();
  }

 private:
  std::unique_ptr<varnik_test::PrivateUserRegistry> registry_;
  std::unique_ptr<varnik_test::ScopedEnv> server_host_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ReportEnvironment());

}  // namespace

testsupport::LoopbackServer& ReportServer() { return *server; }

const std::string& ScratchFolder() { return scratch_folder->path(); }

void ResetReportServer() {
  server->set_mode(testsupport::LoopbackServer::Mode::kServe);
  server->set_default_status(200);
  server->set_default_body("ok");
  server->ReleaseStalled();
  server->ClearRequests();
}

}  // namespace reporttest
