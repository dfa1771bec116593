// CMainWindow: the installer's only main window. One skinned window
// ("basic/basic.xml") holds five pages in one place - welcome, installing,
// installed, failure and exit retention - of which one is on show at a time;
// pages are switched only by showing and hiding the skin's controls.
//
// Promises:
//  - The constructor computes the installer's configuration (install folder,
//    channel, package address, download folder); nothing is shown yet.
//  - Create() loads the skin, binds the controls (InitializeWindow), creates
//    the native window, centres, shows and raises it.
//  - Every change of the flow stage happens on the UI thread (thread 0);
//    results of the download and the installation run (on thread 2) come
//    back as posted tasks weakly bound to the window.
//  - Every close of the window - its own buttons, the window manager's close,
//    Alt+F4 - reaches OnCloseMessage, which calls the close hook given to the
//    constructor; in the installer that hook ends the process with exit code 0
//    after a bounded wait for the reports still queued.
//  - Every decision of the user is reported as a statistics event.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/installer_config.h"
#include "package/install_stage.h"
#include "package/progress_tracker.h"
#include "ui/core/window.h"

namespace ui {
class Box;
class Button;
class CheckBox;
class Label;
class NativeWindow;
class Progress;
class RichEdit;
}  // namespace ui

namespace installer_ui {

using InstallStage = package::InstallStage;

// The headline of the exit-retention page (replaces the skin's own).
inline constexpr char16_t kRetentionHeadline[] = u"恳请给个机会，体验软件功能";
// The exit question after a failed installation ("%s": the product name).
inline constexpr char16_t kExitQuestionPattern[] =
    u"建议尽快下载完整安装包安装 \"%s\" 确定退出吗？";
inline constexpr char16_t kQuestionTitle[] = u"提示";
inline constexpr char16_t kExitQuestionYes[] = u"已经安装";
inline constexpr char16_t kExitQuestionNo[] = u"下载完整安装包";
// The folder chooser's title.
inline constexpr char16_t kChooseFolderTitle[] = u"请选择安装路径";
// The skin's height of the folder bar, before DPI scaling.
inline constexpr int32_t kCustomizeBarHeight = 48;
// The progress tick's period.
inline constexpr int32_t kProgressTickMs = 200;

// What the window does when it is closed; the installer ends the process.
using CloseHook = std::function<void(uint32_t code)>;

class CMainWindow : public ui::Window {
 public:
  // Computes the configuration from the system (executable resource,
  // registry, special folders).
  explicit CMainWindow(CloseHook on_close);
  // Takes a configuration computed elsewhere.
  CMainWindow(app::InstallerConfig config, CloseHook on_close);
  ~CMainWindow() override;

  // The main window of this process once created, else null. UI thread.
  static CMainWindow* Instance();

  // Loads the skin, binds the controls, creates the native window titled
  // `title`, centres it, shows it activated and raises it without keeping it
  // on top. False when the skin does not load or the window system refuses
  // (the reason is in GetCreateError()).
  bool Create(const std::u16string& title);
  const std::u16string& GetCreateError() const { return create_error_; }
  ui::NativeWindow* native_window() const { return native_.get(); }

  // --- framework hooks ----------------------------------------------------
  std::u16string GetSkinFolder() override { return u"basic"; }
  std::u16string GetSkinFile() override { return u"basic.xml"; }
  // Called by the framework once the skin's controls exist.
  void InitWindow() override { InitializeWindow(); }
  // The framework's close request: goes through the native window when
  // there is one, so that it arrives as the window system's close.
  void Close(uint32_t code = 0) override;

  // --- page switches (the flow's, also for screenshots and probes) --------
  enum class InstallingForm { kInstall, kReInstall };
  void ShowInstallingPage(InstallingForm form);
  void ShowRetentionPage();
  void ShowInstalledPage();
  void ShowFailurePage(const std::u16string& reason_line);

