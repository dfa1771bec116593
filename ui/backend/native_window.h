// NativeWindow: the on-screen side of one framework window, whatever window
// system draws it. Each backend makes its own kind (SdlNativeWindow,
// Win32NativeWindow); NativeWindow::Make gives the one of the backend this
// build was made with, so the installer's windows never name a backend.
//
// What every backend keeps:
//  - The window is borderless (the skin draws everything); its caption area
//    drags it, except where a control that takes clicks (a button, a check
//    box, an edit field) lies (IsDragPoint).
//  - Window-system input becomes the framework window's input calls (mouse
//    move, buttons, double click, keys, typed text, the input method's
//    composition shown at the edit field's caret), so a disabled framework
//    window ignores input. Ctrl+V, Ctrl+C and Ctrl+X work on the focused
//    edit field's selection through the system clipboard.
//  - Painting happens only when needed, and only what changed: after every
//    window-system event it handled and after every task of the UI loop, it
//    lays the framework window out when needed and compares its repaint
//    count with what it last drew; on a change the backend repaints the
//    window's invalid rectangle (what controls asked for, or everything
//    after a window-wide request, a new size or the first frame) - or more,
//    where its window system keeps no frame - and presents it. A progress
//    tick redraws the bar and its label, not the window; an idle window
//    draws nothing and costs no CPU.
//  - RequestClose(code) posts the final close to the UI loop; it then
//    reaches the close handler with the code. The window system's own close
//    request (Alt+F4, the task bar) arrives the same way with code 0.
//  - Up to the first frame of the process, the steps of the first window
//    write "<step> at <ms> ms" (the steady clock: CLOCK_MONOTONIC on Linux)
//    as diagnostic output (VARNIK_DEBUG=1), for start-up measurements from
//    outside: "startup window laid out", "startup native window created",
//    "startup first paint", "first frame presented".
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/message_loop.h"
#include "base/weak_callback.h"
#include "ui/core/geometry.h"

namespace ui {

class Window;

class NativeWindow : public nbase::SupportWeakCallback, public nbase::MessageLoop::TaskObserver {
 public:
  using CloseHandler = std::function<void(uint32_t code)>;

  // A window of this build's backend for `window`, which must outlive it.
  static std::unique_ptr<NativeWindow> Make(Window* window);

  ~NativeWindow() override;
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // Creates the window, hidden, at the framework window's initial size (its
  // client size when none), owned by `owner` (may be null). False, with the
  // window system's reason in GetLastError(), when it refuses.
  virtual bool Create(NativeWindow* owner, const std::string& title) = 0;
  virtual void Destroy() = 0;
  virtual bool IsCreated() const = 0;

  Window* window() const { return window_; }
  NativeWindow* owner() const { return owner_; }
  const std::string& GetLastError() const { return last_error_; }

  virtual void SetTitle(const std::string& title) = 0;
  // Shows the window; with `activate` it is raised and takes the focus.
  virtual void Show(bool activate = true) = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  // Centres on the owner when it has one, else on its monitor's usable area.
  virtual void CenterWindow() = 0;
  // Brings the window to the front without keeping it on top.
  virtual void Raise() = 0;
  // Raises the window and gives it the keyboard focus.
  virtual void SetForeground() = 0;
  // Resizes the client area keeping its top-left corner where it is.
  virtual void Resize(Size size) = 0;
  // The client area's top-left corner on the screen.
  virtual Point GetPosition() const = 0;
  Rect GetClientRect() const;
  // A disabled window takes no input (an owner under a modal box) and loses
  // its pressed and hovered controls.
  virtual void SetEnabled(bool enabled);
  bool IsEnabled() const;
  // Window opacity 0..1 where the window system can show it (fade-out).
  virtual void SetOpacity(float opacity) = 0;

  // Posts the final close with `code` to the UI loop.
  void RequestClose(uint32_t code);
  void SetCloseHandler(CloseHandler handler) { close_handler_ = std::move(handler); }

  // Repaints now what changed since the last frame; true when a frame was
  // drawn.
  bool PaintIfNeeded();
  // Repaints everything now.
  void PaintNow() { Paint(Rect()); }
  uint64_t frames_drawn() const { return frames_drawn_; }
  // The part of the window the last frame drew (tests, benchmarks).
  const Rect& last_painted_rect() const { return last_painted_rect_; }
  // IME composition text shown at the caret while the user composes.
  const std::u16string& GetCompositionText() const { return composition_; }

  // Whether the client point lies in the drag area.
  bool IsDragPoint(Point point) const;

  // TaskObserver: repaint after tasks that changed the tree.
  void WillProcessTask() override {}
  void DidProcessTask() override { PaintIfNeeded(); }

 protected:
  explicit NativeWindow(Window* window);

  // Lays the framework window out and gives it the client size a new
  // window is created with: its initial size (its client size without
  // one), at least 1 x 1.
  Size PrepareClientSize();
  // Keeps `owner` and starts repainting after the UI loop's tasks; called
  // by Create once the window system's window exists.
  void Attach(NativeWindow* owner);
  // Stops it again; called by Destroy.
  void Detach();
  // Draws `damage` (the client area's part that changed; all of it when
  // empty), or more, and presents it; then calls FramePresented.
  virtual void Paint(Rect damage) = 0;
  // Bookkeeping after a frame that drew `painted` (client coordinates)
  // reached the screen.
  void FramePresented(const Rect& painted);
  // Writes a start-up step's time mark, up to the process's first frame.
  static void NoteStartupStep(std::string_view step);
  // Clipboard keys of the focused edit field: paste replaces the selection,
  // copy takes the selection, cut also removes it. True when `key` (with
  // Ctrl held) was one of them and an edit field has the focus.
  bool HandleClipboardKey(int32_t key);
  // The input method's text being composed (empty when it ends).
  void SetComposition(const std::u16string& text);
  void set_last_error(std::string error) { last_error_ = std::move(error); }

  // The system clipboard's text (empty when it has none), and writing it.
  virtual std::u16string ReadClipboardText() = 0;
  virtual void WriteClipboardText(const std::u16string& text) = 0;

  Window* const window_;

 private:
  void FinalClose(uint32_t code);

  NativeWindow* owner_ = nullptr;
  nbase::MessageLoop* loop_ = nullptr;
  std::string last_error_;
  CloseHandler close_handler_;
  uint32_t painted_requests_ = 0;
  bool ever_painted_ = false;
  Size painted_size_;
  uint64_t frames_drawn_ = 0;
  Rect last_painted_rect_;
  std::u16string composition_;
};

}  // namespace ui
