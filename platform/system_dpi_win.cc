#include <windows.h>

#include <cstdlib>

#include "platform/system_dpi.h"

namespace platform {
namespace {

using GetDpiForSystemFunction = UINT(WINAPI*)();

int32_t QuerySystemDpi() {
  // GetDpiForSystem came with Windows 10 (1607); it is looked up so that the
  // program still starts where user32 lacks it.
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    auto get_dpi = reinterpret_cast<GetDpiForSystemFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")));
    if (get_dpi != nullptr) {
      const UINT dpi = get_dpi();
      if (dpi > 0) return static_cast<int32_t>(dpi);
    }
  }
  // Without it the screen's device context tells a DPI-aware process the
  // same number.
  int32_t dpi = 0;
  if (HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : kDefaultDpi;
}

int32_t ComputeSystemDpi() {
  const char* dpi_override = std::getenv(kDpiVariable);
  if (int32_t dpi = DpiOverride(dpi_override ? dpi_override : "")) return dpi;
  return QuerySystemDpi();
}

}  // namespace

int32_t GetSystemDpi() {
  static const int32_t dpi = ComputeSystemDpi();
  return dpi;
}

}  // namespace platform
