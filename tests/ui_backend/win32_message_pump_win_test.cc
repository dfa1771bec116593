#include "ui/backend/win32/win32_message_pump.h"

#include <windows.h>

#include <functional>
#include <thread>

#include "tests/ui_backend/ui_message_pump_suite.h"
#include "ui/backend/win32/win32_backend.h"

namespace ui {
namespace {

using nbase::testing_support::Watchdog;

constexpr UINT kInputMessage = WM_APP + 7;

std::function<void(int)>& InputHandler() {
  static std::function<void(int)> handler;
  return handler;
}

LRESULT CALLBACK InputWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kInputMessage) {
    // A copy: the handler may replace itself.
    std::function<void(int)> handler = InputHandler();
    if (handler) handler(static_cast<int>(wparam));
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// A message-only window standing for a window of the test's own: its
// messages reach the handler through the pump's dispatch.
HWND InputWindow() {
  static HWND window = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &InputWindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VarnikPumpTestInput";
    RegisterClassExW(&window_class);
    return CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           nullptr, window_class.hInstance, nullptr);
  }();
  return window;
}

void DrainThreadQueue() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

struct Win32PumpHarness {
  using Pump = Win32MessagePump;
  static void SetUp() {
    ASSERT_TRUE(Win32Backend::Initialize()) << Win32Backend::GetLastError();
    ASSERT_NE(InputWindow(), nullptr);
    DrainThreadQueue();
  }
  static void TearDown() { DrainThreadQueue(); }
  // Counted by taking them out and putting the same number back.
  static int PendingWakeUps(Pump* pump) {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, pump->message_window(), Pump::kWakeUpMessage,
                        Pump::kWakeUpMessage, PM_REMOVE)) {
      ++count;
    }
    for (int i = 0; i < count; ++i) {
      PostMessageW(pump->message_window(), Pump::kWakeUpMessage, 0, 0);
    }
    return count;
  }
  static void SetInputHandler(std::function<void(int)> handler) {
    InputHandler() = std::move(handler);
  }
  static void PushInput(int code) { PostMessageW(InputWindow(), kInputMessage, code, 0); }
};

}  // namespace

namespace testing_support {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, UiMessagePumpTest, Win32PumpHarness);
}  // namespace testing_support

namespace {

class Win32MessagePumpTest : public ::testing::Test {
 protected:
  void SetUp() override { Win32PumpHarness::SetUp(); }
  void TearDown() override {
    Win32PumpHarness::SetInputHandler(nullptr);
    Win32PumpHarness::TearDown();
  }
};

// A modal loop of the system (a caption drag, a message box) dispatches
// messages itself; tasks and delayed tasks posted meanwhile still run when
// the modal loop was opened from an event handler.
TEST_F(Win32MessagePumpTest, ModalLoopOfTheSystemOpenedFromInputStillRunsTasks) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  bool immediate_ran = false;
  bool delayed_ran = false;
  bool modal_seen = false;
  Win32PumpHarness::SetInputHandler([&](int code) {
    if (code != 1) return;
    std::thread([&] {
      loop.PostTask([&] {
        immediate_ran = true;
        modal_seen = loop.in_modal_loop();
      });
      loop.PostDelayedTask([&] { delayed_ran = true; }, nbase::TimeDelta::FromMilliseconds(30));
    }).join();
    // What DefWindowProc's move loop or MessageBoxW does inside.
    MSG message;
    while (!(immediate_ran && delayed_ran) && GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    loop.QuitWhenIdle();
  });
  Win32PumpHarness::PushInput(1);
  loop.Run();
  EXPECT_TRUE(immediate_ran);
  EXPECT_TRUE(delayed_ran);
  EXPECT_TRUE(modal_seen);
  EXPECT_FALSE(loop.in_modal_loop());
}

TEST_F(Win32MessagePumpTest, ModalLoopOfTheSystemInsideATaskRunsNoTasks) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  std::vector<std::string> order;
  loop.PostTask([&] {
    std::thread([&] { loop.PostTask([&] { order.push_back("posted task"); }); }).join();
    // The modal loop ends once it has dispatched the input it was opened for.
    Win32PumpHarness::SetInputHandler([&](int) { order.push_back("modal input"); });
    Win32PumpHarness::PushInput(2);
    MSG message;
    while (order.empty() && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    order.push_back("outer task done");
  });
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  const std::vector<std::string> expected = {"modal input", "outer task done", "posted task"};
  EXPECT_EQ(order, expected);
}

TEST_F(Win32MessagePumpTest, QuitMessageEndsTheInnermostRun) {
  Watchdog watchdog;
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  PostQuitMessage(0);
  loop.Run();  // returns: the quit message ended it
  SUCCEED();
}

}  // namespace
}  // namespace ui
