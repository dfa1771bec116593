// The whole road of an installation without the window: the package comes
// from the loopback package server, the demo package really installs the
// demo product, real processes are found and ended, the records land in the
// registry hive and the reports reach the server. The window's glue is
// reproduced in a few lines per step.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/utf.h"
#include "package/app_running_check.h"
#include "package/download_progress.h"
#include "package/install_result.h"
#include "package/package_downloader.h"
#include "package/package_installer.h"
#include "package/product_detection.h"
#include "package/progress_tracker.h"
#include "platform/process_launcher.h"
#include "platform/reg_key.h"
#include "platform/registry.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

using nbase::Utf8ToUtf16;
using packagetest::DataOf;
using packagetest::Server;
using packagetest::WaitForEvents;
using testsupport::EndpointPlan;
using testsupport::PackageFault;

std::shared_ptr<const std::string> DemoPackageBytes() {
  return std::make_shared<std::string>(varnik_test::ReadFile(packagetest::DemoPackagePath()));
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    Server().SetPackage(DemoPackageBytes());
    download_dir_ = dir_.path() + "/Downloads with blank";
    std::filesystem::create_directories(download_dir_);
    installer_file_ = Utf8ToUtf16(download_dir_ + "/DudIdiruvovoInstaller.exe");
    install_dir_ = Utf8ToUtf16(dir_.path() + "/Program Files/zorv/dudIdiruvovo");
    platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"");
  }
  void TearDown() override {
    platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"");
  }

  DownloadOutcome Download() {
    tracker_.Update(InstallStage::kDownloading, kProgressDownloadStart, 0, DownloadProgressShare());
    platform::DownloadOptions options;
    options.low_speed_seconds = 3;
    PackageDownloader downloader(
        Utf8ToUtf16("http://" + Server().host_port() +
                    "/caller?c=site&a=downloadPackage&coopcom=zorv&channel=zorv_seo_link"),
        installer_file_, options);
    DownloadOutcome outcome = downloader.DownloadPackage();
    if (outcome.result == 0) {
      view_ = *tracker_.Update(InstallStage::kDownloading, kProgressDownloadDone, 0, 0);
    }
    return outcome;
  }

  varnik_test::ScopedTempDir dir_;
  std::string download_dir_;
  std::u16string installer_file_;
  std::u16string install_dir_;
  ProgressTracker tracker_;
  ProgressView view_;
};

TEST_F(EndToEndTest, InstallsWhileTheProductRunsAndStartsIt) {
  // First installation: nothing runs, everything succeeds at once.
  ASSERT_EQ(Download().result, 0);
  EXPECT_EQ(view_.bar_value, 90);
  EXPECT_EQ(view_.label, u"正在下载，请不要关闭：90.0%");
  ASSERT_EQ(CountRunningProductApps(), 0);
  EXPECT_EQ(tracker_.Update(InstallStage::kInstalling, 0, 0, 0)->label,
            u"下载完成，正在安装，请不要关闭：90.3%");
  InstallOutcome install = InstallPackage(installer_file_, install_dir_);
  ASSERT_EQ(install.install_code, 0);
  WriteInstallRecords(u"zorv_seo_link", install_dir_);
  ReportInstallSucceeded();
  EXPECT_TRUE(IsProductInstalled());
  EXPECT_TRUE(FindUninstallEntry(platform::kKeyWow64_64Key)) << "the package's desktop entry";
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue),
            u"zorv_seo_link");
  WaitForEvents("InstallResultReport", 1);
  EXPECT_EQ(
      packagetest::EventIds(),
      (std::vector<std::string>{"DownloadTimeCost", "InstallTimeCost", "InstallResultReport"}));
  const std::string file_size =
      std::to_string(std::filesystem::file_size(packagetest::DemoPackagePath()));
  EXPECT_NE(DataOf(WaitForEvents("DownloadTimeCost", 1)[0])
                .find("\"fileSize\":\"" + file_size + "\",\"ret\":\"0\",\"retryTime\":\"0\""),
            std::string::npos);

  // "立即体验": the product starts detached with "--install".
  const std::string app = nbase::Utf16ToUtf8(install_dir_) + "/vidIvurodezirarod.exe";
  ASSERT_EQ(LaunchApp(install_dir_), 0);
  // The application writes its line after creating the file: wait for the line.
  ASSERT_TRUE(varnik_test::WaitFor(
      [] {
        return std::filesystem::exists(packagetest::ProductAppRecord()) &&
               varnik_test::ReadFile(packagetest::ProductAppRecord()).find('\n') !=
                   std::string::npos;
      },
      packagetest::kWatchdog.count()));
  EXPECT_EQ(varnik_test::ReadFile(packagetest::ProductAppRecord()), "--install\n");
  ASSERT_TRUE(varnik_test::WaitFor([] { return CountRunningProductApps() == 1; },
                                   packagetest::kWatchdog.count()));

  // A second instance, started by hand; then a new installation finds both.
  pid_t by_hand = fork();
  if (by_hand == 0) {
    execl(app.c_str(), app.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(varnik_test::WaitFor([] { return CountRunningProductApps() == 2; },
                                   packagetest::kWatchdog.count()));
  packagetest::ResetWorld();
  Server().SetPackage(DemoPackageBytes());
  ASSERT_EQ(Download().result, 0);
  EXPECT_EQ(CountRunningProductApps(), 2);  // The question would be shown.
  EXPECT_EQ(CountRunningProductApps(), 2);  // "重试" while both still run: asked again.
  EXPECT_EQ(ForceCloseProductApps(), 2);    // "强制关闭".
  int status = 0;
  ASSERT_EQ(waitpid(by_hand, &status, 0), by_hand);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_TRUE(varnik_test::WaitFor([] { return CountRunningProductApps() == 0; },
                                   packagetest::kWatchdog.count()));
  EXPECT_EQ(InstallPackage(installer_file_, install_dir_).install_code, 0);
}

TEST_F(EndToEndTest, DownloadFailureEndsOnTheDownloadReason) {
  EndpointPlan failing;
  failing.fault = PackageFault::kServerError;
  Server().SetSitePlan(failing);
  Server().SetCdnPlan(failing);
  DownloadOutcome outcome = Download();
  ASSERT_EQ(outcome.result, 1);
  EXPECT_EQ(FailureReasonLine(outcome.download_hr, FailureKind::kDownload),
            u"失败原因：The download server reported an error.(下载)");
  ReportInstallFailed(PackageDownloader::FailureText(outcome.download_error));
  auto results = WaitForEvents("InstallResultReport", 1);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(DataOf(results[0]).find("Download Faild :URLDownloadToFile hr = 800c0016 size -1"),
            std::string::npos);
  EXPECT_FALSE(IsProductInstalled());
}

TEST_F(EndToEndTest, InstallFailureEndsOnTheInstallReason) {
  ASSERT_EQ(Download().result, 0);
  varnik_test::ScopedEnv code("VARNIK_DEMO_PACKAGE_EXIT", "2");
  InstallOutcome outcome = InstallPackage(installer_file_, install_dir_);
  EXPECT_EQ(outcome.install_code, 2);
  EXPECT_EQ(FailureReasonLine(outcome.install_code, FailureKind::kInstall),
            u"失败原因：No such file or directory(安装)");
  ReportInstallFailed(InstallFailureText(outcome.install_code));
  auto results = WaitForEvents("InstallResultReport", 1);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(DataOf(results[0]),
            "{\"errorMsg\":\"Install Faild errorCode:2\",\"result\":\"faild\"}");
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerPathValue), u"");
}

}  // namespace
}  // namespace package
