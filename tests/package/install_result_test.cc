#include "package/install_result.h"

#include <errno.h>
#include <gtest/gtest.h>

#include "package/app_running_check.h"
#include "package/package_downloader.h"
#include "platform/registry.h"
#include "platform/url_download.h"
#include "tests/package/package_test_env.h"

namespace package {
namespace {

using packagetest::DataOf;
using packagetest::WaitForEvents;

TEST(FailureReasonLineTest, SystemTextAndEndingOnOneLine) {
  struct Case {
    int32_t code;
    FailureKind kind;
    std::u16string line;
  };
  const Case cases[] = {
      {2, FailureKind::kInstall, u"失败原因：No such file or directory(安装)"},
      {0, FailureKind::kDownload, u"失败原因：Success(下载)"},
      {5, FailureKind::kInstall, u"失败原因：Input/output error(安装)"},
      {-10002, FailureKind::kInstall, u"失败原因：(安装)"},
      {platform::kDownloadNotFound, FailureKind::kDownload,
       u"失败原因：The file was not found on the server.(下载)"},
  };
  for (const auto& c : cases) {
    std::u16string line = FailureReasonLine(c.code, c.kind);
    EXPECT_EQ(line, c.line) << c.code;
    EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
  }
}

TEST(InstallResultTest, SuccessWritesBothRecordsThenReports) {
  packagetest::ResetWorld();
  WriteInstallRecords(u"upgrade", u"/opt/zorv/dudIdiruvovo");
  ReportInstallSucceeded();
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue),
            u"upgrade");
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerPathValue),
            u"/opt/zorv/dudIdiruvovo");
  auto reports = WaitForEvents("InstallResultReport", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(DataOf(reports[0]), "{\"result\":\"success\"}");
  platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"");
}

TEST(InstallResultTest, FailureReportCarriesTheFailureText) {
  packagetest::ResetWorld();
  ReportInstallFailed(PackageDownloader::FailureText(
      u"URLDownloadToFile hr = 800c0005 size -1 windows pop time = 0"));
  auto reports = WaitForEvents("InstallResultReport", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(DataOf(reports[0]),
            "{\"errorMsg\":\"Download Faild :URLDownloadToFile hr = 800c0005 size -1 windows pop "
            "time = 0\",\"result\":\"faild\"}");
}

TEST(AppRunningQuestionTest, TheQuestionNamesTheProduct) {
  EXPECT_EQ(AppRunningQuestion(), u"应用程序 \"VarnikPDF转换器\" 正在运行，是否强制关闭？");
}

}  // namespace
}  // namespace package
