#include "tests/installer_ui/golden_scenes.h"

#include <gtest/gtest.h>

#include "app/installer_config.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "platform/product_identity.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"

namespace installer_ui {
namespace golden {

namespace {

app::InstallerConfig TestConfig() {
  app::InstallerConfig config;
  config.install_dir = u"/home/user/.local/share/dudIdiruvovo";
  config.download_dir = u"/tmp/";
  config.installer_file = u"/tmp/package.zip";
  config.channel = u"default";
  return config;
}

}  // namespace

void ShowMainWindowPages(const ShowScene& show) {
  CMainWindow window(TestConfig(), [](uint32_t) {});
  ASSERT_TRUE(window.LoadSkin()) << nbase::Utf16ToUtf8(window.GetLastLoadError());
  window.Resize(window.GetInitialSize());
  show(&window, "main_welcome");

  window.ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
  // What the progress tick shows at 45 %.
  if (auto* bar = dynamic_cast<ui::Progress*>(window.FindControl(u"progress_install"))) {
    bar->SetValue(45);
  }
  if (auto* value = dynamic_cast<ui::Label*>(window.FindControl(u"progress_install_value"))) {
    value->SetText(u"正在下载，请不要关闭：45.0%");
  }
  show(&window, "main_installing");

  window.ShowInstalledPage();
  show(&window, "main_installed");

  // The failure and retention pages on the road the user takes to them:
  // welcome, installing, failed, then the close button.
  CMainWindow failed(TestConfig(), [](uint32_t) {});
  ASSERT_TRUE(failed.LoadSkin()) << nbase::Utf16ToUtf8(failed.GetLastLoadError());
  failed.Resize(failed.GetInitialSize());
  failed.ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
  failed.ShowFailurePage(u"失败原因：网络连接超时");
  show(&failed, "main_failed");

  failed.ShowRetentionPage();
  show(&failed, "main_retention");
}

void ShowQuestionBoxes(const ShowScene& show) {
  const struct {
    std::u16string content;
    const char16_t* yes;
    const char16_t* no;
    const char* name;
  } questions[] = {
      {kExitQuestionPattern, kExitQuestionYes, kExitQuestionNo, "msgbox_exit"},
      {u"应用程序 \"%s\" 正在运行，是否强制关闭？", u"重试", u"强制关闭", "msgbox_running"},
  };
  for (const auto& q : questions) {
    SCOPED_TRACE(q.name);
    std::u16string content = q.content;
    content.replace(content.find(u"%s"), 2, platform::kProductDisplayName);
    auto* box = new MsgBox;
    ASSERT_TRUE(box->Create(nullptr));
    box->ShowQuestion(content, kQuestionTitle, q.yes, q.no, nullptr);
    show(box, q.name);
    delete box;
  }
}

}  // namespace golden
}  // namespace installer_ui
