// Win32Backend: the process's connection to the Windows UI. It makes the
// process DPI-aware (so the system DPI is the screen's and windows are not
// stretched by the system), starts GDI+, and makes the UI message loops use
// Win32MessagePump.
//
// Promises: Initialize is idempotent and returns false, with the reason in
// GetLastError(), when GDI+ cannot start; nothing else in the product
// changes then (UI loops keep the default pump). Shutdown undoes it; windows
// must be gone first. UI thread only.
#pragma once

#include <string>

namespace ui {

class Win32Backend {
 public:
  static bool Initialize();
  static void Shutdown();
  static bool IsInitialized();
  static const std::string& GetLastError();
  // Whether the process could be made DPI-aware (the skin is then scaled by
  // the system DPI).
  static bool IsDpiAware();
};

}  // namespace ui
