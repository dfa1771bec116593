// Process entry of the installer. The command line changes nothing; the
// exit code is always 0, whichever way the process ends.
#include "app/main_thread.h"
#include "app/termination_signal_watcher.h"
#include "platform/debug_output.h"
#include "ui/backend/message_box_chain.h"
#include "ui/backend/sdl_backend.h"
#include "ui/text/pango_text_measurer.h"

int main() {
  // Start-up steps are measured from outside against these marks
  // (VARNIK_DEBUG=1); the rest follow in MainThread and NativeWindow.
  platform::DebugTimeMark("startup main");
  app::TerminationSignalWatcher::Start();
  // Auto-sized controls (labels, buttons) are measured with the real fonts.
  ui::PangoTextMeasurer text_measurer;
  ui::TextMeasurer::SetInstance(&text_measurer);
  // SDL must be up before the UI loop exists: the loop takes SDL's pump.
  // Without a display the installer still runs its start-up on the default
  // pump; questions then go to the desktop's dialog programs, and a start-up
  // that cannot show its window ends.
  if (!ui::SdlBackend::Initialize()) {
    platform::DebugOutput("no display: " + ui::SdlBackend::GetLastError() + "\n");
  }
  ui::MessageBoxChain::Install();
  platform::DebugTimeMark("startup sdl up");
  {
    app::MainThread main_thread;
    main_thread.RunAsUiThread();
  }
  ui::MessageBoxChain::Uninstall();
  ui::SdlBackend::Shutdown();
  ui::TextMeasurer::SetInstance(nullptr);
  return 0;
}
