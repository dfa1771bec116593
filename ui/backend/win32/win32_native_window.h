// Win32NativeWindow: the NativeWindow of the Win32 backend, a layered
// top-level window (per-pixel alpha through UpdateLayeredWindow).
//
// Looks: the skin draws everything. A window with "shadowattached" (the
// framework's default) is larger than its client area by the shadow's
// corner on every side and shows the skin's drop shadow there, drawn from
// "../public/bk/bk_shadow.png" (relative to the layout) as a nine-grid with
// corner 30,30,30,30 at 100 %; the client area is painted over it. Points
// the window takes and gives (input, GetPosition) are client points.
//
// Input: the caption drags the window (WM_NCHITTEST answers HTCAPTION at
// drag points); the shadow takes no clicks. Window messages become the
// framework window's input calls; WM_CHAR brings typed text (control
// characters come as keys), WM_IME_* the input method's composition, drawn
// in the edit field, and its result. The cursor is the hand over a control
// whose "cursortype" is "hand". A disabled window (an owner under a
// question) is disabled for the system too, so it takes no input at all.
// The system's close (WM_CLOSE: Alt+F4, the task bar) is a close request
// with code 0.
//
// Win32Backend must be initialised (GDI+ started).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/backend/native_window.h"
#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/core/geometry.h"

namespace ui {

class Win32NativeWindow : public NativeWindow {
 public:
  // `window` must outlive this object.
  explicit Win32NativeWindow(Window* window);
  ~Win32NativeWindow() override;

  bool Create(NativeWindow* owner, const std::string& title) override;
  void Destroy() override;
  bool IsCreated() const override { return hwnd_ != nullptr; }

  // The window behind a native window of this build (every one is).
  static Win32NativeWindow* Of(NativeWindow* window) {
    return static_cast<Win32NativeWindow*>(window);
  }
  HWND hwnd() const { return hwnd_; }
  // Pixels of shadow around the client area on each side (0 without one).
  int32_t shadow_margin() const { return shadow_margin_; }

  void SetTitle(const std::string& title) override;
  void Show(bool activate = true) override;
  void Hide() override;
  bool IsVisible() const override;
  void CenterWindow() override;
  void Raise() override;
  void SetForeground() override;
  void Resize(Size size) override;
  Point GetPosition() const override;
  void SetEnabled(bool enabled) override;
  void SetOpacity(float opacity) override;
  // The last frame as drawn (the shadow included); null before the first.
  Gdiplus::Bitmap* last_frame() const { return frame_bitmap_.get(); }

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
  void Paint(Rect damage) override;
  std::u16string ReadClipboardText() override;
  void WriteClipboardText(const std::u16string& text) override;
  void ReleaseFrame();
  bool EnsureFrame(int32_t width, int32_t height);
  Size WindowSizeFor(Size client) const;

  HWND hwnd_ = nullptr;
  int32_t shadow_margin_ = 0;
  BYTE opacity_ = 255;
  bool tracking_mouse_ = false;

  GdiplusImageCache images_;
  // The frame: a DIB section the window system reads, wrapped for GDI+.
  HDC frame_dc_ = nullptr;
  HBITMAP frame_dib_ = nullptr;
  HGDIOBJ frame_old_ = nullptr;
  void* frame_bits_ = nullptr;
  Size frame_size_;
  std::unique_ptr<Gdiplus::Bitmap> frame_bitmap_;
};

}  // namespace ui
