// The Linux stand-ins of the user's special folders and of the private
// temporary folders, and what the file helpers do with symbolic links.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedEnv;
using varnik_test::ScopedTempDir;

TEST(FileSystemLinuxTest, LinksCountAsThemselves) {
  ScopedTempDir dir;
  ASSERT_EQ(symlink("/nonexistent", (dir.path() + "/dangling").c_str()), 0);
  EXPECT_TRUE(PathExists(dir.path16() + u"/dangling"));
  varnik_test::WriteFile(dir.path() + "/target", "kept");
  ASSERT_EQ(symlink((dir.path() + "/target").c_str(), (dir.path() + "/link").c_str()), 0);
  EXPECT_TRUE(RemoveFile(dir.path16() + u"/link"));
  EXPECT_EQ(varnik_test::ReadFile(dir.path() + "/target"), "kept");
}

class SpecialFoldersTest : public ::testing::Test {
 protected:
  SpecialFoldersTest()
      : home_("HOME", dir_.path().c_str()),
        data_("XDG_DATA_HOME", nullptr),
        cache_("XDG_CACHE_HOME", nullptr),
        config_("XDG_CONFIG_HOME", nullptr) {}
  ScopedTempDir dir_;
  ScopedEnv home_, data_, cache_, config_;
};

TEST_F(SpecialFoldersTest, DefaultsUnderHome) {
  EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesX86), dir_.path16() + u"/.local/share");
  EXPECT_EQ(GetSpecialFolder(kCsidlAppData), dir_.path16() + u"/.cache");
  EXPECT_EQ(GetSpecialFolder(kCsidlDesktop), dir_.path16() + u"/Desktop");
  EXPECT_EQ(GetSpecialFolder(5), u"");
}

TEST_F(SpecialFoldersTest, XdgVariablesWinWhenAbsolute) {
  ScopedEnv data("XDG_DATA_HOME", "/data/home/");
  ScopedEnv cache("XDG_CACHE_HOME", "relative/ignored");
  EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesX86), u"/data/home");
  EXPECT_EQ(GetSpecialFolder(kCsidlAppData), dir_.path16() + u"/.cache");
}

TEST_F(SpecialFoldersTest, DesktopFromUserDirs) {
  struct Case {
    std::string line;
    std::u16string expected;
  };
  const Case cases[] = {
      {"XDG_DESKTOP_DIR=\"$HOME/\xe6\xa1\x8c\xe9\x9d\xa2\"", dir_.path16() + u"/\u684c\u9762"},
      {"# comment\n  XDG_DESKTOP_DIR=\"/abs/desk/\"", u"/abs/desk"},
      {"XDG_DESKTOP_DIR=\"relative\"", dir_.path16() + u"/Desktop"},
      {"XDG_DESKTOP_DIR=$HOME/unquoted", dir_.path16() + u"/Desktop"},
      {"XDG_DOWNLOAD_DIR=\"$HOME/dl\"", dir_.path16() + u"/Desktop"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    varnik_test::WriteFile(dir_.path() + "/.config/user-dirs.dirs", c.line + "\n");
    EXPECT_EQ(GetSpecialFolder(kCsidlDesktop), c.expected);
  }
}

TEST(PrivateTempFolderTest, CreatedPrivateAndReused) {
  ScopedTempDir dir;
  std::u16string folder = GetPrivateTempFolder(dir.path16());
  std::string expected = dir.path() + "/varnik-" + std::to_string(geteuid());
  ASSERT_EQ(folder, nbase::Utf8ToUtf16(expected));
  struct stat st;
  ASSERT_EQ(lstat(expected.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(GetPrivateTempFolder(dir.path16()), folder);
}

TEST(PrivateTempFolderTest, RefusesWhatIsNotOurPrivateFolder) {
  std::string name = "/varnik-" + std::to_string(geteuid());
  {
    ScopedTempDir dir;  // a planted link to a folder the attacker reads
    std::filesystem::create_directory(dir.path() + "/elsewhere");
    chmod((dir.path() + "/elsewhere").c_str(), 0700);
    ASSERT_EQ(symlink((dir.path() + "/elsewhere").c_str(), (dir.path() + name).c_str()), 0);
    EXPECT_EQ(GetPrivateTempFolder(dir.path16()), u"");
  }
  {
    ScopedTempDir dir;  // open to others
    ASSERT_EQ(mkdir((dir.path() + name).c_str(), 0700), 0);
    chmod((dir.path() + name).c_str(), 0755);
    EXPECT_EQ(GetPrivateTempFolder(dir.path16()), u"");
  }
  {
    ScopedTempDir dir;  // a file in its place
    varnik_test::WriteFile(dir.path() + name, "x");
    EXPECT_EQ(GetPrivateTempFolder(dir.path16()), u"");
  }
  if (geteuid() == 0) {  // only root can give a folder to another user
    ScopedTempDir dir;
    ASSERT_EQ(mkdir((dir.path() + name).c_str(), 0700), 0);
    ASSERT_EQ(chown((dir.path() + name).c_str(), 4242, 4242), 0);
    EXPECT_EQ(GetPrivateTempFolder(dir.path16()), u"");
  }
}

}  // namespace
}  // namespace platform