  // The value of "btn_exit" that "直接退出" reports, without the "Start "
  // prefix: the feedback text with one blank appended, carriage returns and
  // line feeds removed and ASCII double quotes made into U+201D, followed by
  // the reported words of the ticked reasons in order.
  static std::u16string LeaveText(std::u16string feedback, const std::array<bool, 5>& ticked);
  // The window-height change of one folder-bar toggle at a scale in percent.
  static int32_t CustomizeBarDelta(int32_t scale_percent);
  // The installation folder for a folder the user picked: the folder as the
  // chooser gave it, then the separator and the product's sub-folder (a root
  // folder therefore gives two separators).
  static std::u16string InstallDirForChosenFolder(const std::u16string& folder);

  // --- state, for the process entry and tests ------------------------------
  InstallStage stage() const { return stage_; }
  int32_t progress() const { return progress_.progress(); }
  int32_t progress_ticks_started() const { return progress_ticks_started_; }
  int32_t download_hr() const { return download_hr_; }
  int32_t install_code() const { return install_code_; }

 private:
  // Every close of the window ends here; it calls the close hook.
  void OnCloseMessage(uint32_t code);
  // Binds the skin's controls (nine steps, see main_window.cc).
  void InitializeWindow();

  // --- user actions (main_window_actions.cc) -------------------------------
  bool OnControlClick(const ui::EventArgs& args);
  bool OnReasonChanged(const ui::EventArgs& args);
  bool OnAgreementChanged(const ui::EventArgs& args);
  void InstallAction();
  void ReInstallAction();
  void RetentionAction();
  void CloseAction();
  void LeaveWithReasons();
  void ToggleCustomizeBar();
  void ChooseInstallFolder();
  void ShowExitQuestion();
  void OnExitQuestionAnswered(int32_t answer);

  // --- download and installation (main_window_package.cc) ------------------
  // Hands the download to thread 2; its outcome comes back to the UI thread.
  void StartDownload();
  void OnDownloadDone(const std::u16string& path, int32_t result);
  void UpdateProgress(int32_t value);
  void StartProgressTick();
  void CheckAppRunning();
  void ShowAppRunningQuestion();
  void OnAppRunningAnswered(int32_t answer);
  // Hands the run to thread 2 (which also writes the records of a
  // success); its exit code comes back to the UI thread.
  void StartInstall();
  void OnInstallDone(int32_t code);
  void ShowInstallSucceeded();
  void ShowDownloadFailed(const std::u16string& failure_text);
  void ShowInstallFailed(const std::u16string& failure_text);
  void LaunchApp();

  void SetControlVisible(ui::Control* control, bool visible);
  void SetControlVisible(const std::u16string& name, bool visible);
  void RaiseToForeground();
  void ResizeClient(int32_t width, int32_t height);

  // Controls of the skin (owned by the control tree).
  ui::Button* btn_startinstall_ = nullptr;
  ui::Button* btn_expand_ = nullptr;
  ui::Button* btn_reinstall_ = nullptr;
  ui::Box* welcompage_ = nullptr;
  ui::Box* installpage_ = nullptr;
  ui::Box* installedpage_ = nullptr;
  ui::Box* installfaildpage_ = nullptr;
  ui::Box* exit_startpage_ = nullptr;
  ui::Box* download_alert_ = nullptr;
  ui::Box* customizebar_ = nullptr;
  ui::Progress* progress_install_ = nullptr;
  ui::Label* progress_install_value_ = nullptr;
  ui::Label* download_failed_msg_ = nullptr;
  ui::RichEdit* edit_installdir_ = nullptr;
  ui::Button* btn_exit_ = nullptr;
  bool customize_expanded_ = false;

  // The installer's configuration.
  std::u16string package_url_;
  std::u16string download_dir_;
  std::u16string installer_file_;
  std::u16string install_dir_;
  std::u16string channel_;

  // The progress display: the progress in tenths of a percent and the
  // slow-download clock.
  package::ProgressTracker progress_;
  InstallStage stage_ = InstallStage::kWelcome;
  bool existing_install_ = false;
  // Results of the work on thread 2, set on the UI thread when they arrive.
  std::u16string download_error_;
  int32_t download_hr_ = 0;
  int32_t install_code_ = 0;
  int32_t reinstall_count_ = 0;

  int32_t progress_ticks_started_ = 0;
  CloseHook on_close_;
  std::unique_ptr<ui::NativeWindow> native_;
  std::u16string create_error_;
};

}  // namespace installer_ui
