#include "ui/backend/win32/win32_backend.h"

#include <memory>

#include "base/message_loop.h"
#include "ui/backend/win32/gdiplus_include.h"
#include "ui/backend/win32/win32_message_pump.h"

namespace ui {

namespace {

struct BackendState {
  bool initialized = false;
  bool dpi_aware = false;
  ULONG_PTR gdiplus_token = 0;
  std::string last_error;
};

BackendState& State() {
  static BackendState* state = new BackendState;
  return *state;
}

// Per-monitor awareness where the system has it (the call is not in the
// SDK's headers, so it is looked up), else the system-wide awareness.
bool MakeProcessDpiAware() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return false;
  using SetAwarenessInternal = BOOL(WINAPI*)(DWORD);
  auto set_internal = reinterpret_cast<SetAwarenessInternal>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessInternal")));
  if (set_internal && set_internal(2)) return true;
  using SetAware = BOOL(WINAPI*)();
  auto set_aware = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  return set_aware && set_aware();
}

}  // namespace

bool Win32Backend::Initialize() {
  BackendState& state = State();
  if (state.initialized) return true;
  state.dpi_aware = MakeProcessDpiAware();
  Gdiplus::GdiplusStartupInput input;
  const Gdiplus::Status status = Gdiplus::GdiplusStartup(&state.gdiplus_token, &input, nullptr);
  if (status != Gdiplus::Ok) {
    state.last_error = "GDI+ does not start (status " + std::to_string(status) + ")";
    state.gdiplus_token = 0;
    return false;
  }
  state.initialized = true;
  nbase::MessageLoop::SetUIPumpFactory(
      []() -> std::shared_ptr<nbase::MessagePump> { return std::make_shared<Win32MessagePump>(); });
  return true;
}

void Win32Backend::Shutdown() {
  BackendState& state = State();
  if (!state.initialized) return;
  nbase::MessageLoop::SetUIPumpFactory(nullptr);
  Gdiplus::GdiplusShutdown(state.gdiplus_token);
  state.gdiplus_token = 0;
  state.initialized = false;
}

bool Win32Backend::IsInitialized() { return State().initialized; }

const std::string& Win32Backend::GetLastError() { return State().last_error; }

bool Win32Backend::IsDpiAware() { return State().dpi_aware; }

}  // namespace ui
