// The real installer, started as main.cc starts it, with one more thread
// that plays a user through the download and installation flow: it starts
// the installation, watches the bar and its label, answers the questions
// and leaves through the result pages. The test around it serves the
// package, watches the processes and reads the reports and records.
//
// Scenario (first argument) and its environment:
//   install    start, wait for the installed page; VARNIK_DRIVER_GATE: a file
//              created once the installing text is on show (the gated
//              package waits for it); VARNIK_DRIVER_LEAVE: "startapp" or
//              "exit", the installed page's button that ends the run;
//              VARNIK_DRIVER_CHOOSE_DIR: the folder the chooser must give
//              before the start (the folder bar's button is used).
//   app_running   the product application runs: "重试", then "强制关闭".
//   app_closed    the product application runs; once the question is on
//              show the driver prints "QUESTION SHOWN" and waits for the file
//              VARNIK_DRIVER_CLOSED (the test ends the application), then
//              "重试" must lead to the installation without a new question.
//   fails_twice   the package fails; "重新安装"; it fails again.
//   slow       the server stalls: the hint row appears after ten seconds, its
//              button opens the offline page (VARNIK_DRIVER_BROWSER_LOG is
//              the stand-in browser's log); the window system's close ends.
//   download_fails   every attempt fails; "重新安装"; they fail again; the
//              close button leads to the retention page.
//   detect     the close button on the welcome page; VARNIK_DRIVER_INSTALLED
//              "1" when the product must count as installed.
//
// Output: "CHECK ok/FAIL" lines, "SAMPLE" lines of the progress display, and
// "SCENARIO DONE" just before the final action.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/string_util.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "platform/system_info.h"
#include "platform/url_download.h"
#include "tests/installer_ui/window_driver.h"
#include "ui/core/progress.h"

