#include "tests/installer_ui/window_driver.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/main_thread.h"
#include "app/termination_signal_watcher.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "ui/backend/message_box_chain.h"
#include "ui/backend/sdl_native_window.h"
#include "ui/backend/sdl_backend.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/text/pango_text_measurer.h"

namespace varnik_test {

namespace {

using installer_ui::CMainWindow;
using installer_ui::MsgBox;

CMainWindow* Window() { return CMainWindow::Instance(); }

// The newest box that is not closing; UI thread.
MsgBox* OpenBox() {
  const std::vector<MsgBox*>& boxes = MsgBox::OpenBoxes();
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
    if (!(*it)->IsClosing()) return *it;
  }
  return nullptr;
}

std::string ControlText(ui::Window* window, const std::u16string& name) {
  ui::Control* c = window ? window->FindControl(name) : nullptr;
  if (auto* edit = dynamic_cast<ui::RichEdit*>(c)) return nbase::Utf16ToUtf8(edit->GetText());
  if (auto* label = dynamic_cast<ui::Label*>(c)) return nbase::Utf16ToUtf8(label->GetText());
  return "<no control>";
}

SDL_Event MouseEvent(uint32_t window_id, uint32_t type, int x, int y) {
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  if (type == SDL_MOUSEMOTION) {
    event.motion.windowID = window_id;
    event.motion.x = x;
    event.motion.y = y;
  } else {
    event.button.windowID = window_id;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  }
  return event;
}

}  // namespace

