#include "platform/url_download.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "base/utf.h"
#include "platform/system_info.h"
#include "tests/package/package_test_env.h"
#include "tests/package/tls_server.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using packagetest::Server;
using testsupport::EndpointPlan;
using testsupport::PackageFault;

class UrlDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    file_ = dir_.path() + "/DudIdiruvovoInstaller.exe";
  }
  std::u16string Url(const std::string& path) const {
    return nbase::Utf8ToUtf16("http://" + Server().host_port() + path);
  }
  std::u16string File() const { return nbase::Utf8ToUtf16(file_); }
  bool FileExists() const {
    struct stat info;
    return lstat(file_.c_str(), &info) == 0;
  }
  // Fast failure bounds so that stalls end within seconds.
  static DownloadOptions Quick() {
    DownloadOptions options;
    options.connect_timeout_seconds = 5;
    options.low_speed_seconds = 2;
    options.low_speed_bytes_per_second = 1024;
    return options;
  }

  varnik_test::ScopedTempDir dir_;
  std::string file_;
};

TEST_F(UrlDownloadTest, DownloadsTheWholeFileWithProgressAndNoCache) {
  auto bytes = std::make_shared<std::string>(testsupport::PackageServer::MakePackageBytes(3 << 20));
  Server().SetPackage(bytes);
  uint64_t last_done = 0, last_total = 0;
  int calls = 0;
  bool monotonic = true;
  DownloadOptions options;
  options.progress = [&](uint64_t done, uint64_t total) {
    monotonic = monotonic && done >= last_done;
    last_done = done;
    last_total = total;
    ++calls;
  };
  EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), options), 0);
  EXPECT_EQ(varnik_test::ReadFile(file_), *bytes);
  EXPECT_GT(calls, 0);
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(last_done, bytes->size());
  EXPECT_EQ(last_total, bytes->size());
  auto requests = Server().loopback().Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].HeaderValue("Cache-Control"), "no-cache");
  EXPECT_EQ(requests[0].HeaderValue("Pragma"), "no-cache");
}

TEST_F(UrlDownloadTest, FollowsRedirectsAndReportsNoLengthAsTotalZero) {
  EndpointPlan plan;
  plan.redirect = true;
  plan.fault = PackageFault::kNoLength;
  Server().SetCdnPlan(plan);
  uint64_t last_total = 1;
  DownloadOptions options;
  options.progress = [&](uint64_t, uint64_t total) { last_total = total; };
  EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), options), 0);
  EXPECT_EQ(last_total, 0u);
  struct stat info;
  ASSERT_EQ(stat(file_.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 10485760);
}

TEST_F(UrlDownloadTest, ErrorAnswersFailAndLeaveNoFile) {
  struct Case {
    PackageFault fault;
    int32_t code;
  };
  const Case cases[] = {
      {PackageFault::kNotFound, kDownloadNotFound},
      {PackageFault::kServerError, kDownloadServerError},
      {PackageFault::kRedirectLoop, kDownloadRedirectFailed},
      {PackageFault::kCloseEarly, kDownloadDataNotAvailable},
  };
  for (const auto& c : cases) {
    Server().Reset();
    EndpointPlan plan;
    plan.fault = c.fault;
    Server().SetCdnPlan(plan);
    varnik_test::WriteFile(file_, "old content");
    EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), Quick()), c.code)
        << static_cast<int>(c.fault);
    EXPECT_FALSE(FileExists()) << "an error answer must never be kept";
    EXPECT_FALSE(DownloadErrorText(c.code).empty());
  }
}

TEST_F(UrlDownloadTest, StallAndTrickleEndAtTheLowSpeedLimit) {
  for (PackageFault fault : {PackageFault::kStall, PackageFault::kTrickle}) {
    Server().Reset();
    EndpointPlan plan;
    plan.fault = fault;
    Server().SetCdnPlan(plan);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), Quick()),
              kDownloadTimeout);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(15));
    EXPECT_FALSE(FileExists());
  }
}

TEST_F(UrlDownloadTest, TheProductionDefaultsBoundAStallToAboutAMinute) {
  DownloadOptions defaults;
  EXPECT_EQ(defaults.low_speed_seconds, 60);
  EXPECT_GE(defaults.low_speed_bytes_per_second, 1);
  EXPECT_GT(defaults.connect_timeout_seconds, 0);
  EXPECT_GT(defaults.max_redirects, 0);
}

TEST_F(UrlDownloadTest, AnswersLargerThanTheLimitFailWithAndWithoutLength) {
  struct Bound {
    uint64_t DownloadOptions::*field;
    int32_t code;
  };
  // The package ceiling and the disk's budget: each stops the answer with its own code.
  for (const Bound bound : {Bound{&DownloadOptions::max_bytes, kDownloadTooLarge},
                            Bound{&DownloadOptions::disk_budget_bytes, kDownloadDiskFull}}) {
    for (PackageFault fault : {PackageFault::kNone, PackageFault::kNoLength}) {
      Server().Reset();
      EndpointPlan plan;
      plan.fault = fault;
      Server().SetCdnPlan(plan);
      DownloadOptions options = Quick();
      options.*bound.field = 1 << 20;
      EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), options),
                bound.code)
          << static_cast<int>(fault);
      EXPECT_FALSE(FileExists());
      options.*bound.field = 10485760;  // Exactly the size still passes.
      EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), options), 0);
    }
  }
}

