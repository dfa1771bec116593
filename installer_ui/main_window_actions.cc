// The user's actions on the main window: the click handler that picks the
// action by the sender's name, the install and reinstall actions, the folder
// bar and the folder chooser, and everything that happens when the user wants
// to leave (exit retention, the exit question, the reasons for leaving).
#include <utility>

#include "base/string_util.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "installer_ui/folder_chooser.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "installer_ui/url_opener.h"
#include "package/product_detection.h"
#include "platform/product_identity.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "report/event_reporter.h"
#include "ui/backend/native_window.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/rich_edit.h"

namespace installer_ui {

namespace {

// The reasons of the exit-retention page in order, and the word each one
// reports (the check box's own label comes from the skin).
struct Reason {
  const char16_t* check_box;
  const char16_t* word;
};
constexpr Reason kReasons[] = {
    {u"checkbox_1", u"已安装"}, {u"checkbox_2", u"曾安装"}, {u"checkbox_3", u"下载错"},
    {u"checkbox_4", u"不喜欢"}, {u"checkbox_5", u"无理由"},
};

void ReportClick(const char16_t* key, std::u16string value) {
  report::ReportEvent(u"OnClick", report::EventData{{key, std::move(value)}});
}

}  // namespace

bool CMainWindow::OnControlClick(const ui::EventArgs& args) {
  if (!args.sender) return true;
  const std::u16string& name = args.sender->GetName();
  // Compared whole and case-sensitive, in this order; the first match acts.
  if (name == u"btn_useragreement") {
    OpenUrl(AgreementPageUrl());
  } else if (name == u"btn_customize" || name == u"btn_expand") {
    ToggleCustomizeBar();
  } else if (name == u"btn_continueInstall" || name == u"btn_startinstall") {
    InstallAction();
  } else if (name == u"btn_changeinstallpath") {
    ChooseInstallFolder();
  } else if (name == u"btn_startapp") {
    LaunchApp();
  } else if (name == u"btn_quitStart") {
    LeaveWithReasons();
  } else if (name == u"btn_reinstall") {
    ReInstallAction();
    ++reinstall_count_;
  } else if (name == u"btn_exit") {
    CloseAction();
  } else if (name == u"btn_redownload" || name == u"btn_downloadOfflinePackage") {
    OpenOfflinePage();
  }
  return true;
}

void CMainWindow::InstallAction() {
  ShowInstallingPage(InstallingForm::kInstall);
  stage_ = InstallStage::kDownloading;
  UpdateProgress(package::kProgressDownloadStart);
  StartDownload();
  // Every install action starts one more tick; none is ever stopped, so after
  // "继续安装" on a retention page reached from the failure page two run.
  StartProgressTick();
  ReportClick(u"ClickSrc", u"Install");
}

void CMainWindow::ReInstallAction() {
  ShowInstallingPage(InstallingForm::kReInstall);
  stage_ = InstallStage::kDownloading;
  UpdateProgress(package::kProgressDownloadStart);
  StartDownload();
  // No new tick: the one of the earlier install action still runs.
  ReportClick(u"ClickSrc", u"ReInstall");
}

void CMainWindow::RetentionAction() {
  ShowRetentionPage();
  stage_ = InstallStage::kRetention;
  // The retention page reports itself under the reinstall button's name.
  ReportClick(u"ClickSrc", u"ReInstall");
}

void CMainWindow::CloseAction() {
  if (stage_ == InstallStage::kInstalled) {
    LaunchApp();
    return;
  }
  if (package::IsProductInstalled()) {
    if (platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerPathValue).empty()) {
      report::ReportEvent(u"offline", report::EventData{{u"result", u"success"}});
    }
    ReportClick(u"btn_exit",
                stage_ == InstallStage::kDownloadFailed ? u"Failed 已安装" : u"Start 已安装");
    Close(1);
    return;
  }
  if (stage_ == InstallStage::kInstallFailed) {
    ShowExitQuestion();
    return;
  }
  RetentionAction();
}

void CMainWindow::ShowExitQuestion() {
  MsgBoxOptions question;
  question.content = nbase::FormatText(kExitQuestionPattern, {platform::kProductDisplayName});
  question.title = kQuestionTitle;
  question.yes_text = kExitQuestionYes;
  question.no_text = kExitQuestionNo;
  ShowMsgBox(native_.get(), question, ToWeakCallback([this](MsgBoxRet answer) {
               OnExitQuestionAnswered(static_cast<int32_t>(answer));
             }));
}

