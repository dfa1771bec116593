#include "tests/package/package_test_env.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "base/misc_thread.h"
#include "base/thread_ids.h"
#include "platform/registry.h"
#include "report/event_reporter.h"

namespace packagetest {
namespace {

testsupport::PackageServer* server = nullptr;
std::string* root = nullptr;
nbase::MiscThread* http_thread = nullptr;

class PackageEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/package_tests.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = new std::string(pattern);
    for (const char* folder : {"/config", "/data", "/system", "/cache", "/home"}) {
      std::filesystem::create_directories(*root + folder);
    }
    setenv("XDG_CONFIG_HOME", (*root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
    setenv("XDG_DATA_DIRS", SystemDataDir().c_str(), 1);
    setenv("XDG_CACHE_HOME", (*root + "/cache").c_str(), 1);
    setenv("HOME", (*root + "/home").c_str(), 1);
    setenv("VARNIK_PRODUCT_APP_RECORD", ProductAppRecord().c_str(), 1);
    server = new testsupport::PackageServer();
    ASSERT_TRUE(server->Start());
    setenv("VARNIK_SERVER_HOST", server->host_port().c_str(), 1);
    ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kUniqueIdValue, u"ID"), 0);
    report::GatherReportProperties(std::u16string(u"zorv_seo_link"));
    http_thread = new nbase::MiscThread(nbase::kThreadHttp, "http Thread");
    ASSERT_TRUE(http_thread->Start());
  }
  void TearDown() override {
    report::FlushPendingReports(std::chrono::seconds(5));
    http_thread->Stop();
    delete http_thread;
    server->Stop();
    std::error_code ignored;
    std::filesystem::remove_all(*root, ignored);
  }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PackageEnvironment());

}  // namespace

testsupport::PackageServer& Server() { return *server; }
const std::string& Root() { return *root; }
std::string DataHome() { return *root + "/data"; }
std::string SystemDataDir() { return *root + "/system"; }
std::string ProductAppRecord() { return *root + "/product-app-starts.txt"; }
std::string DemoPackagePath() { return VARNIK_DEMO_PACKAGE; }
std::string ProductAppBinary() { return VARNIK_PRODUCT_APP; }

void ResetWorld() {
  // Reports of the previous test still on their way are waited for, so
  // that none of them lands in the next test's list.
  report::FlushPendingReports(std::chrono::seconds(10));
  server->Reset();
  std::error_code ignored;
  std::filesystem::remove_all(DataHome() + "/applications", ignored);
  std::filesystem::remove_all(SystemDataDir() + "/applications", ignored);
  std::filesystem::remove(ProductAppRecord(), ignored);
}

std::vector<std::string> WaitForEvents(const std::string& event_id, size_t count) {
  const std::string needle = "\"eventId\":\"" + event_id + "\"";
  std::vector<std::string> found;
  const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
  for (;;) {
    found.clear();
    for (const auto& envelope : server->ReportEnvelopes()) {
      if (envelope.find(needle) != std::string::npos) found.push_back(envelope);
    }
    if (found.size() >= count || std::chrono::steady_clock::now() > deadline) return found;
    server->WaitForReports(server->ReportEnvelopes().size() + 1, std::chrono::milliseconds(200));
  }
}

std::vector<std::string> EventIds() {
  std::vector<std::string> ids;
  for (const auto& envelope : server->ReportEnvelopes()) {
    size_t start = envelope.find("\"eventId\":\"");
    if (start == std::string::npos) continue;
    start += 11;
    ids.push_back(envelope.substr(start, envelope.find('"', start) - start));
  }
  return ids;
}

std::string DataOf(const std::string& envelope) {
  size_t start = envelope.find("\"data\":");
  if (start == std::string::npos) return std::string();
  return envelope.substr(start + 7, envelope.size() - start - 8);
}

}  // namespace packagetest