// A transfer kept on loopback follows a redirect to another loopback server
// and refuses, before connecting, one that leaves the machine.
TEST_F(UrlDownloadTest, LoopbackOnlyRefusesARedirectOffTheMachine) {
  testsupport::LoopbackServer redirector;
  const std::string package_url =
      "http://" + Server().host_port() + testsupport::PackageServer::kCdnPath;
  redirector.routes().Get("/away", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("http://192.0.2.1:9/package.exe");  // TEST-NET-1: never a real host
  });
  redirector.routes().Get("/near",
                          [package_url](const httplib::Request&, httplib::Response& response) {
                            response.set_redirect(package_url);
                          });
  ASSERT_TRUE(redirector.Start());
  DownloadOptions options = Quick();
  options.loopback_only = true;
  const std::string base = "http://" + redirector.host_port();
  EXPECT_EQ(DownloadUrlToFile(nbase::Utf8ToUtf16(base + "/away"), File(), options),
            kDownloadRedirectFailed);
  EXPECT_FALSE(FileExists());
  EXPECT_EQ(DownloadUrlToFile(nbase::Utf8ToUtf16(base + "/near"), File(), options), 0);
  EXPECT_EQ(Server().cdn_requests(), 1);
}

TEST_F(UrlDownloadTest, AbortFlagStopsTheTransfer) {
  EndpointPlan plan;
  plan.fault = PackageFault::kTrickle;
  Server().SetCdnPlan(plan);
  std::atomic<bool> abort{false};
  DownloadOptions options = Quick();
  options.low_speed_seconds = 60;
  options.abort = &abort;
  options.progress = [&](uint64_t done, uint64_t) {
    if (done > 0) abort = true;
  };
  EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File(), options),
            kDownloadAborted);
  EXPECT_FALSE(FileExists());
}

TEST_F(UrlDownloadTest, RefusesOtherSchemesAndUnreachableServers) {
  EXPECT_EQ(DownloadUrlToFile(u"ftp://127.0.0.1/x", File()), kDownloadUnknownProtocol);
  EXPECT_EQ(DownloadUrlToFile(u"file:///etc/passwd", File()), kDownloadUnknownProtocol);
  EXPECT_EQ(DownloadUrlToFile(u"", File()), kDownloadInvalidAddress);
  // A port nobody listens on: a listener is opened and closed to find one.
  testsupport::LoopbackServer closed;
  ASSERT_TRUE(closed.Start());
  const std::string host = closed.host_port();
  closed.Stop();
  EXPECT_EQ(DownloadUrlToFile(nbase::Utf8ToUtf16("http://" + host + "/x"), File(), Quick()),
            kDownloadCannotConnect);
  EXPECT_FALSE(FileExists());
}

TEST_F(UrlDownloadTest, HttpsToAPlainServerFailsAndKeepsNothing) {
  std::u16string url =
      nbase::Utf8ToUtf16("https://" + Server().host_port() + testsupport::PackageServer::kCdnPath);
  int32_t code = DownloadUrlToFile(url, File(), Quick());
  EXPECT_NE(code, 0);
  EXPECT_FALSE(FileExists());
}

TEST_F(UrlDownloadTest, AnUntrustedCertificateIsRefused) {
  packagetest::TlsServer tls(dir_.path());
  ASSERT_TRUE(tls.Start(testsupport::PackageServer::MakePackageBytes(10485760)));
  const std::u16string url =
      nbase::Utf8ToUtf16("https://127.0.0.1:" + std::to_string(tls.port()) + "/package.exe");
  EXPECT_EQ(DownloadUrlToFile(url, File(), Quick()), kDownloadSecurityProblem);
  EXPECT_FALSE(FileExists());
}

TEST_F(UrlDownloadTest, APlantedSymlinkIsReplacedNeverWrittenThrough) {
  const std::string victim = dir_.path() + "/victim.txt";
  varnik_test::WriteFile(victim, "precious");
  ASSERT_EQ(symlink(victim.c_str(), file_.c_str()), 0);
  EXPECT_EQ(DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File()), 0);
  EXPECT_EQ(varnik_test::ReadFile(victim), "precious");
  struct stat info;
  ASSERT_EQ(lstat(file_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_size, 10485760);
  EXPECT_EQ(info.st_mode & 0077, 0u) << "the package is private to the user";
}

TEST_F(UrlDownloadTest, AFolderInTheWayIsAWriteErrorWithItsSystemText) {
  ASSERT_EQ(mkdir(file_.c_str(), 0700), 0);
  varnik_test::WriteFile(file_ + "/inside", "x");  // Not empty: cannot be removed.
  int32_t code = DownloadUrlToFile(Url(testsupport::PackageServer::kCdnPath), File());
  EXPECT_NE(code, 0);
  EXPECT_FALSE(SystemErrorText(code).empty());
  EXPECT_EQ(varnik_test::ReadFile(file_ + "/inside"), "x");
}

TEST(DownloadErrorTextTest, EveryCodeHasATextOnOneLineAndOthersHaveNone) {
  for (int32_t code : {kDownloadInvalidAddress, kDownloadCannotConnect, kDownloadNotFound,
                       kDownloadDataNotAvailable, kDownloadFailure, kDownloadTimeout,
                       kDownloadUnknownProtocol, kDownloadSecurityProblem, kDownloadRedirectFailed,
                       kDownloadAccessDenied, kDownloadServerError, kDownloadWriteError,
                       kDownloadAborted, kDownloadTooLarge, kDownloadNoFolder, kDownloadDiskFull}) {
    std::u16string text = DownloadErrorText(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find(u'\n'), std::u16string::npos);
  }
  EXPECT_TRUE(DownloadErrorText(0).empty());
  EXPECT_TRUE(DownloadErrorText(2).empty());
}

}  // namespace
}  // namespace platform
