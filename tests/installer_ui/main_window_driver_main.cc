// The real installer, started as main.cc starts it, with one more thread
// that plays a user: it waits for the main window, clicks its controls by
// name and types into its fields through SDL input events (as the window
// system would deliver them), checks what the window shows, and prints one
// line per check. Every scenario ends the way a user leaves, so the process
// ends through the window's own close with exit code 0.
//
// Output lines: "CHECK ok <what>" or "CHECK FAIL <what>: <detail>", then
// "SCENARIO DONE" just before the final action. A step that does not
// happen within its deadline prints "CHECK FAIL" and ends the process with
// exit code 5.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/main_thread.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "tests/installer_ui/window_driver.h"
#include "ui/backend/native_window.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"

namespace {

using installer_ui::CMainWindow;
using namespace std::chrono_literals;

using W = varnik_test::WindowDriver;

CMainWindow* Window() { return CMainWindow::Instance(); }

void ToRetention() {
  W::Click(u"btn_exit");
  W::WaitUntil([] { return W::Stage() == 7; }, "retention page");
}

// --- scenarios ---------------------------------------------------------------

void WelcomeScenario() {
  W::CheckEq(W::Text(u"appnameLable_welcom"), "VarnikPDF转换器", "welcome product name");
  W::CheckEq(W::Text(u"appnameLable_install"), "VarnikPDF转换器", "installing product name");
  W::CheckEq(W::Text(u"askuserStayMsg"), "恳请给个机会，体验软件功能", "retention headline");
  W::CheckEq(W::Text(u"edit_installdir"), W::Env("XDG_DATA_HOME") + "/zorv/dudIdiruvovo", "install folder");
  W::Check(W::Visible(u"welcompage") && W::Visible(u"bkimage2") && !W::Visible(u"bkimage1") &&
            W::Visible(u"btn_exit") && !W::Visible(u"installpage") && !W::Visible(u"customizebar"),
        "welcome page on show");
  W::Check(W::Enabled(u"edit_installdir") && W::Enabled(u"btn_changeinstallpath"),
        "folder controls enabled");
  const int first = W::Height();
  W::CheckEq(std::to_string(first), "400", "first height");
  W::Click(u"btn_customize");
  W::CheckEq(std::to_string(W::Height()), "448", "height with the folder bar");
  W::Check(W::Visible(u"customizebar"), "folder bar open");
  W::CheckEq(W::OnUi<std::string>([] {
            return nbase::Utf16ToUtf8(Window()->FindControl(u"btn_expand")->GetBkImage());
          }),
          "icon_up.png", "arrow up");
  W::Click(u"btn_expand");
  W::CheckEq(std::to_string(W::Height()), std::to_string(first), "height back to the first");
  W::Check(!W::Visible(u"customizebar"), "folder bar closed");
  W::CheckEq(W::OnUi<std::string>([] {
            return nbase::Utf16ToUtf8(Window()->FindControl(u"btn_expand")->GetBkImage());
          }),
          "icon_down.png", "arrow down");
  W::Done();
  W::SystemClose();
}

// Ticks and unticks reasons, then leaves with the reasons and text given in
// VARNIK_DRIVER_TICK (check box numbers) and VARNIK_DRIVER_FEEDBACK.
void RetentionScenario() {
  ToRetention();
  W::Check(W::Visible(u"ExitStartpage") && W::Visible(u"bkimage1") && !W::Visible(u"bkimage2") &&
            !W::Visible(u"btn_exit") && !W::Visible(u"welcompage"),
        "retention page with the short header and no close button");
  W::Check(!W::Enabled(u"btn_quitStart"), "leave disabled at first");
  W::Click(u"checkbox_5");
  W::Check(W::Enabled(u"btn_quitStart"), "leave enabled by a reason");
  W::Click(u"checkbox_5");
  W::Check(!W::Enabled(u"btn_quitStart"), "leave disabled again");
  for (char c : W::Env("VARNIK_DRIVER_TICK")) {
    W::Click(u"checkbox_" + std::u16string(1, static_cast<char16_t>(c)));
  }
  const std::string feedback = W::Env("VARNIK_DRIVER_FEEDBACK");
  if (!feedback.empty()) {
    W::Click(u"edit_feedback");
    W::TypeText(feedback);
    W::CheckEq(W::Text(u"edit_feedback"), feedback, "feedback typed");
  }
  W::Check(W::Enabled(u"btn_quitStart"), "leave enabled");
  W::Done();
  W::Click(u"btn_quitStart");
}

// "继续安装" from the exit page, a failed download, the offline page from the
// failure page, then leaving through the retention page.
void ContinueScenario() {
  ToRetention();
  // Against this server the download fails within milliseconds, so the
  // installing page is checked in the same UI task as the activation, before
  // the download's result can reach the window.
  W::Check(W::ClickThen(u"btn_continueInstall",
                        [] {
                          return W::VisibleNow(u"installpage") &&
                                 !W::VisibleNow(u"ExitStartpage") && !W::VisibleNow(u"btn_exit") &&
                                 W::VisibleNow(u"bkimage2");
                        }),
           "installing page");
  W::WaitUntil([] { return W::Stage() == 4; }, "download failed");
  W::Check(W::Visible(u"installfaildpage") && W::Visible(u"btn_exit") && W::Visible(u"btn_reinstall") &&
            !W::Visible(u"installpage"),
        "failure page");
  const std::string reason = W::Text(u"download_failed_msg");
  W::Check(reason.rfind("失败原因：", 0) == 0 && reason.size() > 8 &&
            reason.substr(reason.size() - 8) == "(下载)",
        "reason line", reason);
  W::Check(W::OnUi<int>([] { return Window()->progress_ticks_started(); }) == 1, "one progress tick");
  W::Click(u"btn_redownload");
  W::Check(W::Stage() == 4, "stays on the failure page");
  W::WaitUntil(
      [] { return access((W::Env("VARNIK_DRIVER_LOG_DIR") + "/xdg-open.log").c_str(), F_OK) == 0; },
      "browser opened");
  ToRetention();
  W::Click(u"checkbox_5");
  W::Done();
  W::Click(u"btn_quitStart");
}

void InstalledProductScenario() {
  W::Check(!W::Enabled(u"edit_installdir") == (W::Env("VARNIK_DRIVER_EXISTING") == "1"),
        "folder field enabled only without an earlier installation");
  W::Check(!W::Enabled(u"btn_changeinstallpath") == (W::Env("VARNIK_DRIVER_EXISTING") == "1"),
        "folder button enabled only without an earlier installation");
  if (W::Env("VARNIK_DRIVER_EXISTING") == "1") {
    W::CheckEq(W::Text(u"edit_installdir"), W::Env("VARNIK_DRIVER_EXPECT_DIR"), "earlier folder shown");
  }
  W::Done();
  W::Click(u"btn_exit");
}

void FolderScenario() {
  W::Click(u"btn_customize");
  W::Click(u"btn_changeinstallpath");
  W::CheckEq(W::Text(u"edit_installdir"), W::Env("VARNIK_DRIVER_EXPECT_DIR"), "chosen folder shown");
  W::Check(W::OnUi<bool>([] { return Window()->native_window()->IsEnabled(); }),
        "window takes input again");
  W::Click(u"btn_changeinstallpath");
  W::CheckEq(W::Text(u"edit_installdir"), W::Env("VARNIK_DRIVER_EXPECT_DIR"), "cancel keeps the folder");
  W::Done();
  W::SystemClose();
}

void FolderOnceScenario() {
  W::Click(u"btn_customize");
  W::Click(u"btn_changeinstallpath");
  W::CheckEq(W::Text(u"edit_installdir"), W::Env("VARNIK_DRIVER_EXPECT_DIR"), "chosen folder shown");
  W::Done();
  W::SystemClose();
}

// A download that succeeds and a package that fails all three runs; the
// exit question: "下载完整安装包" opens the offline page and stays, "已经安装"
// reports and ends.
void InstallFailsScenario() {
  // Looked at in the click's own task: a quick download and a failing
  // package could otherwise reach the failure page first.
  W::Check(W::ClickThen(u"btn_startinstall",
                        [] {
                          return W::VisibleNow(u"installpage") && !W::VisibleNow(u"welcompage") &&
                                 !W::VisibleNow(u"btn_exit");
                        }),
           "installing page");
  W::WaitUntil([] { return W::Stage() == 6; }, "installation failed");
  W::Check(W::Visible(u"installfaildpage") && W::Visible(u"btn_exit") && W::Visible(u"btn_reinstall"),
        "failure page");
  const std::string reason = W::Text(u"download_failed_msg");
  W::Check(reason.rfind("失败原因：", 0) == 0 && reason.size() > 8 &&
            reason.substr(reason.size() - 8) == "(安装)",
        "reason line", reason);
  W::Click(u"btn_exit");
  W::ClickInBox(u"btn_no");
  W::WaitUntil(
      [] { return access((W::Env("VARNIK_DRIVER_LOG_DIR") + "/xdg-open.log").c_str(), F_OK) == 0; },
      "browser opened");
  W::Check(W::Stage() == 6 && W::Visible(u"installfaildpage"), "stays on the failure page");
  W::WaitUntil([] { return W::OnUi<bool>([] { return installer_ui::MsgBox::OpenBoxes().empty(); }); },
            "first box gone");
  W::Click(u"btn_exit");
  W::Done();
  W::ClickInBox(u"btn_yes");
}

void RunScenario(const std::string& name) {
  if (name == "welcome") {
    WelcomeScenario();
  } else if (name == "retention") {
    RetentionScenario();
  } else if (name == "continue") {
    ContinueScenario();
  } else if (name == "installed") {
    InstalledProductScenario();
  } else if (name == "folder") {
    FolderScenario();
  } else if (name == "install_fails") {
    InstallFailsScenario();
  } else if (name == "folder_once") {
    FolderOnceScenario();
  } else {
    W::Abort("unknown scenario " + name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return varnik_test::WindowDriver::RunInstallerWithUser(argc, argv, &RunScenario);
}