void CMainWindow::OnExitQuestionAnswered(int32_t answer) {
  if (answer == static_cast<int32_t>(MsgBoxRet::kYes)) {
    ReportClick(u"btn_exit", u"Failed 未安装");
    Close(1);
    return;
  }
  // "下载完整安装包", the box's close button or Escape: the window stays on
  // the failure page.
  OpenOfflinePage();
}

std::u16string CMainWindow::LeaveText(std::u16string feedback, const std::array<bool, 5>& ticked) {
  feedback += u' ';
  nbase::ReplaceAll(feedback, u"\r", u"");
  nbase::ReplaceAll(feedback, u"\n", u"");
  // The report's envelope carries the value as it is; a plain quote would
  // end it early.
  nbase::ReplaceAll(feedback, u"\"", u"\u201D");
  for (size_t i = 0; i < ticked.size(); ++i) {
    if (ticked[i]) feedback += kReasons[i].word;
  }
  return feedback;
}

void CMainWindow::LeaveWithReasons() {
  std::u16string feedback;
  if (auto* edit = dynamic_cast<ui::RichEdit*>(FindControl(u"edit_feedback"))) {
    feedback = edit->GetText();
  }
  std::array<bool, 5> ticked{};
  for (size_t i = 0; i < ticked.size(); ++i) {
    auto* box = dynamic_cast<ui::CheckBox*>(FindControl(kReasons[i].check_box));
    ticked[i] = box && box->IsSelected();
  }
  ReportClick(u"btn_exit", u"Start " + LeaveText(std::move(feedback), ticked));
  Close(1);
}

bool CMainWindow::OnReasonChanged(const ui::EventArgs&) {
  bool any = false;
  for (const Reason& reason : kReasons) {
    auto* box = dynamic_cast<ui::CheckBox*>(FindControl(reason.check_box));
    if (box && box->IsSelected()) {
      any = true;
      break;
    }
  }
  if (!any) {
    // The raw text counts: a feedback of line breaks only is a reason too.
    auto* edit = dynamic_cast<ui::RichEdit*>(FindControl(u"edit_feedback"));
    any = edit && !edit->GetText().empty();
  }
  if (ui::Control* quit = FindControl(u"btn_quitStart")) quit->SetEnabled(any);
  return true;
}

bool CMainWindow::OnAgreementChanged(const ui::EventArgs& args) {
  auto* agreement = dynamic_cast<ui::CheckBox*>(args.sender);
  if (btn_startinstall_ && agreement) btn_startinstall_->SetEnabled(agreement->IsSelected());
  return true;
}

int32_t CMainWindow::CustomizeBarDelta(int32_t scale_percent) {
  return scale_percent * kCustomizeBarHeight / 100;
}

void CMainWindow::ToggleCustomizeBar() {
  const int32_t scale = ui::DpiScale::IsActive() ? ui::DpiScale::Percent() : 100;
  int32_t delta = CustomizeBarDelta(scale);
  if (customize_expanded_) {
    SetControlVisible(customizebar_, false);
    if (btn_expand_) btn_expand_->SetBkImage(u"icon_down.png");
    delta = -delta;
  } else {
    SetControlVisible(customizebar_, true);
    if (btn_expand_) btn_expand_->SetBkImage(u"icon_up.png");
  }
  if (btn_expand_) btn_expand_->Invalidate();
  customize_expanded_ = !customize_expanded_;
  // The window grows and shrinks downwards; its top-left corner stays.
  const ui::Size client = GetClientSize();
  if (client.cx > 0 && client.cy > 0) ResizeClient(client.cx, client.cy + delta);
}

std::u16string CMainWindow::InstallDirForChosenFolder(const std::u16string& folder) {
  return folder + u"/" + app::kInstallDirSuffix;
}

void CMainWindow::ChooseInstallFolder() {
  const std::u16string start = platform::GetSpecialFolder(platform::kCsidlProgramFilesX86);
  std::u16string chosen;
  if (!FolderChooser::ChooseFolder(native_.get(), kChooseFolderTitle, start, &chosen)) return;
  install_dir_ = InstallDirForChosenFolder(chosen);
  if (edit_installdir_) edit_installdir_->SetText(install_dir_);
}

}  // namespace installer_ui
