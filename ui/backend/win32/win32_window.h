// Win32Window: the on-screen side of one framework window on Windows, a
// layered top-level window (per-pixel alpha through UpdateLayeredWindow).
//
// Looks: the skin draws everything. A window with "shadowattached" (the
// framework's default) is larger than its client area by the shadow's
// corner on every side and shows the skin's drop shadow there, drawn from
// "../public/bk/bk_shadow.png" (relative to the layout) as a nine-grid with
// corner 30,30,30,30 at 100 %; the client area is painted over it. Points
// the window takes and gives (input, GetPosition) are client points.
//
// Input: the caption area drags the window (WM_NCHITTEST answers
// HTCAPTION), except where a control that takes clicks lies; the shadow
// takes no clicks. Mouse, keys and characters become the framework window's
// input calls; Ctrl+V, Ctrl+C and Ctrl+X work on the focused edit field's
// selection through the clipboard; the input method's composition is drawn
// in the edit field at the caret (WM_IME_*) and its result typed there. The
// cursor is the hand over a control whose "cursortype" is "hand". A
// disabled window (an owner under a question) takes no input at all.
//
// Painting: only when needed. After every message it handled and after
// every task of the UI loop, it compares the framework window's repaint
// count and layout state with what it last drew and repaints only on a
// change; an idle window draws nothing.
//
// The close request: RequestClose(code) posts the final close to the UI
// loop; it then reaches the close handler with the code. The system's close
// (Alt+F4, the task bar: WM_CLOSE) arrives the same way with code 0. UI
// thread only; Win32Backend must be initialised.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/message_loop.h"
#include "base/weak_callback.h"
#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_renderer.h"
#include "ui/core/geometry.h"

namespace ui {

class Window;

class Win32Window : public nbase::SupportWeakCallback, public nbase::MessageLoop::TaskObserver {
 public:
  using CloseHandler = std::function<void(uint32_t code)>;

  // `window` must outlive this object.
  explicit Win32Window(Window* window);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Creates the window, hidden, at the framework window's initial size (its
  // client size when none), owned by `owner` (may be null). False, with the
  // system's reason in GetLastError(), when the window system refuses.
  bool Create(Win32Window* owner, const std::string& title);
  void Destroy();
  bool IsCreated() const { return hwnd_ != nullptr; }

  Window* window() const { return window_; }
  Win32Window* owner() const { return owner_; }
  HWND hwnd() const { return hwnd_; }
  const std::string& GetLastError() const { return last_error_; }
  // Pixels of shadow around the client area on each side (0 without one).
  int32_t shadow_margin() const { return shadow_margin_; }

  void SetTitle(const std::string& title);
  // Shows the window; with `activate` it is raised and takes the focus.
  void Show(bool activate = true);
  void Hide();
  bool IsVisible() const;
  // Centres on the owner when it has one, else on its monitor's work area.
  void CenterWindow();
  // Brings the window to the front without keeping it on top.
  void Raise();
  // Raises the window and gives it the keyboard focus.
  void SetForeground();
  // Resizes the client area keeping the client's top-left corner in place.
  void Resize(Size size);
  // The client area's top-left corner on the screen.
  Point GetPosition() const;
  Rect GetClientRect() const;
  // A disabled window takes no input (an owner under a modal box).
  void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // Window opacity 0..1 (fade-out).
  void SetOpacity(float opacity);

  // Posts the final close with `code` to the UI loop.
  void RequestClose(uint32_t code);
  void SetCloseHandler(CloseHandler handler) { close_handler_ = std::move(handler); }

  // Repaints now when the tree changed since the last frame; true when a
  // frame was drawn.
  bool PaintIfNeeded();
  // Repaints everything now.
  void PaintNow();
  uint64_t frames_drawn() const { return frames_drawn_; }
  // IME composition text shown at the caret while the user composes.
  const std::u16string& GetCompositionText() const { return composition_; }
  // The last frame as drawn (the shadow included); null before the first.
  Gdiplus::Bitmap* last_frame() const { return frame_bitmap_.get(); }

  // Whether the client point lies in the drag area.
  bool IsDragPoint(Point point) const;

  // TaskObserver: repaint after tasks that changed the tree.
  void WillProcessTask() override {}
  void DidProcessTask() override { PaintIfNeeded(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Client point of a mouse message's window coordinates.
  Point ClientPoint(LPARAM lparam) const;
  LRESULT HitTest(LPARAM screen_point) const;
  bool SetCursorForPoint();
  void HandleKeyDown(WPARAM key);
  void HandleImeComposition(LPARAM flags);
  void PlaceImeWindow();
  void SetComposition(const std::u16string& text);
  void FinalClose(uint32_t code);
  void ReleaseFrame();
  bool EnsureFrame(int32_t width, int32_t height);
  Size WindowSizeFor(Size client) const;

  Window* window_;
  Win32Window* owner_ = nullptr;
  HWND hwnd_ = nullptr;
  nbase::MessageLoop* loop_ = nullptr;
  std::string last_error_;
  CloseHandler close_handler_;
  int32_t shadow_margin_ = 0;
  BYTE opacity_ = 255;
  bool tracking_mouse_ = false;

  GdiplusImageCache images_;
  GdiplusRenderer renderer_{&images_};
  // The frame: a DIB section the window system reads, wrapped for GDI+.
  HDC frame_dc_ = nullptr;
  HBITMAP frame_dib_ = nullptr;
  HGDIOBJ frame_old_ = nullptr;
  void* frame_bits_ = nullptr;
  Size frame_size_;
  std::unique_ptr<Gdiplus::Bitmap> frame_bitmap_;

  uint32_t painted_requests_ = 0;
  bool ever_painted_ = false;
  Size painted_size_;
  uint64_t frames_drawn_ = 0;
  std::u16string composition_;
};

}  // namespace ui
