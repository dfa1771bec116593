// NativeWindow: the on-screen side of one framework window, an SDL window.
//
// It is borderless (the skin draws everything); the window's caption area
// drags it through SDL's hit test, except where a control that takes clicks
// (a button, a check box, an edit field) lies. It turns SDL input into the
// framework window's input calls (mouse move, buttons, double click, keys,
// typed text and IME composition), so a disabled framework window ignores
// input, and it paints the control tree with the Renderer into the SDL
// window's surface.
//
// Painting: only when needed, and only what changed. After every SDL event
// it handled and after every task of the UI loop, it lays the framework
// window out when needed and compares its repaint count with what it last
// drew; on a change it repaints the window's invalid rectangle (what
// controls asked for, or everything after a window-wide request, a new size
// or the first frame) straight into the window's pixels, which keep the
// last frame, and presents only that part. A progress tick redraws the bar and its label, not the
// window; an idle window draws nothing and costs no CPU.
//
// The close request: RequestClose(code) posts the final close (the window
// system's "close" message) to the UI loop; it then reaches the close handler
// with the code. SDL's own close request (Alt+F4, the task bar) arrives the
// same way with code 0. UI thread only.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/message_loop.h"
#include "base/weak_callback.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/renderer.h"
#include "ui/core/geometry.h"

namespace ui {

class Window;

class NativeWindow : public nbase::SupportWeakCallback, public nbase::MessageLoop::TaskObserver {
 public:
  using CloseHandler = std::function<void(uint32_t code)>;

  // `window` must outlive this object.
  explicit NativeWindow(Window* window);
  ~NativeWindow() override;
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Creates the SDL window, hidden, at the framework window's initial size
  // (its client size when none), owned by `owner` (may be null). False, with
  // SDL's reason in GetLastError(), when the window system refuses.
  bool Create(NativeWindow* owner, const std::string& title);
  void Destroy();
  bool IsCreated() const { return sdl_window_ != nullptr; }

  Window* window() const { return window_; }
  NativeWindow* owner() const { return owner_; }
  SDL_Window* sdl_window() const { return sdl_window_; }
  uint32_t sdl_window_id() const { return sdl_window_id_; }
  const std::string& GetLastError() const { return last_error_; }

  void SetTitle(const std::string& title);
  // Shows the window; with `activate` it is raised and takes the focus.
  void Show(bool activate = true);
  void Hide();
  bool IsVisible() const;
  // Centres on the owner when it has one, else on its monitor's usable area.
  void CenterWindow();
  // Brings the window to the front without keeping it on top.
  void Raise();
  // Raises the window and gives it the keyboard focus.
  void SetForeground();
  // Resizes the client area keeping the top-left corner where it is.
  void Resize(Size size);
  Point GetPosition() const;
  Rect GetClientRect() const;
  // A disabled window takes no input (an owner under a modal box).
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // Window opacity 0..1 where the window system can show it (fade-out).
  void SetOpacity(float opacity);

  // Posts the final close with `code` to the UI loop.
  void RequestClose(uint32_t code);
  void SetCloseHandler(CloseHandler handler) { close_handler_ = std::move(handler); }

  // Repaints now what changed since the last frame; true when a frame was
  // drawn.
  bool PaintIfNeeded();
  // Repaints everything now. Up to the first frame of the process, the
  // steps of the first window write "<step> at <CLOCK_MONOTONIC ms> ms" as
  // diagnostic output (VARNIK_DEBUG=1), for start-up measurements from
  // outside: "startup window laid out", "startup native window created",
  // "startup first paint", "first frame presented".
  void PaintNow();
  uint64_t frames_drawn() const { return frames_drawn_; }
  // The pointer shape this window last showed (a CursorType): it follows
  // the control under the pointer as the mouse moves and clicks.
  int32_t shown_cursor_type() const { return shown_cursor_type_; }
  // The part of the window the last frame drew (tests, benchmarks).
  const Rect& last_painted_rect() const { return last_painted_rect_; }
  // IME composition text shown at the caret while the user composes.
  const std::u16string& GetCompositionText() const { return composition_; }

  // The SDL events of this window (SdlBackend routes them here).
  void HandleEvent(const SDL_Event& event);

  // Whether the client point lies in the drag area (SDL's hit test).
  bool IsDragPoint(Point point) const;

  // TaskObserver: repaint after tasks that changed the tree.
  void WillProcessTask() override {}
  void DidProcessTask() override { PaintIfNeeded(); }

 private:
  static SDL_HitTestResult HitTest(SDL_Window* window, const SDL_Point* point, void* data);
  void HandleKey(const SDL_KeyboardEvent& key, bool down);
  void HandleText(const char* utf8);
  void FinalClose(uint32_t code);
  // Shows the pointer the control under it asks for, when that changed.
  void UpdateCursor();
  // Draws `damage` (the client area's part that changed; all of it when
  // empty) into the kept frame and copies that part to the window.
  void Paint(Rect damage);
  static void NoteStartupStep(std::string_view step);

  Window* window_;
  NativeWindow* owner_ = nullptr;
  SDL_Window* sdl_window_ = nullptr;
  uint32_t sdl_window_id_ = 0;
  int32_t shown_cursor_type_ = 0;  // the arrow
  nbase::MessageLoop* loop_ = nullptr;
  std::string last_error_;
  CloseHandler close_handler_;

  ImageCache images_;
  Renderer renderer_{&images_};
  uint32_t painted_requests_ = 0;
  bool ever_painted_ = false;
  Size painted_size_;
  uint64_t frames_drawn_ = 0;
  Rect last_painted_rect_;
  // The window's pixels as last drawn, in cairo's ARGB32, for a window
  // surface that cairo cannot draw into itself; null otherwise.
  cairo_surface_t* frame_ = nullptr;
  // The window surface the last frame went to: a new one holds no frame.
  SDL_Surface* painted_surface_ = nullptr;
  Size painted_surface_size_;
  std::u16string composition_;
  bool text_input_started_ = false;
};

}  // namespace ui
