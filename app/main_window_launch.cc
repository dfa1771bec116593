#include "app/main_window_launch.h"

#include "app/installer_config.h"
#include "base/thread_ids.h"
#include "installer_ui/main_window.h"
#include "platform/debug_output.h"
#include "platform/system_message_box.h"

namespace app {

bool CreateAndShowMainWindow(const std::u16string& title, void (*on_close)()) {
  // Created once and never destroyed: every close of it ends the process.
  // Its channel record is written on the worker thread, which has nothing
  // else to do until the user starts the installation.
  auto* window = new installer_ui::CMainWindow(
      InstallerConfig::ComputeWritingOn(nbase::kThreadMisc), [on_close](uint32_t) {
        if (on_close) on_close();
      });
  platform::DebugTimeMark("startup configuration");
  if (!window->Create(title)) {
    platform::DebugOutput(u"main window not shown: " + window->GetCreateError() + u"\n");
    // A layout that did not load has told the user already (the skin
    // loader's box); a window the system refused is told here.
    if (window->GetLastLoadError().empty()) {
      platform::ShowSystemMessageBox(kWindowNotCreatedText + window->GetCreateError(), title,
                                     platform::kMessageBoxOk | platform::kMessageBoxIconError);
    }
    return false;
  }
  platform::DebugOutput(u"main window shown: " + title + u"\n");
  return true;
}

}  // namespace app
