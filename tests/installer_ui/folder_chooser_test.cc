// The main window's folder bar, folder choice and leave text.
#include <array>
#include <string>

#include "gtest/gtest.h"
#include "installer_ui/main_window.h"

namespace installer_ui {
namespace {

TEST(FolderChooserTest, InstallFolderKeepsTheChosenTextAsItIs) {
  EXPECT_EQ(CMainWindow::InstallDirForChosenFolder(u"/"), u"//zorv/dudIdiruvovo");
  EXPECT_EQ(CMainWindow::InstallDirForChosenFolder(u"/opt/x"), u"/opt/x/zorv/dudIdiruvovo");
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
