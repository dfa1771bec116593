#include "app/main_window_launch.h"

#include "platform/debug_output.h"

namespace app {

bool CreateAndShowMainWindow(const std::u16string& title, void (*on_close)()) {
  (void)on_close;
  platform::DebugOutput(u"main window not available yet: " + title + u"\n");
  return false;
}

}  // namespace app
