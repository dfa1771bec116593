#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/utf.h"
#include "package/package_installer.h"
#include "platform/command_line.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

using nbase::Utf8ToUtf16;
using packagetest::DataOf;
using packagetest::WaitForEvents;

class PackageInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    // The package sits in a download folder with a blank, as a user's may.
    download_dir_ = dir_.path() + "/Download Folder";
    std::filesystem::create_directories(download_dir_);
    package_ = download_dir_ + "/DudIdiruvovoInstaller.exe";
    std::filesystem::copy_file(packagetest::DemoPackagePath(), package_);
    record_ = dir_.path() + "/runs.txt";
  }
  std::string Runs() {
    return access(record_.c_str(), F_OK) == 0 ? varnik_test::ReadFile(record_) : "";
  }

  varnik_test::ScopedTempDir dir_;
  std::string download_dir_;
  std::string package_;
  std::string record_;
};

TEST_F(PackageInstallTest, CommandLineQuotesOnlyThePackagePath) {
  EXPECT_EQ(BuildInstallCommandLine(u"/p/DudIdiruvovoInstaller.exe", u"/home/u/zorv/dudIdiruvovo"),
            u"/p/DudIdiruvovoInstaller.exe /S /D=/home/u/zorv/dudIdiruvovo");
  EXPECT_EQ(BuildInstallCommandLine(u"/a b/I.exe", u"/x y/z"), u"\"/a b/I.exe\" /S /D=/x y/z");
  const auto split = platform::SplitCommandLine(BuildInstallCommandLine(u"/a \"b\"/I.exe", u"/d"));
  ASSERT_EQ(split.size(), 3u);
  EXPECT_EQ(split[0], u"/a \"b\"/I.exe");
  EXPECT_EQ(BuildLaunchCommandLine(u"/opt/my apps"),
            u"\"/opt/my apps/vidIvurodezirarod.exe\" --install");
  EXPECT_EQ(InstallFailureText(5), u"Install Faild errorCode:5");
  EXPECT_EQ(InstallFailureText(-10002), u"Install Faild errorCode:-10002");
}

TEST_F(PackageInstallTest, InstallsIntoFoldersWithBlanksQuotesAndShellCharacters) {
  const std::string folders[] = {
      "/plain",
      "/with blank/and  two  blanks",
      "/quote\"inside\" and 'single'",
      "/semi;colon & amp | pipe",
      "/dollar $(touch pwned) and ${HOME}",
      "/back`touch pwned2`tick",
      "/trailing blank ",
      "/中文 路径\\back\\slash",
  };
  varnik_test::ScopedEnv record_env("VARNIK_DEMO_PACKAGE_RECORD", record_.c_str());
  for (const auto& suffix : folders) {
    const std::string folder = dir_.path() + "/targets" + suffix;
    std::filesystem::remove(record_);
    const InstallOutcome outcome = InstallPackage(Utf8ToUtf16(package_), Utf8ToUtf16(folder));
    EXPECT_EQ(outcome.install_code, 0) << folder;
    EXPECT_EQ(outcome.retry_time, 0);
    EXPECT_EQ(Runs(), folder + "\n") << "the package must receive exactly the folder";
    struct stat info;
    EXPECT_EQ(stat((folder + "/vidIvurodezirarod.exe").c_str(), &info), 0) << folder;
    EXPECT_TRUE(info.st_mode & S_IXUSR);
  }
  EXPECT_FALSE(std::filesystem::exists("pwned"));
  EXPECT_FALSE(std::filesystem::exists("pwned2"));
  EXPECT_FALSE(std::filesystem::exists(download_dir_ + "/pwned"));
  // The desktop entry names the product for the installed-program view.
  const std::string entry =
      varnik_test::ReadFile(packagetest::DataHome() + "/applications/varnikpdf-converter.desktop");
  EXPECT_NE(entry.find("\nName=VarnikPDF转换器\n"), std::string::npos);
  auto reports = WaitForEvents("InstallTimeCost", std::size(folders));
  ASSERT_EQ(reports.size(), std::size(folders));
  EXPECT_NE(DataOf(reports[0]).find("\"ret\":\"0\",\"retryTime\":\"0\""), std::string::npos);
}

TEST_F(PackageInstallTest, ExitCodeFiveThreeTimes) {
  varnik_test::ScopedEnv record_env("VARNIK_DEMO_PACKAGE_RECORD", record_.c_str());
  varnik_test::ScopedEnv code("VARNIK_DEMO_PACKAGE_EXIT", "5");
  const std::string folder = dir_.path() + "/target";
  const InstallOutcome outcome = InstallPackage(Utf8ToUtf16(package_), Utf8ToUtf16(folder));
  EXPECT_EQ(outcome.install_code, 5);
  EXPECT_EQ(outcome.retry_time, 3);
  EXPECT_EQ(Runs(), folder + "\n" + folder + "\n" + folder + "\n");
  auto reports = WaitForEvents("InstallTimeCost", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(DataOf(reports[0]), "{\"cost\":\"" + std::to_string(outcome.cost_seconds) +
                                    "\",\"ret\":\"5\",\"retryTime\":\"3\"}");
}

TEST_F(PackageInstallTest, AMissingPackageFileIsTheStartErrorRetried) {
  std::filesystem::remove(package_);
  const InstallOutcome outcome =
      InstallPackage(Utf8ToUtf16(package_), Utf8ToUtf16(dir_.path() + "/target"));
  EXPECT_EQ(outcome.install_code, ENOENT);
  EXPECT_EQ(outcome.retry_time, 3);
  auto reports = WaitForEvents("InstallTimeCost", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(DataOf(reports[0]).find("\"ret\":\"2\",\"retryTime\":\"3\""), std::string::npos);
}

}  // namespace
}  // namespace package
