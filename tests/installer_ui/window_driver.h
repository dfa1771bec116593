// A user's hands and eyes for the real installer window in a driver
// process: the calls run on a thread of their own, do their work as tasks
// on the UI thread, click controls through SDL input events routed to the
// native window, and print one line per check ("CHECK ok <what>" or
// "CHECK FAIL <what>: <detail>"). A step that does not happen within
// kStepDeadline prints "CHECK FAIL" and ends the process with exit code 5,
// so a hang is a failure and never blocks the test.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "base/thread_ids.h"
#include "base/thread_registry.h"

namespace ui {
class NativeWindow;
class Window;
}  // namespace ui

namespace varnik_test {

class WindowDriver {
 public:
  static constexpr std::chrono::seconds kStepDeadline{20};

  static void Print(const std::string& line);
  [[noreturn]] static void Abort(const std::string& what);
  static void Check(bool ok, const std::string& what, const std::string& detail = "");
  static void CheckEq(const std::string& actual, const std::string& expected,
                      const std::string& what);
  // "SCENARIO DONE": every check is made; only the way out follows.
  static void Done();
  static std::string Env(const char* name);

  // Runs `body` on the UI thread and waits for its result.
  template <typename T>
  static T OnUi(std::function<T()> body, const std::string& what = "UI task") {
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> future = promise->get_future();
    if (!nbase::ThreadRegistry::PostTask(nbase::kThreadUI,
                                         [promise, body] { promise->set_value(body()); })) {
      Abort(what + " (no UI thread)");
    }
    if (future.wait_for(kStepDeadline) != std::future_status::ready) Abort(what);
    return future.get();
  }

  // Polls `condition` until it holds; aborts when the deadline passes.
  static void WaitUntil(const std::function<bool()>& condition, const std::string& what,
                        std::chrono::seconds deadline = kStepDeadline);
  // Waits until the main window is created and on screen.
  static void WaitForMainWindow();

  // Main window state, read on the UI thread.
  static std::string Text(const std::u16string& name);
  static bool Visible(const std::u16string& name);
  static bool Enabled(const std::u16string& name);
  static int Stage();
  // The main window's client height.
  static int Height();

  // Clicks the centre of a visible control of the main window.
  static void Click(const std::u16string& name);
  // The same, then runs `look` on the UI thread in the click's own task and
  // returns its result: the state the click made is seen before any later
  // task (say, the outcome of a download that fails at once) changes it.
  static bool ClickThen(const std::u16string& name, const std::function<bool()>& look);
  // For `look`: the main window's state, read on the UI thread itself.
  static bool VisibleNow(const std::u16string& name);
  static int StageNow();
  // Types UTF-8 text into the focused control of the main window, one
  // character per text-input event as an input method sends them; "\n" is
  // the return key.
  static void TypeText(const std::string& utf8);
  // The window system's close of the main window (Alt+F4, the task bar).
  static void SystemClose();
  // Waits until a message box is open and not closing (a box that was
  // answered fades out for a while; the question asked after it is another).
  static void WaitForOpenBox(const std::string& what);
  // Clicks a control of the newest box that is not closing.
  static void ClickInBox(const std::u16string& name);
  // Text of a control of the newest box that is not closing.
  static std::string BoxText(const std::u16string& name);
  // How many boxes are open and not closing.
  static int OpenBoxCount();

  // The body of a driver program: starts the real installer as main.cc
  // does, with `run_scenario(argv[1])` on a thread of its own once the main
  // window is on screen. Returns the process's exit code.
  static int RunInstallerWithUser(int argc, char** argv,
                                  void (*run_scenario)(const std::string& name));

 private:
  // Clicks `name` in the window `window_of` gives and returns what `look`
  // (when given) says right after, in the same UI task.
  static bool ClickIn(std::function<ui::Window*()> window_of,
                      std::function<ui::NativeWindow*()> native_of, const std::u16string& name,
                      const std::function<bool()>& look = nullptr);
};

}  // namespace varnik_test
