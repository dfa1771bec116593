#include "ui/backend/native_window.h"

#include <algorithm>

#include "platform/debug_output.h"
#include "ui/core/control.h"
#include "ui/core/window.h"

namespace ui {

NativeWindow::NativeWindow(Window* window) : window_(window) {}

NativeWindow::~NativeWindow() = default;

Size NativeWindow::PrepareClientSize() {
  window_->LayoutIfNeeded();
  NoteStartupStep("startup window laid out");
  Size size = window_->GetInitialSize();
  if (size.cx <= 0 || size.cy <= 0) size = window_->GetClientSize();
  size.cx = std::max(1, size.cx);
  size.cy = std::max(1, size.cy);
  if (window_->GetClientSize() != size) window_->Resize(size);
  return size;
}

void NativeWindow::Attach(NativeWindow* owner) {
  owner_ = owner;
  loop_ = nbase::MessageLoop::current();
  if (loop_) loop_->AddTaskObserver(this);
  ever_painted_ = false;
}

void NativeWindow::Detach() {
  if (loop_ && loop_ == nbase::MessageLoop::current()) loop_->RemoveTaskObserver(this);
  loop_ = nullptr;
}

Rect NativeWindow::GetClientRect() const {
  const Size s = window_->GetClientSize();
  return Rect{0, 0, s.cx, s.cy};
}

void NativeWindow::SetEnabled(bool enabled) {
  window_->SetWindowEnabled(enabled);
  // A disabled window loses its pressed and hovered controls.
  if (!enabled) window_->OnMouseLeaveWindow();
}

bool NativeWindow::IsEnabled() const { return window_->IsWindowEnabled(); }

void NativeWindow::RequestClose(uint32_t code) {
  nbase::MessageLoop* loop = nbase::MessageLoop::current();
  if (!loop) {
    FinalClose(code);
    return;
  }
  loop->PostTask(ToWeakCallback([this, code] { FinalClose(code); }));
}

void NativeWindow::FinalClose(uint32_t code) {
  if (close_handler_) {
    // A copy: the handler may delete this object.
    CloseHandler handler = close_handler_;
    handler(code);
    return;
  }
  Destroy();
}

bool NativeWindow::PaintIfNeeded() {
  if (!IsVisible()) return false;
  window_->LayoutIfNeeded();  // a control that moved asks for its old and new place
  const Size size = window_->GetClientSize();
  if (!ever_painted_ || size != painted_size_) {
    Paint(Rect());
    return true;
  }
  if (window_->PaintRequests() == painted_requests_) return false;
  const Rect damage = window_->GetInvalidRect();
  if (damage.IsEmpty()) {
    // Asked for, but nothing visible changed (a control without a place).
    painted_requests_ = window_->PaintRequests();
    window_->ClearInvalid();
    return false;
  }
  Paint(damage);
  return true;
}

void NativeWindow::FramePresented(const Rect& painted) {
  painted_requests_ = window_->PaintRequests();
  window_->ClearInvalid();
  painted_size_ = window_->GetClientSize();
  ever_painted_ = true;
  last_painted_rect_ = painted;
  ++frames_drawn_;
  NoteStartupStep("first frame presented");
}

void NativeWindow::NoteStartupStep(std::string_view step) {
  // Only up to the process's first frame: the start-up is measured from
  // outside against these lines.
  static bool process_started_up = false;
  if (process_started_up) return;
  if (step == "first frame presented") process_started_up = true;
  platform::DebugTimeMark(step);
}

bool NativeWindow::IsDragPoint(Point point) const {
  const Size size = window_->GetClientSize();
  const Rect& caption = window_->GetCaptionRect();
  // Left and right are insets from the sides; top and bottom are offsets.
  if (point.x < caption.left || point.x >= size.cx - caption.right || point.y < caption.top ||
      point.y >= caption.bottom) {
    return false;
  }
  Control* root = window_->GetRoot();
  Control* hit = root ? root->FindControlAt(point) : nullptr;
  // Controls that take clicks keep them; the rest of the caption drags.
  return !(hit && hit->TakesClicks());
}

bool NativeWindow::HandleClipboardKey(int32_t key) {
  if (!window_->IsWindowEnabled()) return false;
  Control* edit = window_->GetFocus();
  if (!edit || !edit->IsTextInput()) return false;
  if (key == 'V') {
    const std::u16string text = ReadClipboardText();
    if (!text.empty()) edit->InsertText(text);
    return true;
  }
  if (key == 'C') {
    const std::u16string selected = edit->Copy();
    if (!selected.empty()) WriteClipboardText(selected);
    return true;
  }
  if (key == 'X') {
    std::u16string cut;
    if (edit->Cut(&cut)) WriteClipboardText(cut);
    return true;
  }
  return false;
}

void NativeWindow::SetComposition(const std::u16string& text) {
  composition_ = text;
  if (Control* focus = window_->GetFocus()) focus->SetCompositionText(text);
  window_->Invalidate();
}

}  // namespace ui