namespace {

using installer_ui::CMainWindow;
using W = varnik_test::WindowDriver;

constexpr int kWelcome = 0;
constexpr int kDownloading = 1;
constexpr int kInstalling = 2;
constexpr int kInstalled = 3;
constexpr int kDownloadFailed = 4;
constexpr int kWaitingForApp = 5;
constexpr int kInstallFailed = 6;
constexpr int kRetention = 7;

// One look at the progress display, taken in one UI task.
struct Sample {
  int stage = 0;
  int progress = 0;
  int bar = -1;
  std::string label;
  // The results of the work on thread 2 as the window holds them: read on
  // the UI thread while that work runs, so that a thread sanitizer sees any
  // write of them on thread 2.
  int32_t download_hr = 0;
  int32_t install_code = 0;
};

// On the UI thread.
Sample SampleNow() {
  CMainWindow* window = CMainWindow::Instance();
  Sample s;
  s.stage = static_cast<int>(window->stage());
  s.progress = window->progress();
  s.download_hr = window->download_hr();
  s.install_code = window->install_code();
  if (auto* bar = dynamic_cast<ui::Progress*>(window->FindControl(u"progress_install"))) {
    s.bar = bar->GetValue();
  }
  if (auto* label = dynamic_cast<ui::Label*>(window->FindControl(u"progress_install_value"))) {
    s.label = nbase::Utf16ToUtf8(label->GetText());
  }
  return s;
}

Sample TakeSample() { return W::OnUi<Sample>(&SampleNow); }

// The label the display must show for a progress in tenths of a percent.
std::string ExpectedLabel(int progress) {
  char number[32];
  std::snprintf(number, sizeof number, "%d.%d%%", progress / 10, progress % 10);
  return std::string(progress > 900 ? "下载完成，正在安装，请不要关闭："
                                    : "正在下载，请不要关闭：") +
         number;
}

// How many write calls the UI thread (the process's first thread) has made.
long UiThreadWriteCalls() {
  const std::string io = "/proc/self/task/" + std::to_string(getpid()) + "/io";
  FILE* file = std::fopen(io.c_str(), "r");
  if (!file) return -1;
  long count = -1;
  char line[128];
  while (std::fgets(line, sizeof line, file)) {
    if (std::sscanf(line, "syscw: %ld", &count) == 1) break;
  }
  std::fclose(file);
  return count;
}

bool IsInstallingText(const std::string& label) {
  return label.rfind("下载完成，正在安装", 0) == 0;
}

// Bar, label and progress agree with one another.
void CheckSample(const Sample& s, const std::string& what) {
  const std::string line = "stage " + std::to_string(s.stage) + " progress " +
                           std::to_string(s.progress) + " bar " + std::to_string(s.bar) +
                           " label " + s.label;
  W::Print("SAMPLE " + line);
  W::Check(s.bar == s.progress / 10 && s.label == ExpectedLabel(s.progress), what, line);
}

std::string ReasonLine(int32_t code, const char* ending) {
  return "失败原因：" + nbase::Utf16ToUtf8(platform::SystemErrorText(code)) + ending;
}

void CheckReasonLine(int32_t code, const char* ending) {
  const std::string reason = W::Text(u"download_failed_msg");
  W::CheckEq(reason, ReasonLine(code, ending), "reason line");
  W::Check(reason.find('\n') == std::string::npos && reason.find('\r') == std::string::npos,
           "reason line on one line", reason);
}

void CheckInstalledPage() {
  W::Check(W::Visible(u"installedpage") && !W::Visible(u"installpage") &&
               !W::Visible(u"installfaildpage") && W::Visible(u"btn_exit") &&
               W::Visible(u"btn_startapp"),
           "installed page");
}

void CheckFailurePage(bool reinstall_offered) {
  W::Check(W::Visible(u"installfaildpage") && !W::Visible(u"installpage") &&
               W::Visible(u"btn_exit") && W::Visible(u"btn_reinstall") == reinstall_offered,
           std::string("failure page, reinstall ") + (reinstall_offered ? "offered" : "hidden"));
}

// The page a click switched to is looked at in the click's own UI task: a
// download that fails at once must not switch to the failure page first.
bool InstallingPageNow() {
  return W::VisibleNow(u"installpage") && !W::VisibleNow(u"installfaildpage") &&
         !W::VisibleNow(u"welcompage") && !W::VisibleNow(u"btn_exit") &&
         W::StageNow() == kDownloading;
}

void StartInstallation() {
  W::Check(W::ClickThen(u"btn_startinstall", &InstallingPageNow),
           "installing page without a close button");
}

// Samples the display while the download runs and until the installing text
// shows, then opens the gate (if any) and waits for the installed page.
void InstallScenario() {
  const std::string chosen = W::Env("VARNIK_DRIVER_CHOOSE_DIR");
  if (!chosen.empty()) {
    W::Click(u"btn_customize");
    W::Click(u"btn_changeinstallpath");
    W::CheckEq(W::Text(u"edit_installdir"), chosen, "chosen folder shown");
  }
  StartInstallation();
  const std::string gate = W::Env("VARNIK_DRIVER_GATE");
  if (!gate.empty()) {
    std::vector<Sample> samples;
    W::WaitUntil(
        [&] {
          samples.push_back(TakeSample());
          return samples.back().stage != kDownloading;
        },
        "download done");
    // The package waits for the gate, so the run cannot end before a tick.
    W::WaitUntil(
        [&] {
          samples.push_back(TakeSample());
          return IsInstallingText(samples.back().label);
        },
        "installing text");
    const size_t first_installing_text = samples.size() - 1;
    // On past 95.1, where the step becomes 0.2.
    W::WaitUntil(
        [&] {
          samples.push_back(TakeSample());
          return samples.back().progress >= 955;
        },
        "past 95.1");
    bool ordered = true;
    bool installing_seen = false;
    for (const Sample& s : samples) {
      CheckSample(s, "display consistent");
      if (s.stage == kDownloading) {
        ordered = ordered && !installing_seen && s.progress <= 900;
      } else {
        ordered = ordered && s.stage == kInstalling;
        installing_seen = true;
        // From 90.0 each tick adds 0.3 up to 95.1, then 0.2.
        ordered = ordered && s.progress >= 900 &&
                  (s.progress <= 951 ? (s.progress - 900) % 3 == 0 : (s.progress - 951) % 2 == 0);
      }
    }
    W::Check(ordered,
             "downloading values up to 90.0, then 90.0 plus ticks of 0.3 while installing");
    W::Check(samples[first_installing_text].progress > 900 &&
                 samples[first_installing_text].progress <= 951,
             "installing text from 90.3 on", samples[first_installing_text].label);
    const long ui_writes = UiThreadWriteCalls();
    const int fd = open(gate.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    W::Check(fd >= 0, "gate opened");
    if (fd >= 0) close(fd);
    W::WaitUntil([] { return W::Stage() == kInstalled; }, "installed", std::chrono::seconds(60));
    // The outcome records wait for the disk on thread 2, never on the UI thread.
    W::Check(ui_writes >= 0 && UiThreadWriteCalls() == ui_writes,
             "no write on the UI thread from the package's end to the installed page",
             std::to_string(ui_writes) + " -> " + std::to_string(UiThreadWriteCalls()));
  }
  W::WaitUntil([] { return W::Stage() == kInstalled; }, "installed", std::chrono::seconds(60));
  CheckInstalledPage();
  const Sample last = TakeSample();
  W::Check(last.stage == kInstalled, "installed stage");
  W::Done();
  W::Click(W::Env("VARNIK_DRIVER_LEAVE") == "exit" ? u"btn_exit" : u"btn_startapp");
}

void CheckAppQuestion(const std::string& what) {
  W::WaitForOpenBox(what);
  W::CheckEq(W::BoxText(u"content"), "应用程序 \"VarnikPDF转换器\" 正在运行，是否强制关闭？",
             what + ": question");
  W::CheckEq(W::BoxText(u"title"), "提示", what + ": title");
  W::CheckEq(W::BoxText(u"btn_yes"), "重试", what + ": retry button");
  W::CheckEq(W::BoxText(u"btn_no"), "强制关闭", what + ": force button");
  const Sample s = TakeSample();
  CheckSample(s, what + ": display");
  W::Check(s.stage == kWaitingForApp && s.progress == 900 &&
               s.label == "正在下载，请不要关闭：90.0%" && s.bar == 90,
           what + ": bar stands at 90.0 while waiting", std::to_string(s.stage) + " " + s.label);
}

void AppRunningScenario() {
  StartInstallation();
  CheckAppQuestion("first question");
  W::ClickInBox(u"btn_yes");
  CheckAppQuestion("asked again after retry");
  W::Check(W::Stage() == kWaitingForApp, "still waiting");
  W::ClickInBox(u"btn_no");
  W::WaitUntil([] { return W::Stage() == kInstalled; }, "installed after force close",
               std::chrono::seconds(60));
  CheckInstalledPage();
  W::Done();
  W::Click(u"btn_exit");
}

void AppClosedByHandScenario() {
  StartInstallation();
  CheckAppQuestion("question");
  W::Print("QUESTION SHOWN");
  const std::string closed = W::Env("VARNIK_DRIVER_CLOSED");
  W::WaitUntil([&] { return access(closed.c_str(), F_OK) == 0; }, "application closed by hand",
               std::chrono::seconds(60));
  W::ClickInBox(u"btn_yes");
  W::WaitUntil([] { return W::Stage() == kInstalled; }, "installed after retry",
               std::chrono::seconds(60));
  W::Check(W::OpenBoxCount() == 0, "no second question");
  CheckInstalledPage();
  W::Done();
  W::Click(u"btn_exit");
}

void FailsTwiceScenario() {
  StartInstallation();
  W::WaitUntil([] { return W::Stage() == kInstallFailed; }, "first failure",
               std::chrono::seconds(60));
  CheckFailurePage(true);
  CheckReasonLine(5, "(安装)");
  Sample again;
  W::Check(W::ClickThen(u"btn_reinstall",
                        [&again] {
                          again = SampleNow();
                          return InstallingPageNow();
                        }),
           "installing page again");
  W::Check(again.stage == kDownloading && again.progress == 10 &&
               again.label == "正在下载，请不要关闭：1.0%",
           "reinstall restarts the download at 1.0", again.label);
  W::WaitUntil([] { return W::Stage() == kInstallFailed; }, "second failure",
               std::chrono::seconds(60));
  CheckFailurePage(false);
  CheckReasonLine(5, "(安装)");
  W::Click(u"btn_exit");
  W::WaitForOpenBox("exit question");
  W::Done();
  W::ClickInBox(u"btn_yes");
}

void SlowDownloadScenario() {
  const auto start = std::chrono::steady_clock::now();
  StartInstallation();
  W::Check(!W::Visible(u"downloadAlert"), "no hint at the start");
  W::WaitUntil([] { return W::Visible(u"downloadAlert"); }, "slow-download hint",
               std::chrono::seconds(30));
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  // Shown at the first tick after ten seconds; ticks come every 200 ms.
  W::Check(waited >= 10000 && waited < 16000, "hint after ten seconds",
           std::to_string(waited) + " ms");
  const Sample s = TakeSample();
  CheckSample(s, "display while stalled");
  W::Check(s.stage == kDownloading && s.progress == 0 && s.bar == 0,
           "nothing transferred: the bar stays empty", s.label);
  W::Click(u"btn_downloadOfflinePackage");
  const std::string log = W::Env("VARNIK_DRIVER_BROWSER_LOG");
  W::WaitUntil([&] { return access(log.c_str(), F_OK) == 0; }, "browser opened");
  W::Check(W::Stage() == kDownloading && W::Visible(u"installpage") && W::Visible(u"downloadAlert"),
           "still downloading with the hint");
  W::Done();
  W::SystemClose();
}

void CheckDownloadFailure(bool reinstall_offered) {
  CheckFailurePage(reinstall_offered);
  const int32_t hr = W::OnUi<int32_t>([] { return CMainWindow::Instance()->download_hr(); });
  // A transfer that failed is explained by the download service's own text;
  // a file that only failed the package check by the system's text for 0.
  const std::u16string text =
      hr == 0 ? platform::SystemErrorText(0) : platform::DownloadErrorText(hr);
  W::Check(!text.empty(), "the code has a text", std::to_string(hr));
  const std::string reason = W::Text(u"download_failed_msg");
  W::CheckEq(reason, "失败原因：" + nbase::Utf16ToUtf8(text) + "(下载)", "download reason line");
  W::Check(reason.find('\n') == std::string::npos && reason.find('\r') == std::string::npos,
           "reason line on one line", reason);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<uint32_t>(hr));
  W::Print(std::string("DOWNLOAD HR ") + hex);
}

void DownloadFailsScenario() {
  StartInstallation();
  W::WaitUntil([] { return W::Stage() == kDownloadFailed; }, "download failed",
               std::chrono::seconds(60));
  CheckDownloadFailure(true);
  W::Check(W::ClickThen(u"btn_reinstall", &InstallingPageNow), "downloading again");
  W::WaitUntil([] { return W::Stage() == kDownloadFailed; }, "download failed again",
               std::chrono::seconds(60));
  CheckDownloadFailure(false);
  W::Click(u"btn_exit");
  W::Check(W::Stage() == kRetention && W::Visible(u"ExitStartpage"), "retention page");
  W::Click(u"checkbox_5");
  W::Done();
  W::Click(u"btn_quitStart");
}

void DetectScenario() {
  W::Check(W::Stage() == kWelcome && W::Visible(u"welcompage"), "welcome page");
  if (W::Env("VARNIK_DRIVER_INSTALLED") == "1") {
    W::Done();
    W::Click(u"btn_exit");
    return;
  }
  W::Click(u"btn_exit");
  W::Check(W::Stage() == kRetention && W::Visible(u"ExitStartpage"),
           "not installed: the retention page");
  W::Click(u"checkbox_5");
  W::Done();
  W::Click(u"btn_quitStart");
}

void RunScenario(const std::string& name) {
  if (name == "install") {
    InstallScenario();
  } else if (name == "app_running") {
    AppRunningScenario();
  } else if (name == "app_closed") {
    AppClosedByHandScenario();
  } else if (name == "fails_twice") {
    FailsTwiceScenario();
  } else if (name == "slow") {
    SlowDownloadScenario();
  } else if (name == "download_fails") {
    DownloadFailsScenario();
  } else if (name == "detect") {
    DetectScenario();
  } else {
    W::Abort("unknown scenario " + name);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return varnik_test::WindowDriver::RunInstallerWithUser(argc, argv, &RunScenario);
}
