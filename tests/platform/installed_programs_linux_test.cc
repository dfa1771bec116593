// The machine's installed-program list as the registry view of desktop
// entries, in both views, and the desktop-entry parser under it.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/desktop_entry.h"
#include "platform/error_codes.h"
#include "platform/reg_key.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedEnv;
using varnik_test::ScopedTempDir;
using varnik_test::WriteFile;

TEST(DesktopEntryTest, ReadsOnlyTheDesktopEntryGroup) {
  struct Case {
    const char* text;
    bool parses;
    std::u16string display_name;
    std::u16string path;
  };
  const Case cases[] = {
      {"[Desktop Entry]\nName=Foo\nPath=/opt/foo\n", true, u"Foo", u"/opt/foo"},
      {"[Desktop Entry]\nName=Foo\nName[zh_CN]=\xe8\xbd\xac\xe6\x8d\xa2\n", true, u"\u8f6c\u6362",
       u""},
      {"# c\n\n[Desktop Entry]\r\n  Name = Spaced\\sOut \r\n", true, u"Spaced Out", u""},
      {"[Other]\nName=Wrong\n[Desktop Entry]\nName=Right\n[Desktop Action x]\nName=No\n", true,
       u"Right", u""},
      {"[Desktop Entry]\nName=First\nName=Second\n", true, u"First", u""},
      {"[Desktop Entry]\nName[zh_CN]=\xff\nName=Fallback\n", true, u"Fallback", u""},
      {"[Desktop Entry]\nnovalue\n=x\nNa me=bad\nName=ok\\\\\n", true, u"ok\\", u""},
      {"Name=NoGroup\n", false, u"", u""},
      {"", false, u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DesktopEntry entry;
    ASSERT_EQ(DesktopEntry::Parse(c.text, &entry), c.parses);
    EXPECT_EQ(entry.DisplayName(), c.display_name);
    EXPECT_EQ(entry.Path(), c.path);
  }
}

class InstalledProgramsTest : public ::testing::Test {
 protected:
  InstalledProgramsTest()
      : system1_(dir_.path() + "/sys1"),
        system2_(dir_.path() + "/sys2"),
        user_(dir_.path() + "/user"),
        dirs_("XDG_DATA_DIRS", (system1_ + ":relative/ignored:" + system2_).c_str()),
        home_("XDG_DATA_HOME", user_.c_str()) {}

  void AddEntry(const std::string& root, const std::string& file, const std::string& text) {
    WriteFile(root + "/applications/" + file, text);
  }

  // Every subkey with its DisplayName, as the installed-product scan reads them.
  std::vector<std::pair<std::u16string, std::u16string>> Scan(uint32_t view) {
    std::vector<std::pair<std::u16string, std::u16string>> found;
    RegKey uninstall;
    EXPECT_EQ(uninstall.Open(RegRoot::kLocalMachine, kUninstallKeyPath, kKeyRead | view),
              kErrorSuccess);
    std::u16string name;
    for (uint32_t i = 0; uninstall.EnumKey(i, &name) == kErrorSuccess; ++i) {
      RegKey sub;
      std::u16string display;
      if (sub.Open(uninstall, name, kKeyRead | view) == kErrorSuccess) {
        char16_t buffer[256] = {};
        uint32_t size = 512;
        if (sub.QueryValue(u"DisplayName", nullptr, buffer, &size) == kErrorSuccess) {
          display = buffer;
        }
      }
      found.emplace_back(name, display);
    }
    return found;
  }

  ScopedTempDir dir_;
  std::string system1_, system2_, user_;
  ScopedEnv dirs_, home_;
};

TEST_F(InstalledProgramsTest, DefaultViewReadsSystemFoldersFirstOneWins) {
  AddEntry(system1_, "b.desktop", "[Desktop Entry]\nName=B one\n");
  AddEntry(system2_, "b.desktop", "[Desktop Entry]\nName=B two\n");
  AddEntry(system2_, "a.desktop", "[Desktop Entry]\nName=A\nName[zh_CN]=VarnikPDF\xe8\xbd\xac\n");
  AddEntry(system2_, "notes.txt", "[Desktop Entry]\nName=Not an entry\n");
  AddEntry(system2_, "broken.desktop", "garbage");
  AddEntry(user_, "mine.desktop", "[Desktop Entry]\nName=Mine\n");
  auto found = Scan(0);
  std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"a.desktop", u"VarnikPDF\u8f6c"}, {u"b.desktop", u"B one"}, {u"broken.desktop", u""}};
  EXPECT_EQ(found, expected);
}

TEST_F(InstalledProgramsTest, SixtyFourBitViewReadsUserFolder) {
  AddEntry(system1_, "sys.desktop", "[Desktop Entry]\nName=Sys\n");
  AddEntry(user_, "mine.desktop", "[Desktop Entry]\nName=Mine\nPath=/home/u/mine\n");
  auto found = Scan(kKeyWow64_64Key);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].second, u"Mine");

  RegKey sub;
  ASSERT_EQ(sub.Open(RegRoot::kLocalMachine,
                     u"software\\microsoft\\windows\\currentversion\\uninstall\\MINE.desktop",
                     kKeyRead | kKeyWow64_64Key),
            kErrorSuccess);
  char16_t buffer[256] = {};
  uint32_t size = 512;
  ASSERT_EQ(sub.QueryValue(u"InstallLocation", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_EQ(std::u16string(buffer), u"/home/u/mine");
  uint32_t number = 0;
  size = 4;
  EXPECT_EQ(sub.QueryValue(u"EstimatedSize", nullptr, &number, &size), kErrorFileNotFound);
  // The same name is not in the default view.
  EXPECT_EQ(sub.Open(RegRoot::kLocalMachine, std::u16string(kUninstallKeyPath) + u"\\mine.desktop",
                     kKeyRead),
            kErrorFileNotFound);
}

TEST_F(InstalledProgramsTest, DisplayNameOverBudgetAndWritesFail) {
  AddEntry(system1_, "long.desktop", "[Desktop Entry]\nName=" + std::string(300, 'n') + "\n");
  RegKey sub;
  ASSERT_EQ(sub.Open(RegRoot::kLocalMachine, std::u16string(kUninstallKeyPath) + u"\\long.desktop",
                     kKeyRead),
            kErrorSuccess);
  char buffer[512];
  uint32_t size = sizeof(buffer);
  EXPECT_EQ(sub.QueryValue(u"DisplayName", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 602u);
  EXPECT_EQ(sub.SetValue(u"DisplayName", kRegSz, "x\0", 2), kErrorAccessDenied);

  RegKey key;
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, kUninstallKeyPath, kKeyRead | kKeyWrite),
            kErrorAccessDenied);
  EXPECT_EQ(key.Create(RegRoot::kLocalMachine, kUninstallKeyPath, kKeyWrite), kErrorAccessDenied);
  EXPECT_EQ(key.Open(RegRoot::kLocalMachine, u"Software\\Other", kKeyRead), kErrorFileNotFound);
}

TEST_F(InstalledProgramsTest, NoFoldersGiveAnEmptyList) {
  ScopedEnv no_dirs("XDG_DATA_DIRS", (dir_.path() + "/none").c_str());
  ScopedEnv no_home("XDG_DATA_HOME", (dir_.path() + "/none2").c_str());
  EXPECT_TRUE(Scan(0).empty());
  EXPECT_TRUE(Scan(kKeyWow64_64Key).empty());
}

}  // namespace
}  // namespace platform
