// UiBackend: the start and the end of the UI backend this build was made
// with (SDL2 + cairo + pango, or Win32 + GDI+), chosen by CMake, so that the
// process entry starts its windows without naming a window system.
//
// Start brings up the window system, installs the text measurer on the
// backend's fonts (auto-sized controls are measured with the real fonts),
// makes the UI loops use the backend's pump and installs the backend's
// system message boxes where the platform layer has none of its own (on
// Linux the chain of MessageBoxChain). It must run before the UI loop
// exists. It returns false, with the reason in *error, when there is no
// window system to talk to (no display); the text measurer and the boxes
// that need no window system are installed all the same and UI loops keep
// the default pump. Stop undoes Start; windows must be gone first. UI
// thread only.
#pragma once

#include <string>

namespace ui {

class UiBackend {
 public:
  static bool Start(std::string* error);
  static void Stop();
};

}  // namespace ui
