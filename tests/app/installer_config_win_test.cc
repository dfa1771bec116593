// The installer's configuration on Windows: the shell's folders, the
// literal temporary folders and the real registry (this process's private
// HKEY_CURRENT_USER).
#include <cstdlib>
#include <string>
#include <vector>

#include "app/installer_config.h"
#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/platform/test_support.h"

namespace app {
namespace {

std::u16string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? nbase::Utf8ToUtf16(value) : std::u16string();
}

class InstallerConfigWinTest : public ::testing::Test {
 protected:
  varnik_test::PrivateUserRegistry registry_;
  varnik_test::ScopedEnv server_{"VARNIK_SERVER_HOST", nullptr};
};

TEST_F(InstallerConfigWinTest, FreshUserGetsTheShellsFolders) {
  const InstallerConfig config = InstallerConfig::ComputeWithChannel(true, u"zorv_seo_link");
  EXPECT_EQ(config.install_dir, Environment("ProgramFiles(x86)") + u"\\zorv\\dudIdiruvovo");
  EXPECT_FALSE(config.existing_install);
  // The application-data drive of this machine has room for the package.
  const std::u16string files = Environment("APPDATA") + u"\\zorv\\DudIdiruvovo\\Files\\";
  EXPECT_EQ(config.download_dir, files);
  EXPECT_TRUE(platform::IsDirectory(files));
  EXPECT_EQ(config.installer_file, files + u"DudIdiruvovoInstaller.exe");
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue),
            u"zorv_seo_link");
  EXPECT_EQ(config.package_url.substr(config.package_url.size() - 22), u"&channel=zorv_seo_link");
}

TEST_F(InstallerConfigWinTest, CandidatesEndWithTheLiteralTemporaryFolders) {
  const std::vector<std::u16string> candidates = InstallerConfig::DownloadDirCandidates();
  ASSERT_EQ(candidates.size(), 4u);
  EXPECT_EQ(candidates[0], Environment("APPDATA") + u"\\zorv\\DudIdiruvovo\\Files");
  EXPECT_EQ(candidates[2], u"d:\\Temp");
  EXPECT_EQ(candidates[3], u"c:\\Temp");
}

TEST_F(InstallerConfigWinTest, EarlierInstallationFolderWinsAndItsAppMarksIt) {
  varnik_test::ScopedTempDir dir;
  const std::u16string earlier = dir.path16() + u"\\\u8f6c\u6362\u5668";
  ASSERT_TRUE(platform::CreateDirectoryTree(earlier));
  ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, earlier),
            0);
  const InstallerConfig without_app = InstallerConfig::ComputeWithChannel(true, u"upgrade");
  EXPECT_EQ(without_app.install_dir, earlier);
  EXPECT_FALSE(without_app.existing_install);
  EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue), u"")
      << "an upgrade channel is not recorded";

  varnik_test::WriteFile(nbase::Utf16ToUtf8(earlier + u"\\vidIvurodezirarod.exe"), "MZ");
  const InstallerConfig with_app = InstallerConfig::ComputeWithChannel(false, u"");
  EXPECT_EQ(with_app.install_dir, earlier);
  EXPECT_TRUE(with_app.existing_install);
  EXPECT_EQ(with_app.channel, u"default");
}

}  // namespace
}  // namespace app
