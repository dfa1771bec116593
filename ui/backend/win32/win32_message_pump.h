// Win32MessagePump: the UI thread's pump on the Windows message queue (see
// UiMessagePump for the loop's rules it keeps). It sleeps in
// MsgWaitForMultipleObjectsEx, translates and dispatches every other
// message to its window, and wakes with one posted message to a
// message-only window of its own, so a wake-up of a pump that is gone dies
// with that window.
//
// Modal loops of the system (a window dragged by its caption, MessageBoxW,
// the folder dialog) dispatch messages themselves. Inside one, the pump's
// window still receives the wake-up and a timer, and runs immediate and
// delayed work from there as the loop allows it (a modal loop opened from
// an event handler runs tasks; one opened inside a task runs none until
// the task returns). The loop's in_modal_loop flag is set meanwhile.
//
// A WM_QUIT ends the innermost run. Everything but WakeUp runs on the
// thread that made the pump (the UI thread).
#pragma once

#include <windows.h>

#include "ui/backend/ui_message_pump.h"

namespace ui {

class Win32MessagePump : public UiMessagePump {
 public:
  // The message that wakes the pump, posted to its own window.
  static constexpr UINT kWakeUpMessage = WM_APP + 0x100;

  Win32MessagePump();
  ~Win32MessagePump() override;

  // The pump's message-only window (the target of its wake-ups).
  HWND message_window() const { return message_window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  Taken TakeEvent() override;
  void HandleTakenEvent() override;
  bool QueueWakeUp() override;
  Taken WaitForEvent(int timeout_ms) override;
  // Work met inside a modal loop of the system.
  void RunWorkFromModalLoop();
  void ScheduleModalTimer(nbase::TickClock next_delayed_time);

  HWND message_window_ = nullptr;
  MSG taken_{};
};

}  // namespace ui
