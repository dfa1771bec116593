// The main window's side of the download and the installation run: handing
// the blocking work to the "Global Misc Thread" (2), the progress display
// driven by the 200 ms tick, the question about a running product
// application, and the result pages. The work itself lives in package/.
#include "base/string_util.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/tick_count.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "package/app_running_check.h"
#include "package/download_progress.h"
#include "package/install_result.h"
#include "package/package_downloader.h"
#include "package/package_installer.h"
#include "package/product_detection.h"
#include "ui/backend/native_window.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"

namespace installer_ui {

void CMainWindow::StartDownload() {
  // The task gets its inputs by value and hands its outcome back by value:
  // thread 2 never touches the window's members, and the results land in
  // them on the UI thread, in the task that also reads them.
  auto done = ToWeakCallback([this](const package::DownloadOutcome& outcome) {
    download_hr_ = outcome.download_hr;
    download_error_ = outcome.download_error;
    OnDownloadDone(installer_file_, outcome.result);
  });
  auto download = [url = package_url_, file = installer_file_, done] {
    package::PackageDownloader downloader(url, file);
    const package::DownloadOutcome outcome = downloader.DownloadPackage();
    nbase::ThreadRegistry::PostTask(nbase::kThreadUI, [done, outcome] { done(outcome); });
  };
  nbase::ThreadRegistry::PostTask(nbase::kThreadMisc, ToWeakCallback(std::move(download)));
}

void CMainWindow::OnDownloadDone(const std::u16string&, int32_t result) {
  if (result == 0) {
    UpdateProgress(package::kProgressDownloadDone);
    CheckAppRunning();
    return;
  }
  const std::u16string failure_text = package::PackageDownloader::FailureText(download_error_);
  stage_ = InstallStage::kDownloadFailed;
  // One "重新安装" per run of the installer.
  if (reinstall_count_ > 0 && btn_reinstall_) btn_reinstall_->SetVisible(false);
  ShowDownloadFailed(failure_text);
}

void CMainWindow::UpdateProgress(int32_t value) {
  const std::optional<package::ProgressView> view =
      progress_.Update(stage_, value, nbase::GetTickCount(), package::DownloadProgressShare());
  if (!view) return;
  if (view->show_slow_hint && download_alert_) download_alert_->SetVisible(true);
  if (progress_install_) {
    progress_install_->SetValue(view->bar_value);
    progress_install_->Invalidate();
  }
  if (progress_install_value_) progress_install_value_->SetText(view->label);
}

void CMainWindow::StartProgressTick() {
  ++progress_ticks_started_;
  // Each run posts the step as a task of its own, so a slow step never
  // delays the tick's own schedule.
  nbase::ThreadRegistry::PostRepeatedTask(nbase::kThreadUI, ToWeakCallback([this] {
                                            nbase::ThreadRegistry::PostTask(
                                                nbase::kThreadUI,
                                                ToWeakCallback([this] { UpdateProgress(0); }));
                                          }),
                                          nbase::TimeDelta::FromMilliseconds(kProgressTickMs), -1);
}

void CMainWindow::CheckAppRunning() {
  if (package::CountRunningProductApps() == 0) {
    stage_ = InstallStage::kInstalling;
    StartInstall();
    return;
  }
  stage_ = InstallStage::kWaitingForApp;
  ShowAppRunningQuestion();
}

void CMainWindow::ShowAppRunningQuestion() {
  const MsgBoxOptions question{package::AppRunningQuestion(), package::kAppRunningTitle,
                               package::kRetryButtonText, package::kForceCloseButtonText};
  ShowMsgBox(native_.get(), question, ToWeakCallback([this](MsgBoxRet answer) {
               OnAppRunningAnswered(static_cast<int32_t>(answer));
             }));
}

void CMainWindow::OnAppRunningAnswered(int32_t answer) {
  if (answer == static_cast<int32_t>(MsgBoxRet::kYes)) {
    // "重试": look again, and ask again while it still runs.
    CheckAppRunning();
    return;
  }
  // "强制关闭", the box's close button or Escape. Whether every instance is
  // really gone is not tested again; the package copes with a busy file.
  package::ForceCloseProductApps(100);
  stage_ = InstallStage::kInstalling;
  StartInstall();
}

void CMainWindow::StartInstall() {
  auto done = ToWeakCallback([this](int32_t code) {
    install_code_ = code;
    OnInstallDone(code);
  });
  auto install = [file = installer_file_, dir = install_dir_, channel = channel_, done] {
    const package::InstallOutcome outcome = package::InstallPackage(file, dir);
    // The records are durable before the window tells of success, and their
    // fsyncs wait here rather than on the UI thread.
    if (outcome.install_code == 0) package::WriteInstallRecords(channel, dir);
    nbase::ThreadRegistry::PostTask(nbase::kThreadUI,
                                    [done, code = outcome.install_code] { done(code); });
  };
  nbase::ThreadRegistry::PostTask(nbase::kThreadMisc, ToWeakCallback(std::move(install)));
}

void CMainWindow::OnInstallDone(int32_t code) {
  if (code == 0) {
    stage_ = InstallStage::kInstalled;
    ShowInstallSucceeded();
    return;
  }
  const std::u16string failure_text = package::InstallFailureText(code);
  stage_ = InstallStage::kInstallFailed;
  if (reinstall_count_ > 0 && btn_reinstall_) btn_reinstall_->SetVisible(false);
  ShowInstallFailed(failure_text);
}

void CMainWindow::ShowInstallSucceeded() {
  ShowInstalledPage();
  package::ReportInstallSucceeded();
  RaiseToForeground();
}

void CMainWindow::ShowDownloadFailed(const std::u16string& failure_text) {
  ShowFailurePage(package::FailureReasonLine(download_hr_, package::FailureKind::kDownload));
  package::ReportInstallFailed(failure_text);
  RaiseToForeground();
}

void CMainWindow::ShowInstallFailed(const std::u16string& failure_text) {
  ShowFailurePage(package::FailureReasonLine(install_code_, package::FailureKind::kInstall));
  package::ReportInstallFailed(failure_text);
  RaiseToForeground();
}

void CMainWindow::LaunchApp() {
  // Whether the application started is not examined: the installer closes.
  package::LaunchApp(install_dir_);
  Close(1);
}

}  // namespace installer_ui
