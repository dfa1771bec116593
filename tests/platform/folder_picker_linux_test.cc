// The desktop's folder choosers as real processes (stand-ins first on PATH):
// which one asks, with which arguments, and what their answers mean.
#include <sys/stat.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/folder_picker.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

TEST(FolderPickerTest, ParsesTheFirstLineOfAnAbsoluteAnswer) {
  const struct {
    std::string output;
    bool ok;
    std::u16string folder;
  } cases[] = {
      {"/home/u/软件\n", true, u"/home/u/软件"},
      {"/\n", true, u"/"},
      {"/a b/c\r\n", true, u"/a b/c"},
      {"/first\n/second\n", true, u"/first"},
      {"/no-line-end", true, u"/no-line-end"},
      {"relative/path\n", false, u""},
      {"\n", false, u""},
      {"", false, u""},
      {"/bad\xFF\n", false, u""},
  };
  for (const auto& c : cases) {
    std::u16string folder;
    EXPECT_EQ(ParseFolderAnswer(c.output, &folder), c.ok) << c.output;
    EXPECT_EQ(folder, c.folder) << c.output;
  }
}

class FolderPickerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { path_.reset(new varnik_test::ScopedEnv("PATH", dir_.path().c_str())); }

  void Fake(const std::string& name, const std::string& answer, int code) {
    varnik_test::WriteFile(dir_.path() + "/" + name,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done >> '" +
                               dir_.path() + "/" + name + ".log'\nprintf '" + answer + "'\nexit " +
                               std::to_string(code) + "\n");
    chmod((dir_.path() + "/" + name).c_str(), 0700);
  }
  std::string Log(const std::string& name) {
    return varnik_test::ReadFile(dir_.path() + "/" + name + ".log");
  }

  varnik_test::ScopedTempDir dir_;
  std::unique_ptr<varnik_test::ScopedEnv> path_;
};

TEST_F(FolderPickerProcessTest, ZenityAsksFirstOnTheStartFolder) {
  Fake("zenity", "/srv/a b\\n", 0);
  Fake("kdialog", "/never\\n", 0);
  std::u16string folder;
  EXPECT_EQ(PickFolder(nullptr, u"请选择安装路径", u"/data dir", &folder),
            FolderPickOutcome::kChosen);
  EXPECT_EQ(folder, u"/srv/a b");
  EXPECT_EQ(Log("zenity"),
            "[--file-selection][--directory][--title=请选择安装路径][--filename=/data dir/]");
  EXPECT_EQ(Log("kdialog"), "");
}

TEST_F(FolderPickerProcessTest, ACancelIsFinalAndAFailedChooserPassesOn) {
  Fake("zenity", "", 1);
  Fake("kdialog", "/k\\n", 0);
  std::u16string folder = u"unchanged";
  EXPECT_EQ(PickFolder(nullptr, u"t", u"/s", &folder),
            FolderPickOutcome::kCancelled);
  EXPECT_EQ(folder, u"unchanged");
  EXPECT_EQ(Log("kdialog"), "");

  // zenity without a display ends with its error code: kdialog asks instead.
  Fake("zenity", "", 255);
  EXPECT_EQ(PickFolder(nullptr, u"t", u"/s", &folder), FolderPickOutcome::kChosen);
  EXPECT_EQ(folder, u"/k");
  EXPECT_EQ(Log("kdialog"), "[--getexistingdirectory][/s][--title][t]");
}

TEST_F(FolderPickerProcessTest, NoChooserInstalledIsUnavailable) {
  std::u16string folder;
  EXPECT_EQ(PickFolder(nullptr, u"t", u"/s", &folder),
            FolderPickOutcome::kUnavailable);
  // An answer that is no absolute path chooses nothing.
  Fake("zenity", "not/absolute\\n", 0);
  EXPECT_EQ(PickFolder(nullptr, u"t", u"/s", &folder),
            FolderPickOutcome::kCancelled);
}

}  // namespace
}  // namespace platform
