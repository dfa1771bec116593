#include "installer_ui/main_window.h"

#include <utility>

#include "base/utf.h"
#include "platform/product_identity.h"
#include "ui/backend/native_window.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"

namespace installer_ui {

namespace {

CMainWindow* g_instance = nullptr;

template <typename T>
T* Find(const ui::Window* window, const std::u16string& name) {
  return dynamic_cast<T*>(window->FindControl(name));
}

}  // namespace

CMainWindow::CMainWindow(CloseHook on_close)
    : CMainWindow(app::InstallerConfig::Compute(), std::move(on_close)) {}

CMainWindow::CMainWindow(app::InstallerConfig config, CloseHook on_close)
    : package_url_(std::move(config.package_url)),
      download_dir_(std::move(config.download_dir)),
      installer_file_(std::move(config.installer_file)),
      install_dir_(std::move(config.install_dir)),
      channel_(std::move(config.channel)),
      existing_install_(config.existing_install),
      on_close_(std::move(on_close)) {
  g_instance = this;
}

CMainWindow::~CMainWindow() {
  if (g_instance == this) g_instance = nullptr;
  // The native window refers to this window; it goes first.
  native_.reset();
}

CMainWindow* CMainWindow::Instance() { return g_instance; }

bool CMainWindow::Create(const std::u16string& title) {
  if (!LoadSkin()) {
    create_error_ = u"skin not loaded: " + GetLastLoadError();
    return false;
  }
  Resize(GetInitialSize());
  native_ = ui::NativeWindow::Make(this);
  if (!native_->Create(nullptr, nbase::Utf16ToUtf8(title))) {
    create_error_ = u"window not created: " + nbase::Utf8ToUtf16(native_->GetLastError());
    native_.reset();
    return false;
  }
  native_->SetCloseHandler([this](uint32_t code) { OnCloseMessage(code); });
  native_->CenterWindow();
  native_->Show(true);
  // To the front, but not kept there: the user may put other windows over it.
  native_->Raise();
  return true;
}

void CMainWindow::Close(uint32_t code) {
  ui::Window::Close(code);
  if (native_ && native_->IsCreated()) {
    native_->RequestClose(code);
  } else {
    OnCloseMessage(code);
  }
}

void CMainWindow::OnCloseMessage(uint32_t code) {
  if (on_close_) on_close_(code);
}

void CMainWindow::InitializeWindow() {
  // 1. The tall header goes with every page but the exit-retention page.
  SetControlVisible(u"bkimage1", false);
  SetControlVisible(u"bkimage2", true);

  // 2. The pages and the controls the flow changes.
  welcompage_ = Find<ui::Box>(this, u"welcompage");
  exit_startpage_ = Find<ui::Box>(this, u"ExitStartpage");
  installpage_ = Find<ui::Box>(this, u"installpage");
  installedpage_ = Find<ui::Box>(this, u"installedpage");
  installfaildpage_ = Find<ui::Box>(this, u"installfaildpage");
  customizebar_ = Find<ui::Box>(this, u"customizebar");
  progress_install_ = Find<ui::Progress>(this, u"progress_install");
  progress_install_value_ = Find<ui::Label>(this, u"progress_install_value");
  download_failed_msg_ = Find<ui::Label>(this, u"download_failed_msg");
  download_alert_ = Find<ui::Box>(this, u"downloadAlert");

  auto on_click = [this](const ui::EventArgs& args) { return OnControlClick(args); };
  auto on_reason = [this](const ui::EventArgs& args) { return OnReasonChanged(args); };
  auto on_agreement = [this](const ui::EventArgs& args) { return OnAgreementChanged(args); };

  // 3. The buttons of the pages.
  for (const char16_t* name :
       {u"btn_useragreement", u"btn_customize", u"btn_changeinstallpath", u"btn_startapp",
        u"btn_reinstall", u"btn_redownload", u"btn_downloadOfflinePackage", u"btn_continueInstall",
        u"btn_quitStart"}) {
    AttachEvent(name, ui::kEventClick, on_click);
  }

  // 4. The reasons for leaving: ticks, unticks, then the free text.
  const char16_t* const reasons[] = {u"checkbox_1", u"checkbox_2", u"checkbox_3", u"checkbox_4",
                                     u"checkbox_5"};
  for (const char16_t* name : reasons) AttachEvent(name, ui::kEventSelect, on_reason);
  for (const char16_t* name : reasons) AttachEvent(name, ui::kEventUnselect, on_reason);
  AttachEvent(u"edit_feedback", ui::kEventTextChange, on_reason);

  // 5. The buttons the flow shows, hides or enables.
  btn_expand_ = Find<ui::Button>(this, u"btn_expand");
  AttachEvent(btn_expand_, ui::kEventClick, on_click);
  btn_exit_ = Find<ui::Button>(this, u"btn_exit");
  AttachEvent(btn_exit_, ui::kEventClick, on_click);
  btn_startinstall_ = Find<ui::Button>(this, u"btn_startinstall");
  AttachEvent(btn_startinstall_, ui::kEventClick, on_click);
  btn_reinstall_ = Find<ui::Button>(this, u"btn_reinstall");

  // 6. The installation folder replaces the skin's placeholder.
  edit_installdir_ = Find<ui::RichEdit>(this, u"edit_installdir");
  if (edit_installdir_) edit_installdir_->SetText(install_dir_);

  // 7. The agreement tick.
  AttachEvent(u"checkbox_agreement", ui::kEventUnselect, on_agreement);
  AttachEvent(u"checkbox_agreement", ui::kEventSelect, on_agreement);

  // 8. The product's name and the retention headline; a missing label is skipped.
  if (auto* label = Find<ui::Label>(this, u"appnameLable_install")) {
    label->SetText(platform::kProductDisplayName);
  }
  if (auto* label = Find<ui::Label>(this, u"appnameLable_welcom")) {
    label->SetText(platform::kProductDisplayName);
  }
  if (auto* label = Find<ui::Label>(this, u"askuserStayMsg")) label->SetText(kRetentionHeadline);

  // 9. The folder of an earlier installation cannot be changed; both stay visible.
  if (existing_install_) {
    if (edit_installdir_) edit_installdir_->SetEnabled(false);
    if (ui::Control* change = FindControl(u"btn_changeinstallpath")) change->SetEnabled(false);
  }
}

void CMainWindow::ShowInstallingPage(InstallingForm form) {
  SetControlVisible(u"bkimage1", false);
  SetControlVisible(u"bkimage2", true);
  if (form == InstallingForm::kInstall) {
    // The folder bar is closed first, so that the window has its first height.
    if (customize_expanded_) ToggleCustomizeBar();
    SetControlVisible(welcompage_, false);
  } else {
    SetControlVisible(installfaildpage_, false);
  }
  SetControlVisible(btn_exit_, false);
  SetControlVisible(installpage_, true);
  SetControlVisible(exit_startpage_, false);
}

void CMainWindow::ShowRetentionPage() {
  SetControlVisible(u"bkimage1", true);
  SetControlVisible(u"bkimage2", false);
  SetControlVisible(installfaildpage_, false);
  SetControlVisible(welcompage_, false);
  SetControlVisible(installpage_, false);
  SetControlVisible(installedpage_, false);
  SetControlVisible(exit_startpage_, true);
  SetControlVisible(btn_exit_, false);
}

void CMainWindow::ShowInstalledPage() {
  SetControlVisible(installpage_, false);
  SetControlVisible(installedpage_, true);
  SetControlVisible(btn_exit_, true);
}

void CMainWindow::ShowFailurePage(const std::u16string& reason_line) {
  SetControlVisible(installpage_, false);
  SetControlVisible(installfaildpage_, true);
  SetControlVisible(btn_exit_, true);
  if (download_failed_msg_) download_failed_msg_->SetText(reason_line);
}

void CMainWindow::SetControlVisible(ui::Control* control, bool visible) {
  if (control) control->SetVisible(visible);
}

void CMainWindow::SetControlVisible(const std::u16string& name, bool visible) {
  SetControlVisible(FindControl(name), visible);
}

void CMainWindow::RaiseToForeground() {
  if (native_) native_->SetForeground();
}

void CMainWindow::ResizeClient(int32_t width, int32_t height) {
  if (native_ && native_->IsCreated()) {
    native_->Resize(ui::Size{width, height});
  } else {
    Resize(ui::Size{width, height});
  }
}

}  // namespace installer_ui
