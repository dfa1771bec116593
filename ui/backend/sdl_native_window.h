// SdlNativeWindow: the NativeWindow of the SDL backend, one SDL window.
//
// The caption drags through SDL's hit test; SDL's input events, routed here
// by SdlBackend by window id, become the framework window's input calls;
// the control tree is painted with the cairo Renderer straight into the SDL
// window's surface, which keeps the last frame, so only the invalid part is
// drawn and presented (a surface cairo cannot draw into gets a frame of its
// own and a conversion). Where the window system shows no translucency,
// undrawn pixels are the window's background, opaque.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstdint>
#include <string>

#include "ui/backend/image_cache.h"
#include "ui/backend/native_window.h"
#include "ui/backend/renderer.h"

namespace ui {

class SdlNativeWindow : public NativeWindow {
 public:
  // `window` must outlive this object.
  explicit SdlNativeWindow(Window* window);
  ~SdlNativeWindow() override;

  bool Create(NativeWindow* owner, const std::string& title) override;
  void Destroy() override;
  bool IsCreated() const override { return sdl_window_ != nullptr; }

  // The SDL window behind a native window of this build (every one is).
  static SdlNativeWindow* Of(NativeWindow* window) { return static_cast<SdlNativeWindow*>(window); }
  SDL_Window* sdl_window() const { return sdl_window_; }
  uint32_t sdl_window_id() const { return sdl_window_id_; }
  // The pointer shape this window last showed (a CursorType): it follows
  // the control under the pointer as the mouse moves and clicks.
  int32_t shown_cursor_type() const { return shown_cursor_type_; }

  void SetTitle(const std::string& title) override;
  void Show(bool activate = true) override;
  void Hide() override;
  bool IsVisible() const override;
  void CenterWindow() override;
  void Raise() override;
  void SetForeground() override;
  void Resize(Size size) override;
  Point GetPosition() const override;
  void SetOpacity(float opacity) override;

  // The SDL events of this window (SdlBackend routes them here).
  void HandleEvent(const SDL_Event& event);

 private:
  static SDL_HitTestResult HitTest(SDL_Window* window, const SDL_Point* point, void* data);
  void HandleKey(const SDL_KeyboardEvent& key, bool down);
  void HandleText(const char* utf8);
  // Shows the pointer the control under it asks for, when that changed.
  void UpdateCursor();
  void Paint(Rect damage) override;
  std::u16string ReadClipboardText() override;
  void WriteClipboardText(const std::u16string& text) override;

  SDL_Window* sdl_window_ = nullptr;
  uint32_t sdl_window_id_ = 0;
  int32_t shown_cursor_type_ = 0;  // the arrow
  ImageCache images_;
  Renderer renderer_{&images_};
  // The window's pixels as last drawn, in cairo's ARGB32, for a window
  // surface that cairo cannot draw into itself; null otherwise.
  cairo_surface_t* frame_ = nullptr;
  // The window surface the last frame went to: a new one holds no frame.
  SDL_Surface* painted_surface_ = nullptr;
  Size painted_surface_size_;
};

}  // namespace ui
