#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "base/utf.h"
#include "package/download_progress.h"
#include "package/package_downloader.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

using packagetest::DataOf;
using packagetest::Server;
using packagetest::WaitForEvents;
using testsupport::EndpointPlan;
using testsupport::PackageFault;

class PackageDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    file_ = dir_.path() + "/DudIdiruvovoInstaller.exe";
  }
  std::u16string PackageUrl() const {
    return nbase::Utf8ToUtf16("http://" + Server().host_port() +
                              "/caller?c=site&a=downloadPackage&coopcom=zorv&channel=test");
  }
  DownloadOutcome Download() {
    platform::DownloadOptions options;
    options.connect_timeout_seconds = 5;
    options.low_speed_seconds = 2;
    PackageDownloader downloader(PackageUrl(), nbase::Utf8ToUtf16(file_), options);
    return downloader.DownloadPackage();
  }
  std::string LastDownloadReport() {
    auto reports = WaitForEvents("DownloadTimeCost", 1);
    EXPECT_EQ(reports.size(), 1u);
    return reports.empty() ? std::string() : DataOf(reports.back());
  }

  varnik_test::ScopedTempDir dir_;
  std::string file_;
};

TEST_F(PackageDownloadTest, FirstAttemptSucceeds) {
  const DownloadOutcome outcome = Download();
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.download_hr, 0);
  EXPECT_EQ(outcome.retry_time, 0);
  EXPECT_TRUE(outcome.download_error.empty());
  EXPECT_EQ(outcome.file_size, 10485760);
  EXPECT_EQ(DownloadProgressShare(), 900);
  EXPECT_EQ(Server().site_requests(), 1);
  EXPECT_EQ(Server().cdn_requests(), 0);
  EXPECT_EQ(LastDownloadReport(),
            "{\"cost\":\"" + std::to_string(outcome.cost_seconds) +
                "\",\"fileSize\":\"10485760\",\"ret\":\"0\",\"retryTime\":\"0\"}");
}

TEST_F(PackageDownloadTest, SiteRedirectIsFollowed) {
  EndpointPlan plan;
  plan.redirect = true;
  Server().SetSitePlan(plan);
  EXPECT_EQ(Download().result, 0);
  EXPECT_EQ(Server().site_requests(), 1);
}

TEST_F(PackageDownloadTest, SiteFailsAndTheCdnSucceeds) {
  EndpointPlan site;
  site.fault = PackageFault::kNotFound;
  Server().SetSitePlan(site);
  const DownloadOutcome outcome = Download();
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.retry_time, 1);
  EXPECT_EQ(Server().site_requests(), 1);
  EXPECT_EQ(Server().cdn_requests(), 1);
  EXPECT_NE(LastDownloadReport().find("\"retryTime\":\"1\""), std::string::npos);
}

TEST_F(PackageDownloadTest, FailingFirstAttemptsAreRetriedAlternating) {
  EndpointPlan failing;
  failing.fail_first = 2;
  Server().SetSitePlan(failing);
  Server().SetCdnPlan(failing);
  const DownloadOutcome outcome = Download();
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.retry_time, 4);  // site, CDN, site, CDN failed; the third site try works.
  EXPECT_EQ(Server().site_requests(), 3);
  EXPECT_EQ(Server().cdn_requests(), 2);
}

TEST_F(PackageDownloadTest, AllSixAttemptsFail) {
  EndpointPlan failing;
  failing.fault = PackageFault::kServerError;
  Server().SetSitePlan(failing);
  EndpointPlan missing;
  missing.fault = PackageFault::kNotFound;
  Server().SetCdnPlan(missing);
  const DownloadOutcome outcome = Download();
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.retry_time, 6);
  EXPECT_EQ(Server().site_requests(), 3);
  EXPECT_EQ(Server().cdn_requests(), 3);
  // The last attempt went to the CDN, and its code is kept.
  EXPECT_EQ(outcome.download_hr, platform::kDownloadNotFound);
  EXPECT_EQ(outcome.download_error,
            u"URLDownloadToFile hr = 800c0005 size -1 windows pop time = 0");
  EXPECT_EQ(PackageDownloader::FailureText(outcome.download_error),
            u"Download Faild :URLDownloadToFile hr = 800c0005 size -1 windows pop time = 0");
  const std::string report = LastDownloadReport();
  EXPECT_NE(report.find("\"ret\":\"1\""), std::string::npos);
  EXPECT_NE(report.find("\"retryTime\":\"6\""), std::string::npos);
  EXPECT_EQ(report.find("fileSize"), std::string::npos);
}

TEST_F(PackageDownloadTest, ImplausibleFilesFailWithCodeZeroAndTheirSize) {
  struct Case {
    PackageFault fault;
    std::u16string error;
  };
  const Case cases[] = {
      {PackageFault::kShort, u"URLDownloadToFile hr = 00000000 size 10485759 windows pop time = 0"},
      {PackageFault::kNotMz, u"URLDownloadToFile hr = 00000000 size 10485760 windows pop time = 0"},
  };
  for (const auto& c : cases) {
    packagetest::ResetWorld();
    EndpointPlan plan;
    plan.fault = c.fault;
    Server().SetSitePlan(plan);
    Server().SetCdnPlan(plan);
    const DownloadOutcome outcome = Download();
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.retry_time, 6);
    EXPECT_EQ(outcome.download_hr, 0);
    EXPECT_EQ(outcome.download_error, c.error);
    // The file of the last attempt stays on disk.
    struct stat info;
    EXPECT_EQ(stat(file_.c_str(), &info), 0);
  }
}

TEST_F(PackageDownloadTest, AStallingServerIsBoundedAndTheNextAddressIsTried) {
  EndpointPlan stall;
  stall.fault = PackageFault::kStall;
  Server().SetSitePlan(stall);
  const auto start = std::chrono::steady_clock::now();
  const DownloadOutcome outcome = Download();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.retry_time, 1);
}

TEST_F(PackageDownloadTest, EachAttemptDeletesTheFileFirst) {
  // A stale complete package from an earlier run must not count when every
  // transfer now fails.
  varnik_test::WriteFile(file_, testsupport::PackageServer::MakePackageBytes(10485760));
  EndpointPlan failing;
  failing.fault = PackageFault::kNotFound;
  Server().SetSitePlan(failing);
  Server().SetCdnPlan(failing);
  EXPECT_EQ(Download().result, 1);
  EXPECT_NE(access(file_.c_str(), F_OK), 0);
}

TEST_F(PackageDownloadTest, AddressesAndDiagnostics) {
  PackageDownloader downloader(u"http://site/p", u"/tmp/x");
  EXPECT_EQ(PackageDownloader::CdnPackageUrl(),
            nbase::Utf8ToUtf16("http://" + Server().host_port()) +
                u"/dudidiruvovo/ZorvZuvAdorizodeZadaz.exe");
  for (int attempt = 0; attempt < kDownloadAttempts; ++attempt) {
    EXPECT_EQ(downloader.AddressForAttempt(attempt),
              attempt % 2 == 0 ? u"http://site/p" : PackageDownloader::CdnPackageUrl());
  }
  EXPECT_EQ(
      PackageDownloader::FormatDownloadError(static_cast<int32_t>(0x800C0007u), 5000000000LL, 3),
      u"URLDownloadToFile hr = 800c0007 size 705032704 windows pop time = 3");
}

}  // namespace
}  // namespace package
