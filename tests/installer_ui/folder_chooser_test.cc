// The folder chooser's desktop programs as real processes (stand-ins first
// on PATH): which one asks, with which arguments, and what their answers mean.
#include "installer_ui/folder_chooser.h"

#include <sys/stat.h>

#include <string>

#include "gtest/gtest.h"
#include "installer_ui/main_window.h"
#include "tests/platform/test_support.h"

namespace installer_ui {
namespace {

TEST(FolderChooserTest, ParsesTheFirstLineOfAnAbsoluteAnswer) {
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
    EXPECT_EQ(FolderChooser::ParseChooserOutput(c.output, &folder), c.ok) << c.output;
    EXPECT_EQ(folder, c.folder) << c.output;
  }
}

TEST(FolderChooserTest, InstallFolderKeepsTheChosenTextAsItIs) {
  EXPECT_EQ(CMainWindow::InstallDirForChosenFolder(u"/"), u"//zorv/dudIdiruvovo");
  EXPECT_EQ(CMainWindow::InstallDirForChosenFolder(u"/opt/x"), u"/opt/x/zorv/dudIdiruvovo");
}

class FolderChooserProcessTest : public ::testing::Test {
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

TEST_F(FolderChooserProcessTest, ZenityAsksFirstOnTheStartFolder) {
  Fake("zenity", "/srv/a b\\n", 0);
  Fake("kdialog", "/never\\n", 0);
  std::u16string folder;
  EXPECT_EQ(FolderChooser::RunSystemChooser(u"请选择安装路径", u"/data dir", &folder),
            FolderChooser::Outcome::kChosen);
  EXPECT_EQ(folder, u"/srv/a b");
  EXPECT_EQ(Log("zenity"),
            "[--file-selection][--directory][--title=请选择安装路径][--filename=/data dir/]");
  EXPECT_EQ(Log("kdialog"), "");
}

TEST_F(FolderChooserProcessTest, ACancelIsFinalAndAFailedChooserPassesOn) {
  Fake("zenity", "", 1);
  Fake("kdialog", "/k\\n", 0);
  std::u16string folder = u"unchanged";
  EXPECT_EQ(FolderChooser::RunSystemChooser(u"t", u"/s", &folder),
            FolderChooser::Outcome::kCancelled);
  EXPECT_EQ(folder, u"unchanged");
  EXPECT_EQ(Log("kdialog"), "");

  // zenity without a display ends with its error code: kdialog asks instead.
  Fake("zenity", "", 255);
  EXPECT_EQ(FolderChooser::RunSystemChooser(u"t", u"/s", &folder), FolderChooser::Outcome::kChosen);
  EXPECT_EQ(folder, u"/k");
  EXPECT_EQ(Log("kdialog"), "[--getexistingdirectory][/s][--title][t]");
}

TEST_F(FolderChooserProcessTest, NoChooserInstalledIsUnavailable) {
  std::u16string folder;
  EXPECT_EQ(FolderChooser::RunSystemChooser(u"t", u"/s", &folder),
            FolderChooser::Outcome::kUnavailable);
  // An answer that is no absolute path chooses nothing.
  Fake("zenity", "not/absolute\\n", 0);
  EXPECT_EQ(FolderChooser::RunSystemChooser(u"t", u"/s", &folder),
            FolderChooser::Outcome::kCancelled);
}

TEST(MainWindowTest, FolderBarDeltaFollowsTheScale) {
  EXPECT_EQ(CMainWindow::CustomizeBarDelta(100), 48);
  EXPECT_EQ(CMainWindow::CustomizeBarDelta(125), 60);
  EXPECT_EQ(CMainWindow::CustomizeBarDelta(150), 72);
  // Truncated, not rounded: 48 x 133 / 100 = 63.84.
  EXPECT_EQ(CMainWindow::CustomizeBarDelta(133), 63);
}

TEST(MainWindowTest, LeaveTextCleansTheFeedbackAndAppendsTheReasons) {
  const struct {
    std::u16string feedback;
    std::array<bool, 5> ticked;
    std::u16string text;
  } cases[] = {
      {u"a\"b\n", {false, true, false, true, false}, u"a\u201Db 曾安装不喜欢"},
      {u"", {false, false, false, false, true}, u" 无理由"},
      {u"\r\n\r\n", {}, u" "},
      {u"\"\"", {true, false, true, false, false}, u"\u201D\u201D 已安装下载错"},
  };
  for (const auto& c : cases) EXPECT_EQ(CMainWindow::LeaveText(c.feedback, c.ticked), c.text);
}

}  // namespace
}  // namespace installer_ui
