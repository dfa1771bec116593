// SdlBackend: the process's connection to SDL2. It starts SDL's video
// subsystem (the driver named by SDL_VIDEODRIVER, e.g. "dummy" in CI),
// makes the UI message loops use SdlMessagePump, and routes every SDL event
// to the native window it belongs to (by SDL window id); events of no window
// go to the application handler.
//
// Promises: Initialize is idempotent and returns false, with the reason in
// GetLastError(), when SDL cannot start; nothing else in the product changes
// then (UI loops fall back to the default pump). SDL's own signal handlers are
// disabled so that SIGINT and SIGTERM keep their ordinary meaning. Everything
// runs on the UI thread.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

class SdlBackend {
 public:
  using EventHandler = std::function<void(const SDL_Event&)>;

  static bool Initialize();
  // Closes SDL; UI loops made afterwards get the default pump. Windows must
  // be gone first.
  static void Shutdown();
  static bool IsInitialized();
  static const std::string& GetLastError();

  // Binds an SDL window id to the handler of its events; a later
  // registration of the same id replaces the earlier one.
  static void RegisterWindow(uint32_t window_id, EventHandler handler);
  static void UnregisterWindow(uint32_t window_id);
  // Events that belong to no registered window (quit, user events of the
  // application); an empty handler drops them.
  static void SetApplicationEventHandler(EventHandler handler);

  // Shows the system pointer for a CursorType (ui/core/control.h): arrow,
  // hand or text beam. SDL has one pointer for all its windows; the shapes
  // are made once and freed at Shutdown.
  static void ShowCursorType(int32_t cursor_type);

  // The event handler every UI pump is given.
  static void RouteEvent(const SDL_Event& event);
  // The SDL window id an event names, or 0.
  static uint32_t EventWindowId(const SDL_Event& event);
};

}  // namespace ui
