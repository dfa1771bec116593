#include "ui/backend/win32/win32_message_pump.h"

#include <mutex>

#include "base/message_loop.h"

namespace ui {

namespace {

constexpr wchar_t kWindowClass[] = L"VarnikMessagePump";
constexpr UINT_PTR kModalTimerId = 1;

void RegisterWindowClassOnce(WNDPROC procedure) {
  static std::once_flag once;
  std::call_once(once, [procedure] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);
  });
}

}  // namespace

Win32MessagePump::Win32MessagePump() {
  RegisterWindowClassOnce(&Win32MessagePump::WindowProc);
  message_window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  if (message_window_) {
    SetWindowLongPtrW(message_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

Win32MessagePump::~Win32MessagePump() {
  // Wake-ups still queued for the window go with it.
  if (message_window_) DestroyWindow(message_window_);
}

bool Win32MessagePump::QueueWakeUp() {
  return message_window_ && PostMessageW(message_window_, kWakeUpMessage, 0, 0) != 0;
}

UiMessagePump::Taken Win32MessagePump::TakeEvent() {
  if (!PeekMessageW(&taken_, nullptr, 0, 0, PM_REMOVE)) return Taken::kNothing;
  if (taken_.hwnd && taken_.hwnd == message_window_) {
    if (taken_.message == kWakeUpMessage) return Taken::kOwnWakeUp;
    // The modal loops' timer: the loop runs delayed work in every cycle.
    if (taken_.message == WM_TIMER) KillTimer(message_window_, kModalTimerId);
  }
  return Taken::kEvent;
}

void Win32MessagePump::HandleTakenEvent() {
  if (taken_.message == WM_QUIT) {
    Quit();
    return;
  }
  if (taken_.hwnd && taken_.hwnd == message_window_) return;
  const MSG message = taken_;  // a handler may run a nested pump
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

UiMessagePump::Taken Win32MessagePump::WaitForEvent(int timeout_ms) {
  const DWORD timeout = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return TakeEvent();
}

LRESULT CALLBACK Win32MessagePump::WindowProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<Win32MessagePump*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // The pump's own loop never dispatches its wake-ups or timer: arriving
  // here they come from a modal loop of the system.
  if (self && message == kWakeUpMessage) {
    self->WakeUpConsumed();
    self->RunWorkFromModalLoop();
    return 0;
  }
  if (self && message == WM_TIMER && wparam == kModalTimerId) {
    KillTimer(window, kModalTimerId);
    self->RunWorkFromModalLoop();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32MessagePump::RunWorkFromModalLoop() {
  Delegate* delegate = current_delegate();
  if (!delegate) return;  // before the first run: Run takes the work up
  nbase::MessageLoop* loop = nbase::MessageLoop::current();
  const bool was_modal = loop && loop->in_modal_loop();
  if (loop) loop->set_in_modal_loop(true);
  bool more = delegate->RunWork();
  nbase::TickClock next_delayed_time;
  more |= delegate->RunDelayedWork(&next_delayed_time);
  if (loop) loop->set_in_modal_loop(was_modal);
  if (more) {
    WakeUp();
  } else if (!next_delayed_time.is_null()) {
    ScheduleModalTimer(next_delayed_time);
  }
}

void Win32MessagePump::ScheduleModalTimer(nbase::TickClock next_delayed_time) {
  const int64_t delay =
      (next_delayed_time - nbase::TickClock::Now()).ToMillisecondsRoundedUp();
  SetTimer(message_window_, kModalTimerId, static_cast<UINT>(DelayedWaitMs(delay)), nullptr);
}

}  // namespace ui
