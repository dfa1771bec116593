#include "ui/backend/sdl_backend.h"

#include <map>
#include <memory>

#include "base/message_loop.h"
#include "ui/backend/sdl_message_pump.h"
#include "ui/core/control.h"

namespace ui {

namespace {

struct BackendState {
  bool initialized = false;
  std::string last_error;
  std::map<uint32_t, SdlBackend::EventHandler> windows;
  SdlBackend::EventHandler application_handler;
  std::map<int32_t, SDL_Cursor*> cursors;
};

BackendState& State() {
  static BackendState* state = new BackendState;
  return *state;
}

}  // namespace

bool SdlBackend::Initialize() {
  BackendState& state = State();
  if (state.initialized) return true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A borderless installer window must not be minimised when it loses focus
  // to the browser it opened.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Frames are drawn by cairo into memory and copied to the window surface;
  // a GL-backed surface adds nothing but, on machines with software GL only,
  // shader compiles on the UI thread (stalls of 100 ms and more) and about
  // 90 MiB of memory.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    state.last_error = SDL_GetError();
    return false;
  }
  // Registers the wake-up type before any thread can post.
  SdlMessagePump::WakeUpEventType();
  state.initialized = true;
  nbase::MessageLoop::SetUIPumpFactory([]() -> std::shared_ptr<nbase::MessagePump> {
    auto pump = std::make_shared<SdlMessagePump>();
    pump->SetEventHandler(&SdlBackend::RouteEvent);
    return pump;
  });
  return true;
}

void SdlBackend::Shutdown() {
  BackendState& state = State();
  if (!state.initialized) return;
  nbase::MessageLoop::SetUIPumpFactory(nullptr);
  state.windows.clear();
  state.application_handler = nullptr;
  for (auto& [type, cursor] : state.cursors) {
    if (cursor) SDL_FreeCursor(cursor);
  }
  state.cursors.clear();
  SDL_Quit();
  state.initialized = false;
}

bool SdlBackend::IsInitialized() { return State().initialized; }

const std::string& SdlBackend::GetLastError() { return State().last_error; }

void SdlBackend::RegisterWindow(uint32_t window_id, EventHandler handler) {
  State().windows[window_id] = std::move(handler);
}

void SdlBackend::UnregisterWindow(uint32_t window_id) { State().windows.erase(window_id); }

void SdlBackend::SetApplicationEventHandler(EventHandler handler) {
  State().application_handler = std::move(handler);
}

void SdlBackend::ShowCursorType(int32_t cursor_type) {
  BackendState& state = State();
  if (!state.initialized) return;
  auto found = state.cursors.find(cursor_type);
  if (found == state.cursors.end()) {
    SDL_SystemCursor shape = SDL_SYSTEM_CURSOR_ARROW;
    if (cursor_type == kCursorHand) shape = SDL_SYSTEM_CURSOR_HAND;
    if (cursor_type == kCursorIBeam) shape = SDL_SYSTEM_CURSOR_IBEAM;
    // Null where the video driver has no pointers (the headless driver).
    found = state.cursors.emplace(cursor_type, SDL_CreateSystemCursor(shape)).first;
  }
  if (found->second) SDL_SetCursor(found->second);
}

uint32_t SdlBackend::EventWindowId(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_TEXTEDITING:
      return event.edit.windowID;
    case SDL_TEXTINPUT:
      return event.text.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    default:
      return 0;
  }
}

void SdlBackend::RouteEvent(const SDL_Event& event) {
  BackendState& state = State();
  const uint32_t id = EventWindowId(event);
  if (id != 0) {
    auto it = state.windows.find(id);
    if (it != state.windows.end()) {
      // A copy: the handler may close its window and unregister itself.
      EventHandler handler = it->second;
      handler(event);
    }
    return;
  }
  if (state.application_handler) {
    EventHandler handler = state.application_handler;
    handler(event);
  }
}

}  // namespace ui