void WindowDriver::Print(const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

void WindowDriver::Abort(const std::string& what) {
  Print("CHECK FAIL " + what + ": deadline passed");
  std::fflush(nullptr);
  _exit(5);
}

void WindowDriver::Check(bool ok, const std::string& what, const std::string& detail) {
  Print(std::string("CHECK ") + (ok ? "ok " : "FAIL ") + what + (ok ? "" : ": " + detail));
}

void WindowDriver::CheckEq(const std::string& actual, const std::string& expected,
                           const std::string& what) {
  Check(actual == expected, what, "got \"" + actual + "\", want \"" + expected + "\"");
}

void WindowDriver::Done() { Print("SCENARIO DONE"); }

std::string WindowDriver::Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void WindowDriver::WaitUntil(const std::function<bool()>& condition, const std::string& what,
                             std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) Abort(what);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void WindowDriver::WaitForMainWindow() {
  WaitUntil(
      [] {
        return nbase::ThreadRegistry::GetLoopProxy(nbase::kThreadUI) != nullptr &&
               OnUi<bool>([] { return Window() && Window()->native_window(); });
      },
      "main window shown");
}

std::string WindowDriver::Text(const std::u16string& name) {
  return OnUi<std::string>([name] { return ControlText(Window(), name); });
}

bool WindowDriver::VisibleNow(const std::u16string& name) {
  ui::Control* c = Window()->FindControl(name);
  return c && c->IsVisible();
}

int WindowDriver::StageNow() { return static_cast<int>(Window()->stage()); }

bool WindowDriver::Visible(const std::u16string& name) {
  return OnUi<bool>([name] { return VisibleNow(name); });
}

bool WindowDriver::Enabled(const std::u16string& name) {
  return OnUi<bool>([name] {
    ui::Control* c = Window()->FindControl(name);
    return c && c->IsEnabled();
  });
}

int WindowDriver::Height() {
  return OnUi<int>([] { return Window()->GetClientSize().cy; });
}

int WindowDriver::Stage() {
  return OnUi<int>([] { return StageNow(); });
}

bool WindowDriver::ClickIn(std::function<ui::Window*()> window_of,
                           std::function<ui::NativeWindow*()> native_of, const std::u16string& name,
                           const std::function<bool()>& look) {
  enum Result { kNotClicked, kLookFailed, kClicked };
  // Looked up and clicked in one UI task, so the control cannot move or go
  // between finding it and clicking it.
  const Result result = OnUi<Result>([=] {
    ui::Window* window = window_of();
    ui::Control* c = window ? window->FindControl(name) : nullptr;
    ui::NativeWindow* native = native_of();
    if (!c || !c->IsVisible() || !native) return kNotClicked;
    window->LayoutIfNeeded();
    const ui::Rect& r = c->GetPos();
    const uint32_t id = ui::SdlNativeWindow::Of(native)->sdl_window_id();
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    for (uint32_t type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      // A click may close the window it lands on; stop feeding it then.
      ui::NativeWindow* target = native_of();
      if (!target) break;
      ui::SdlNativeWindow::Of(target)->HandleEvent(MouseEvent(id, type, x, y));
    }
    return !look || look() ? kClicked : kLookFailed;
  });
  if (result == kNotClicked) Abort("click on " + nbase::Utf16ToUtf8(name) + " (not visible)");
  return result == kClicked;
}

void WindowDriver::Click(const std::u16string& name) {
  ClickIn([] { return static_cast<ui::Window*>(Window()); },
          [] { return Window()->native_window(); }, name);
}

bool WindowDriver::ClickThen(const std::u16string& name, const std::function<bool()>& look) {
  return ClickIn([] { return static_cast<ui::Window*>(Window()); },
                 [] { return Window()->native_window(); }, name, look);
}

void WindowDriver::TypeText(const std::string& utf8) {
  OnUi<bool>([utf8] {
    ui::SdlNativeWindow* native = ui::SdlNativeWindow::Of(Window()->native_window());
    if (!native) return false;
    const uint32_t id = native->sdl_window_id();
    for (size_t at = 0; at < utf8.size();) {
      const unsigned char lead = static_cast<unsigned char>(utf8[at]);
      const size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      SDL_Event event;
      SDL_zero(event);
      if (utf8[at] == '\n') {
        event.type = SDL_KEYDOWN;
        event.key.windowID = id;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = SDLK_RETURN;
        native->HandleEvent(event);
        event.type = SDL_KEYUP;
        event.key.state = SDL_RELEASED;
      } else {
        event.type = SDL_TEXTINPUT;
        event.text.windowID = id;
        utf8.copy(event.text.text, len, at);
      }
      native->HandleEvent(event);
      at += len;
    }
    return true;
  });
}

void WindowDriver::SystemClose() {
  OnUi<bool>([] {
    ui::SdlNativeWindow* native = ui::SdlNativeWindow::Of(Window()->native_window());
    if (!native) return false;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = native->sdl_window_id();
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    native->HandleEvent(event);
    return true;
  });
}

void WindowDriver::WaitForOpenBox(const std::string& what) {
  WaitUntil([] { return OnUi<bool>([] { return OpenBox() != nullptr; }); }, what);
}

void WindowDriver::ClickInBox(const std::u16string& name) {
  WaitForOpenBox("message box for " + nbase::Utf16ToUtf8(name));
  ClickIn([] { return static_cast<ui::Window*>(OpenBox()); },
          [] { return OpenBox() ? OpenBox()->native_window() : nullptr; }, name);
}

std::string WindowDriver::BoxText(const std::u16string& name) {
  return OnUi<std::string>([name] { return ControlText(OpenBox(), name); });
}

int WindowDriver::OpenBoxCount() {
  return OnUi<int>([] {
    int count = 0;
    for (const MsgBox* box : MsgBox::OpenBoxes()) count += box->IsClosing() ? 0 : 1;
    return count;
  });
}

int WindowDriver::RunInstallerWithUser(int argc, char** argv,
                                       void (*run_scenario)(const std::string& name)) {
  if (argc < 2) return 2;
  const std::string scenario = argv[1];
  app::TerminationSignalWatcher::Start();
  ui::PangoTextMeasurer text_measurer;
  ui::TextMeasurer::SetInstance(&text_measurer);
  if (!ui::SdlBackend::Initialize()) return 4;
  ui::MessageBoxChain::Install();
  std::thread([scenario, run_scenario] {
    WaitForMainWindow();
    run_scenario(scenario);
  }).detach();
  {
    app::MainThread main_thread;
    main_thread.RunAsUiThread();
  }
  ui::SdlBackend::Shutdown();
  ui::TextMeasurer::SetInstance(nullptr);
  return 0;
}

}  // namespace varnik_test
