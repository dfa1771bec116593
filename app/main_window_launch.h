// The hand-over from start-up to the installer's main window: create the
// main window object (which computes the installer's configuration), its
// native window named "MainWindow" from the skin, give it `title`, centre
// it, show it activated, and raise it to the front without leaving it on
// top. `on_close` is what every close of the window calls to end the
// process (app/exit_process.h); the window layer cannot reach app/ itself.
//
// False (with the reason on the diagnostic output) when the skin does not
// load or the window system refuses a window; the user has been told
// through the system message box then (the skin loader's error, or
// kWindowNotCreatedText with the reason, captioned `title`).
#pragma once

#include <string>

namespace app {

inline constexpr char16_t kWindowNotCreatedText[] = u"安装程序的窗口无法显示：";

// True when a window is shown. UI thread, once, at the end of start-up.
bool CreateAndShowMainWindow(const std::u16string& title, void (*on_close)());

}  // namespace app
