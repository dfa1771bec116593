// Process entry of the installer. The command line changes nothing; the
// exit code is always 0, whichever way the process ends.
#include <string>

#include "app/main_thread.h"
#include "app/termination_signal_watcher.h"
#include "platform/debug_output.h"
#include "ui/backend/ui_backend.h"

int main() {
  // Start-up steps are measured from outside against these marks
  // (VARNIK_DEBUG=1); the rest follow in MainThread and NativeWindow.
  platform::DebugTimeMark("startup main");
  app::TerminationSignalWatcher::Start();
  // The window system must be up before the UI loop exists: the loop takes
  // the backend's pump. Without a display the installer still runs its
  // start-up on the default pump; questions then go to the boxes that need
  // none, and a start-up that cannot show its window ends.
  std::string error;
  if (!ui::UiBackend::Start(&error)) platform::DebugOutput("no display: " + error + "\n");
  platform::DebugTimeMark("startup backend up");
  {
    app::MainThread main_thread;
    main_thread.RunAsUiThread();
  }
  ui::UiBackend::Stop();
  return 0;
}
